// Character set conversion of message text: Qt for UTF-8 and ISO-8859-1, vmime (iconv) for every other one.
#include "mailstore/MailCharset.h"

#include "base/CorvaneError.h"
#include "mailstore/SingleLineText.h"

#include <QStringDecoder>
#include <algorithm>
#include <vmime/vmime.hpp>

namespace corvane {

namespace {

bool isUtf8OrAscii(const std::string &charsetName) {
    const std::string name = vmime::utility::stringUtils::toLower(charsetName);
    return name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii" || name.empty();
}

// ISO-8859-1 maps every byte to the code point of the same value, which Qt does without a converter.
bool isLatin1(const std::string &charsetName) {
    const std::string name = vmime::utility::stringUtils::toLower(charsetName);
    return name == "iso-8859-1" || name == "iso8859-1" || name == "iso_8859-1" || name == "latin1";
}

} // namespace

QString MailCharset::lenientText(QByteArrayView bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), bytes.size());
}

QString MailCharset::convertedText(const std::string &bytes, const std::string &charsetName) {
    if (isUtf8OrAscii(charsetName))
        return lenientText(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (isLatin1(charsetName))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    std::string utf8;
    try {
        vmime::charset::convert(bytes, utf8, vmime::charset(charsetName), vmime::charset(vmime::charsets::UTF_8));
    } catch (const std::exception &) {
        throw CorvaneError(QStringLiteral("The message uses the unknown character set \"%1\".")
                               .arg(SingleLineText::of(lenientText(
                                   QByteArrayView(charsetName)
                                       .first(std::min<qsizetype>(static_cast<qsizetype>(charsetName.size()), 100))))));
    }
    return QString::fromStdString(utf8);
}

} // namespace corvane

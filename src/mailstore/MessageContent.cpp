// Header reading and body decoding of one message.
#include "mailstore/MessageContent.h"

#include "base/CorvaneError.h"
#include "mailstore/HtmlText.h"
#include "mailstore/MailDate.h"
#include "mailstore/VmimePlatform.h"

#include <QStringDecoder>
#include <vmime/contentTypeField.hpp>
#include <vmime/vmime.hpp>

namespace corvane {

namespace {

// `bytes` as UTF-8 when they are valid UTF-8, else as ISO-8859-1 (raw 8-bit text of unknown origin).
QString lenientText(const std::string &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool isUtf8OrAscii(const std::string &charsetName) {
    const std::string name = vmime::utility::stringUtils::toLower(charsetName);
    return name == "utf-8" || name == "utf8" || name == "us-ascii" || name == "ascii" || name.empty();
}

// `bytes` in character set `charsetName` as text. Raises when the character set is unknown.
QString convertedText(const std::string &bytes, const std::string &charsetName) {
    if (isUtf8OrAscii(charsetName))
        return lenientText(bytes);
    std::string utf8;
    try {
        vmime::charset::convert(bytes, utf8, vmime::charset(charsetName), vmime::charset(vmime::charsets::UTF_8));
    } catch (const std::exception &) {
        throw CorvaneError(QStringLiteral("The message uses the unknown character set \"%1\".")
                               .arg(QString::fromStdString(charsetName)));
    }
    return QString::fromStdString(utf8);
}

// A decoded header text: each word in its own character set; a word in an unknown set is read leniently.
QString decodedText(const vmime::text &text) {
    QString out;
    for (size_t i = 0; i < text.getWordCount(); ++i) {
        const auto word = text.getWordAt(i);
        try {
            out += convertedText(word->getBuffer(), word->getCharset().getName());
        } catch (const CorvaneError &) {
            out += lenientText(word->getBuffer());
        }
    }
    return out;
}

void appendMailbox(std::vector<MailAddress> &out, const vmime::mailbox &mailbox) {
    const QString address = QString::fromStdString(mailbox.getEmail().toString()).trimmed();
    if (!address.isEmpty())
        out.push_back({decodedText(mailbox.getName()).trimmed(), address});
}

std::string lowered(const std::string &text) {
    return vmime::utility::stringUtils::toLower(text);
}

// The content type of `part`; text/plain when it has none.
vmime::mediaType contentType(const vmime::bodyPart &part) {
    const auto field = part.getHeader()->findField(vmime::fields::CONTENT_TYPE);
    if (!field)
        return vmime::mediaType("text", "plain");
    const auto type = vmime::dynamicCast<const vmime::mediaType>(field->getValue());
    return type ? *type : vmime::mediaType("text", "plain");
}

bool isAttachment(const vmime::bodyPart &part) {
    const auto field = part.getHeader()->findField(vmime::fields::CONTENT_DISPOSITION);
    if (!field)
        return false;
    const auto disposition = vmime::dynamicCast<const vmime::contentDisposition>(field->getValue());
    return disposition && lowered(disposition->getName()) == "attachment";
}

// The first part of type text/`subtype` inside `part`, depth first, skipping attachments and enclosed
// messages; null when there is none.
std::shared_ptr<const vmime::bodyPart> findText(const std::shared_ptr<const vmime::bodyPart> &part,
                                                const std::string &subtype) {
    if (isAttachment(*part))
        return nullptr;
    const vmime::mediaType type = contentType(*part);
    if (lowered(type.getType()) == "multipart") {
        for (size_t i = 0; i < part->getBody()->getPartCount(); ++i) {
            if (auto found = findText(part->getBody()->getPartAt(i), subtype))
                return found;
        }
        return nullptr;
    }
    if (lowered(type.getType()) == "text" && lowered(type.getSubType()) == subtype)
        return part;
    return nullptr;
}

// The transfer-decoded text of `part` in UTF-8. Raises for an unknown character set.
QString partText(const vmime::bodyPart &part) {
    std::string bytes;
    vmime::utility::outputStreamStringAdapter stream(bytes);
    part.getBody()->getContents()->extract(stream);
    std::string charsetName;
    const auto field = part.getHeader()->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
    if (field && field->hasCharset())
        charsetName = field->getCharset().getName();
    return convertedText(bytes, charsetName);
}

QString withCrLf(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return text;
}

// Raises when `message` is multipart but its raw text lacks the boundary, which vmime would read as one empty
// part and so lose the whole body.
void checkBoundary(const vmime::message &message, const QByteArray &raw) {
    if (lowered(contentType(message).getType()) != "multipart")
        return;
    const auto field = message.getHeader()->findField<vmime::contentTypeField>(vmime::fields::CONTENT_TYPE);
    const bool hasBoundary = field && field->hasBoundary() && !field->getBoundary().empty();
    if (!hasBoundary || !raw.contains("--" + QByteArray::fromStdString(field->getBoundary())))
        throw CorvaneError(QStringLiteral("The message's MIME structure is broken: its part boundary is missing."));
}

bool isFieldName(const QByteArray &name) {
    if (name.isEmpty())
        return false;
    for (const char c : name) {
        if (c < 33 || c > 126)
            return false;
    }
    return true;
}

} // namespace

MessageContent::MessageContent(const QByteArray &raw) : m_raw(raw) {
    qsizetype pos = 0;
    if (raw.startsWith("From ")) {
        const qsizetype eol = raw.indexOf('\n');
        pos = eol < 0 ? raw.size() : eol + 1;
    }
    QByteArray name;
    QByteArray value;
    const auto store = [&] {
        if (!name.isEmpty() && !m_headers.contains(name))
            m_headers.insert(name, value.trimmed());
        name.clear();
    };
    while (pos < raw.size()) {
        qsizetype eol = raw.indexOf('\n', pos);
        if (eol < 0)
            eol = raw.size();
        QByteArray line = raw.mid(pos, eol - pos);
        pos = eol + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            break;
        if (line[0] == ' ' || line[0] == '\t') {
            if (!name.isEmpty())
                value += line;
            continue;
        }
        store();
        const qsizetype colon = line.indexOf(':');
        const QByteArray fieldName = colon > 0 ? line.left(colon).trimmed() : QByteArray();
        if (!isFieldName(fieldName)) {
            if (m_headers.isEmpty())
                throw CorvaneError(QStringLiteral("The file is not a mail message."));
            continue;
        }
        name = fieldName.toLower();
        value = line.mid(colon + 1);
    }
    store();
    if (m_headers.isEmpty())
        throw CorvaneError(QStringLiteral("The file is not a mail message."));
}

QString MessageContent::subject() const {
    const QByteArray raw = rawHeader("subject");
    if (raw.isEmpty())
        return {};
    VmimePlatform::ensure();
    try {
        vmime::text text;
        text.parse(raw.toStdString());
        return decodedText(text);
    } catch (const std::exception &) {
        return lenientText(raw.toStdString());
    }
}

QDateTime MessageContent::sentOn() const {
    const QByteArray raw = rawHeader("date");
    if (raw.isEmpty())
        throw CorvaneError(QStringLiteral("The message has no date."));
    const QDateTime when = MailDate::parse(QString::fromLatin1(raw));
    if (!when.isValid())
        throw CorvaneError(
            QStringLiteral("The date \"%1\" of the message cannot be read.").arg(QString::fromLatin1(raw)));
    return when;
}

std::optional<MailAddress> MessageContent::from() const {
    const std::vector<MailAddress> list = addresses("from");
    if (list.empty())
        return std::nullopt;
    return list.front();
}

std::vector<MailAddress> MessageContent::addresses(const char *field) const {
    std::vector<MailAddress> out;
    const QByteArray raw = rawHeader(field);
    if (raw.isEmpty())
        return out;
    VmimePlatform::ensure();
    vmime::addressList list;
    try {
        list.parse(raw.toStdString());
    } catch (const std::exception &) {
        return out;
    }
    for (size_t i = 0; i < list.getAddressCount(); ++i) {
        const auto address = list.getAddressAt(i);
        if (address->isGroup()) {
            const auto group = vmime::dynamicCast<vmime::mailboxGroup>(address);
            for (size_t j = 0; j < group->getMailboxCount(); ++j)
                appendMailbox(out, *group->getMailboxAt(j));
        } else {
            appendMailbox(out, *vmime::dynamicCast<vmime::mailbox>(address));
        }
    }
    return out;
}

QString MessageContent::body() const {
    VmimePlatform::ensure();
    try {
        auto message = std::make_shared<vmime::message>();
        message->parse(std::string(m_raw.constData(), static_cast<size_t>(m_raw.size())));
        checkBoundary(*message, m_raw);
        if (const auto plain = findText(message, "plain"))
            return withCrLf(partText(*plain));
        if (const auto html = findText(message, "html"))
            return withCrLf(HtmlText::toPlainText(partText(*html)));
        return {};
    } catch (const CorvaneError &) {
        throw;
    } catch (const std::exception &e) {
        throw CorvaneError(QStringLiteral("The message cannot be read: %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

} // namespace corvane

// Header reading and body decoding of one message.
#include "mailstore/MessageContent.h"

#include "base/CorvaneError.h"
#include "mailstore/MailCharset.h"
#include "mailstore/MailDate.h"
#include "mailstore/MessageBody.h"
#include "mailstore/SingleLineText.h"
#include "mailstore/VmimePlatform.h"

#include <vmime/vmime.hpp>

namespace corvane {

namespace {

// A header field value longer than this is cut before vmime reads it: vmime spends about a microsecond per byte
// of a field, and no real subject or address list comes near it.
constexpr qsizetype kMaxFieldBytes = 64 * 1024;

// `raw` cut to kMaxFieldBytes; an address list is cut after its last complete address (at a ",") within it.
std::string boundedField(const QByteArray &raw, bool addressList) {
    if (raw.size() <= kMaxFieldBytes)
        return raw.toStdString();
    qsizetype cut = kMaxFieldBytes;
    if (addressList) {
        const qsizetype comma = raw.lastIndexOf(',', kMaxFieldBytes - 1);
        if (comma > 0)
            cut = comma;
    }
    return raw.left(cut).toStdString();
}

QString lenient(const std::string &bytes) {
    return MailCharset::lenientText(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// The text of one encoded word in its own character set; a word whose set is unknown or whose conversion fails
// in any way is read leniently (UTF-8 when valid, else ISO-8859-1).
QString wordText(const vmime::word &word) {
    const std::string &bytes = word.getBuffer();
    try {
        return MailCharset::convertedText(bytes, word.getCharset().getName());
    } catch (const std::exception &) {
        return lenient(bytes);
    }
}

// A decoded header text: each word in its own character set. Never fails.
QString decodedText(const vmime::text &text) {
    QString out;
    for (size_t i = 0; i < text.getWordCount(); ++i)
        out += wordText(*text.getWordAt(i));
    return out;
}

// Whether vmime writes a word in character set `charset` without a converter that could fail (and, failing,
// leak the one it opened first).
bool isPlainCharset(const vmime::charset &charset) {
    const std::string name = vmime::utility::stringUtils::toLower(charset.getName());
    return name.empty() || name == "us-ascii" || name == "utf-8" || name == "iso-8859-1";
}

// The address of `mailbox` as vmime writes it; when vmime cannot write it (a local part or domain in another
// character set, or any failure of vmime's), the raw bytes of both parts joined by "@", read leniently.
QString addressText(const vmime::emailAddress &email) {
    if (isPlainCharset(email.getLocalName().getCharset()) && isPlainCharset(email.getDomainName().getCharset())) {
        try {
            return QString::fromStdString(email.toString());
        } catch (const std::exception &) {
        }
    }
    const QString local = lenient(email.getLocalName().getBuffer());
    const QString domain = lenient(email.getDomainName().getBuffer());
    return domain.isEmpty() ? local : local + QLatin1Char('@') + domain;
}

void appendMailbox(std::vector<MailAddress> &out, const vmime::mailbox &mailbox) {
    const QString address = SingleLineText::of(addressText(mailbox.getEmail())).trimmed();
    if (!address.isEmpty())
        out.push_back({SingleLineText::of(decodedText(mailbox.getName())).trimmed(), address});
}

bool isFieldName(QByteArrayView name) {
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
    // No real header comes near this; fields past it are not read.
    constexpr qsizetype kMaxHeaderBytes = 4 * 1024 * 1024;
    while (pos < raw.size() && pos < kMaxHeaderBytes) {
        qsizetype eol = raw.indexOf('\n', pos);
        if (eol < 0)
            eol = raw.size();
        QByteArrayView line(raw.constData() + pos, eol - pos);
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
        const QByteArrayView fieldName = colon > 0 ? line.first(colon).trimmed() : QByteArrayView();
        if (!isFieldName(fieldName)) {
            if (m_headers.isEmpty())
                throw CorvaneError(QStringLiteral("The file is not a mail message."));
            continue;
        }
        name = fieldName.toByteArray().toLower();
        value = line.sliced(colon + 1).toByteArray();
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
        text.parse(boundedField(raw, false));
        return SingleLineText::of(decodedText(text));
    } catch (const std::exception &) {
        return SingleLineText::of(MailCharset::lenientText(raw.left(kMaxFieldBytes)));
    }
}

QDateTime MessageContent::sentOn() const {
    const QByteArray raw = rawHeader("date");
    if (raw.isEmpty())
        throw CorvaneError(QStringLiteral("The message has no date."));
    // No date is longer than this; a longer field is no date, and is not handed whole to the parser.
    const QDateTime when = MailDate::parse(QString::fromLatin1(raw.left(1024)));
    if (!when.isValid())
        throw CorvaneError(QStringLiteral("The date \"%1\" of the message cannot be read.")
                               .arg(SingleLineText::of(QString::fromLatin1(raw.left(200)))));
    return when;
}

std::optional<MailAddress> MessageContent::from() const {
    if (!m_from) {
        const std::vector<MailAddress> list = addresses("from");
        m_from.emplace(list.empty() ? std::nullopt : std::optional<MailAddress>(list.front()));
    }
    return *m_from;
}

std::vector<MailAddress> MessageContent::addresses(const char *field) const {
    std::vector<MailAddress> out;
    const QByteArray raw = rawHeader(field);
    if (raw.isEmpty())
        return out;
    VmimePlatform::ensure();
    // A failure part-way keeps the mailboxes read before it.
    try {
        vmime::addressList list;
        list.parse(boundedField(raw, true));
        for (size_t i = 0; i < list.getAddressCount(); ++i) {
            const auto address = list.getAddressAt(i);
            if (address->isGroup()) {
                const auto group = vmime::dynamicCast<vmime::mailboxGroup>(address);
                for (size_t j = 0; j < group->getMailboxCount(); ++j)
                    appendMailbox(out, *group->getMailboxAt(j));
            } else if (const auto mailbox = vmime::dynamicCast<vmime::mailbox>(address)) {
                appendMailbox(out, *mailbox);
            }
        }
    } catch (const std::exception &) {
    }
    return out;
}

QString MessageContent::body() const {
    return MessageBody::plainText(m_raw);
}

} // namespace corvane

// Header reading and body decoding of one message.
#include "mailstore/MessageContent.h"

#include "base/CorvaneError.h"
#include "mailstore/MailCharset.h"
#include "mailstore/MailDate.h"
#include "mailstore/MessageBody.h"
#include "mailstore/VmimePlatform.h"

#include <vmime/vmime.hpp>

namespace corvane {

namespace {

// A decoded header text: each word in its own character set; a word in an unknown set is read leniently.
QString decodedText(const vmime::text &text) {
    QString out;
    for (size_t i = 0; i < text.getWordCount(); ++i) {
        const auto word = text.getWordAt(i);
        const std::string &bytes = word->getBuffer();
        try {
            out += MailCharset::convertedText(bytes, word->getCharset().getName());
        } catch (const CorvaneError &) {
            out += MailCharset::lenientText(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        }
    }
    return out;
}

void appendMailbox(std::vector<MailAddress> &out, const vmime::mailbox &mailbox) {
    const QString address = QString::fromStdString(mailbox.getEmail().toString()).trimmed();
    if (!address.isEmpty())
        out.push_back({decodedText(mailbox.getName()).trimmed(), address});
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
    while (pos < raw.size()) {
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
        text.parse(raw.toStdString());
        return decodedText(text);
    } catch (const std::exception &) {
        return MailCharset::lenientText(raw);
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
    return MessageBody::plainText(m_raw);
}

} // namespace corvane

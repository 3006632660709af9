// The parsed content of one stored message: header fields read from the raw text, the body found and decoded
// (MessageBody) when asked for. Holds no file; the caller gives the bytes.
#pragma once

#include "mailstore/MailAddress.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace corvane {

class MessageContent {
public:
    // Reads the header of `raw` (its first 4 MB at most). Raises when the text does not begin with a header field
    // (an empty file, a binary file, a body without header).
    explicit MessageContent(const QByteArray &raw);

    // The decoded Subject, empty when there is none. Encoded words in a character set that cannot be converted
    // are read from their raw bytes (UTF-8 when valid, else ISO-8859-1) rather than failing. Like every name and
    // address below, one line: each run of control characters is one blank. Never fails.
    QString subject() const;
    // The Date header. Raises when it is missing or not a date.
    QDateTime sentOn() const;
    // The first mailbox of From, if any; read once and kept.
    std::optional<MailAddress> from() const;
    // The mailboxes of Reply-To, To, Cc and Bcc (groups flattened), in header order; an unreadable list gives the
    // mailboxes read before the fault. A field beyond 64 KB is read up to its last address within that length.
    std::vector<MailAddress> replyTo() const { return addresses("reply-to"); }
    std::vector<MailAddress> to() const { return addresses("to"); }
    std::vector<MailAddress> cc() const { return addresses("cc"); }
    std::vector<MailAddress> bcc() const { return addresses("bcc"); }
    // The whole message as it was given.
    const QByteArray &raw() const { return m_raw; }
    // The raw (unfolded, undecoded) text of the first header field `name` (any letter case), empty if absent.
    QByteArray rawHeader(const QByteArray &name) const { return m_headers.value(name.toLower()); }

    // The plain-text body (see MessageBody::plainText). Raises when the part's character set is unknown, the
    // message is multipart but its boundary never occurs, or vmime cannot read the message.
    QString body() const;

private:
    std::vector<MailAddress> addresses(const char *field) const;

    QByteArray m_raw;
    QHash<QByteArray, QByteArray> m_headers;
    mutable std::optional<std::optional<MailAddress>> m_from;
};

} // namespace corvane

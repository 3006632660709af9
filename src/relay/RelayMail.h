// The relay library (libSMTPServer.so, SMTPServer.dll on Windows): Corvane's direct sending, which delivers
// one message to one recipient at the recipient domain's own mail servers. It looks the servers up through
// the DNS server it is given (its own small DNS client, see DnsResolver), tries them in MX preference order,
// and speaks SMTP on port 25 with STARTTLS whenever a server offers it (a failed TLS handshake is retried once
// on the same server without TLS, as mail servers do). The message is laid out as the SMTP client's
// (SMTPMessageBuilder, Date and Message-ID included), followed by the extra header lines set through
// SetHeaderLines.
//
// Results of SendMail (the error text says the details in words, free of control characters):
//   0  sent: the recipient's server took the message.
//   1  bad arguments: no or an unusable DNS server, sender or recipient address.
//   2  the message could not be built: an unreadable attachment, a line break in the subject or sender name,
//      a header too long.
//   3  the DNS server did not answer within the time-out (or could not be reached).
//   4  the recipient's domain does not exist (NXDOMAIN).
//   5  the domain exists but takes no mail: a null MX, or neither MX nor address.
//   6  the DNS server's answer was unusable: a server failure or refusal, a malformed or truncated answer.
//   7  none of the domain's mail servers could be reached or would start a session.
//   8  a mail server refused the sender, the recipient or the message for good (its 5xx reply line is the
//      error text, e.g. "550 5.1.1 <x@y>: Recipient address rejected: ...").
//   9  delivery failed for now: the servers answered 4xx (the last reply line is the error text), or the
//      connection ended after the message went out without a reply, so it may or may not have arrived.
//
// For tests only, never set in use: CORVANE_RELAY_SMTP_PORT replaces port 25 of the mail servers,
// CORVANE_RELAY_DNS_PORT port 53 of the DNS server, and CORVANE_RELAY_SMTP_TIMEOUT (milliseconds) every SMTP
// time-out (connection, replies, the message).
#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QStringList>

namespace corvane::relay {

class RelayMail {
public:
    enum Result {
        Sent = 0,
        BadArguments = 1,
        BadMessage = 2,
        DnsTimedOut = 3,
        NoDomain = 4,
        NoMailServer = 5,
        DnsFailed = 6,
        Unreachable = 7,
        Refused = 8,
        NotDelivered = 9
    };

    // The DNS time-out used when 0 is given.
    static constexpr int kDefaultDnsTimeOutMs = 6000;

    struct Message {
        QString dnsServer;
        quint16 dnsTimeOutMs = 0;
        QString fromAddress;
        QString fromName;
        QString toAddress;
        QString subject;
        QStringList body;
        bool html = false;
        QStringList attachments;
    };

    // Delivers `message` (see the results above); `error` receives the reason of every result but 0.
    static int send(const Message &message, QString &error);

    // Replaces the extra header lines of every following message. A line must be one "Name: value" header
    // of printable ASCII (no CR, LF or other control character, a field name of RFC 5322 characters); other
    // lines are dropped. Returns the number of lines kept.
    static int setHeaderLines(const QStringList &lines);
    static QStringList headerLines();

    // `text` with every control character replaced by "?".
    static QString printable(const QString &text);
};

} // namespace corvane::relay

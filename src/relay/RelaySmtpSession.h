// One delivery by the relay library to one address of a recipient's mail server: EHLO (HELO when EHLO is
// refused), STARTTLS whenever the server offers it, MAIL FROM, RCPT TO, DATA and QUIT, each step waiting in
// the calling thread with a time-out. Encryption is opportunistic: the certificate is not checked, as mail
// servers rarely carry one for the name they are reached by.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QHostAddress>
#include <QString>
#include <memory>

class QSslSocket;

namespace corvane::relay {

class RelaySmtpSession {
public:
    struct TimeLimits {
        int connectMs = 30000;
        // Greeting and every reply to a command.
        int replyMs = 120000;
        // The reply to the message's final ".".
        int messageMs = 300000;
    };

    enum class Outcome {
        Sent,
        // Nothing was delivered and the next mail server may be tried: no connection, no greeting, a refused
        // greeting or EHLO/HELO, a failed TLS handshake, a 4xx reply before the message, a lost connection.
        TryNext,
        // The server refused the sender, the recipient or the message with a 5xx reply.
        Refused,
        // The message went out but no reply to its end came: it may or may not have been delivered.
        Unknown,
    };

    struct Result {
        Outcome outcome = Outcome::TryNext;
        // The server's reply line (printable) or what went wrong, in words.
        QString text;
        // A temporary refusal (4xx) rather than a connection problem.
        bool temporary = false;
        // The TLS handshake failed: the same server may be tried without it.
        bool tlsFailed = false;
    };

    explicit RelaySmtpSession(TimeLimits limits);
    ~RelaySmtpSession();

    // Delivers `content` (header block and dot-stuffed body, without the final ".") from `sender` to
    // `recipient` through `address`:`port`. With `tls` false STARTTLS is never used.
    Result deliver(const QHostAddress &address, quint16 port, bool tls, const QByteArray &sender,
                   const QByteArray &recipient, const QByteArray &content);

private:
    struct Reply {
        int code = 0;
        // Every line of the reply, printable, without line ends.
        QByteArrayList lines;
        QString first() const { return QString::fromLatin1(lines.value(0)); }
    };

    bool readReply(int limitMs, Reply &reply);
    bool command(const QByteArray &line, int limitMs, Reply &reply);
    bool write(const QByteArray &data, int limitMs);
    QByteArray helloName() const;
    Result fail(Outcome outcome, const QString &text, bool temporary = false);

    TimeLimits m_limits;
    std::unique_ptr<QSslSocket> m_socket;
    QString m_problem;
};

} // namespace corvane::relay

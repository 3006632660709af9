// Corvane's SMTP client: one TCP connection to the configured server, greeted with HELO, over which any
// number of messages go out in lock step (RSET, MAIL FROM, RCPT TO, DATA, header, body, "."), ended by QUIT.
// With a security mode or a user the greeting is EHLO instead, with STARTTLS or TLS from the start, a verified
// certificate and AUTH PLAIN or LOGIN (TNMSMTPSecurity.cpp).
// Every reply is checked for the form of RFC 5321 and for the number its command expects; a reply that could
// belong to another command closes the connection, so that no later command reads a stale line. Every wait
// processes pending events (the window stays alive, its Cancel reaches Abort) and has a time limit; failures are
// thrown as CorvaneError.
#pragma once

#include "send/TPostMessage.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>
#include <optional>

class QSslSocket;
class QTimer;

namespace corvane {

class TNMSMTP : public QObject {
    Q_OBJECT
public:
    explicit TNMSMTP(QObject *parent = nullptr);
    // Closes an open connection without QUIT.
    ~TNMSMTP() override;

    // Server host name or dotted IPv4 address, port and the argument of HELO; read by Connect.
    QString Host;
    int Port = 25;
    QString UserID;
    // How the connection is protected: None is plain SMTP (greeted with HELO unless AuthUser is set),
    // StartTls upgrades after EHLO (a server that does not offer it fails the connect), Tls encrypts from the
    // first byte. The certificate is checked against the system's roots and Host, unless TrustedFingerprint
    // (SHA-256, hex, with or without ":") names the one certificate to accept instead.
    enum class Security { None, StartTls, Tls };
    Security SecurityMode = Security::None;
    // AUTH user and password; empty user: no authentication. The password is sent only over TLS.
    QString AuthUser;
    QString AuthPassword;
    QString TrustedFingerprint;

    // "none", "starttls", "tls" (any case, blanks around ignored); nullopt for anything else.
    static std::optional<Security> securityFromText(const QString &text);
    // The port to connect to: 587 for StartTls and 465 for Tls when `port` was left at 25, else `port`.
    static int portFor(Security security, int port);
    // Lower-case hex without separators; empty when `text` is not 64 hex digits (":" and blanks allowed).
    static QString normalFingerprint(const QString &text);

    // The message that the next SendMail writes.
    TPostMessage PostMessage;
    // 0 plain, 1 enriched, 2 sgml, 3 tab-separated-values, 4 html.
    int SubType = 0;
    // Charset declared for ASCII text; text with other characters is declared utf-8.
    QString Charset = QStringLiteral("us-ascii");
    // When on, a successful send empties the recipient and attachment lists.
    bool ClearParams = true;
    // Bare addresses without which the message must not go out: when the server refuses one of them at
    // RCPT, the message is not sent (RSET instead of DATA) and SendMail fails with that reply line.
    QStringList RequiredRecipients;

    // Default time limits: host lookup and TCP connect; one command's whole reply, continuation lines
    // included; one message from RSET to the reply to ".".
    static constexpr int kConnectLimitMs = 60 * 1000;
    static constexpr int kReplyLimitMs = 60 * 1000;
    static constexpr int kMessageLimitMs = 10 * 60 * 1000;
    // The longest reply line read, without its line end (RFC 5321 allows 512 octets with it), and the most
    // lines one reply may have.
    static constexpr qsizetype kReplyLineLimit = 4096;
    static constexpr int kReplyLinesLimit = 1000;

    // Time limits in milliseconds, counted by the client itself: see the defaults above.
    void setTimeLimits(int connectMs, int replyMs, int messageMs = kMessageLimitMs);

    bool Connected() const;
    bool Busy() const { return m_busy; }
    // The number and the text (without line end, bytes outside printable ASCII as "?") of the first line of
    // the last reply read; the number is 0 when that line was not a well-formed reply line.
    qint64 ReplyNumber() const { return m_replyNumber; }
    QByteArray LastReply() const { return m_replyLine; }
    // The bare addresses the server refused at RCPT during the last SendMail, in the order sent, and the
    // reply line of each refusal.
    const QStringList &RefusedRecipients() const { return m_refused; }
    const QByteArrayList &RefusedReplies() const { return m_refusedReplies; }

    // Resolves the host, opens the connection, reads the greeting (220) and sends HELO with UserID, or with
    // the machine's host name when UserID is empty ("localhost" when that is empty too). With a security mode
    // or a user: EHLO (HELO again when EHLO is refused and neither STARTTLS nor AUTH is needed), STARTTLS,
    // certificate check and AUTH; each of them failing throws its own message (the certificate's problem in
    // words, the server's reply to AUTH), and a password is never sent unencrypted. Emits connected on
    // success. Throws "Already connected", the lookup and connection messages (after emitting
    // connectionFailed), the greeting line when it is a refusal, "Authentication failed" when HELO is
    // refused (after emitting heloRefused), any other unexpected reply, socket errors and time-outs; a
    // failure after the TCP connection opened first runs Disconnect.
    void Connect();

    // Sends PostMessage. Does nothing while another SendMail runs. Throws, with nothing sent, on a
    // composition failure (line break in a header value, a sender or recipient that is not one plain
    // mailbox, unreadable attachment, header of 64 KB or more), "Not Connected" or "Incomplete Header"; then
    // the reply line of a refused (4xx, 5xx) RSET, MAIL FROM or DATA, or of a refused "." (after emitting
    // messageFailed), which leave the connection open. A recipient refused at RCPT is left out and named in
    // RefusedRecipients; when every recipient or a required one (RequiredRecipients) is refused, no DATA is
    // sent: RSET ends the exchange and SendMail throws the refusal's reply line. Unexpected or malformed replies,
    // socket errors and time-outs (a reply limit, or the message limit for the whole message) close the connection.
    // Emits messageSent on success.
    void SendMail();

    // Sends QUIT, reads the reply and closes the connection whatever happens. Throws the reply line when it
    // is not 221. Does nothing when no connection is open.
    void Disconnect();

    // Makes the socket operation in progress fail ("Socket send aborted" / "Socket readln aborted").
    void Abort();

signals:
    void connected();
    void connectionFailed();
    void messageSent();
    void messageFailed();
    void heloRefused();
    // Every line written (`sent` true, without line end; message content excepted) and every reply line
    // (bytes outside printable ASCII as "?").
    void dialogue(const QByteArray &line, bool sent);

private:
    enum class Wait { Ready, TimedOut, Aborted, Closed };

    Wait waitFor(const std::function<bool()> &ready, const QDeadlineTimer &until, bool stopWhenClosed);
    // Now plus `limitMs`, or the end of the message limit when that comes first.
    QDeadlineTimer deadline(int limitMs) const;
    // Closes the connection and throws the failure of a wait that did not end with Ready.
    // The text of a reply that answers no command we sent.
    static QString unexpectedReply(const QByteArray &printableLine);
    [[noreturn]] void failWait(Wait wait, const QString &timeOutText, const QString &abortText);
    QString lookUpHost();
    // The secure greeting after the 220: EHLO, STARTTLS, AUTH. Throws on every refusal.
    void greetSecurely(const QByteArray &name);
    // Runs the TLS handshake on the open connection; closes it and throws when it fails or the certificate is
    // not trusted.
    void encrypt();
    void authenticate();
    // The arguments of an extension the last EHLO reply announced; nullopt when it did not.
    std::optional<QByteArrayList> extension(const QByteArray &keyword) const;
    void checkCertificate(const QList<QSslError> &errors);
    void openConnection(const QString &address);
    void writeRaw(const QByteArray &data);
    // Writes `preceding` (message content, not logged), then the command and its line end, in one write.
    // `shown` replaces the command in the dialogue when not null (a command that carries a password).
    void sendCommand(const QByteArray &command, const QByteArray &preceding = QByteArray(),
                     const QByteArray &shown = QByteArray());
    QByteArray readLine(const QDeadlineTimer &until);
    void readReply();
    bool accepted(std::initializer_list<int> expected);
    void command(const QByteArray &text, const QByteArray &preceding = QByteArray(),
                 const QByteArray &shown = QByteArray());
    QString replyText() const;
    [[noreturn]] void failConnection(const QString &message);

    QSslSocket *m_socket;
    // Ends the event processing of a wait at its deadline (m_waitUntil; forever while no wait runs).
    QTimer *m_wakeUp;
    QDeadlineTimer m_waitUntil{QDeadlineTimer::Forever};
    int m_connectLimit = kConnectLimitMs;
    int m_replyLimit = kReplyLimitMs;
    int m_messageLimit = kMessageLimitMs;
    // The end of the message limit while SendMail runs; forever otherwise.
    QDeadlineTimer m_messageDeadline{QDeadlineTimer::Forever};
    bool m_busy = false;
    bool m_aborted = false;
    qint64 m_replyNumber = 0;
    QByteArray m_replyLine;
    // Every line of the last reply, as read.
    QByteArrayList m_replyLines;
    // Why the certificate of the last handshake was not accepted; empty when it was.
    QString m_certificateProblem;
    QStringList m_refused;
    QByteArrayList m_refusedReplies;
};

} // namespace corvane

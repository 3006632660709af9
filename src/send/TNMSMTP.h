// Corvane's SMTP client: one TCP connection to the configured server, greeted with HELO, over which any
// number of messages go out in lock step (RSET, MAIL FROM, RCPT TO, DATA, header, body, "."), ended by QUIT.
// Every wait processes pending events and has a time limit; failures are thrown as CorvaneError.
#pragma once

#include "send/TPostMessage.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QEventLoop;
class QTcpSocket;

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
    // The message that the next SendMail writes.
    TPostMessage PostMessage;
    // 0 plain, 1 enriched, 2 sgml, 3 tab-separated-values, 4 html.
    int SubType = 0;
    // Charset declared for ASCII text; text with other characters is declared utf-8.
    QString Charset = QStringLiteral("us-ascii");
    // When on, a successful send empties the recipient and attachment lists.
    bool ClearParams = true;

    // Time limits in milliseconds for the lookup and TCP connect, and for every wait on the server.
    void setTimeLimits(int connectMs, int readMs);

    bool Connected() const;
    bool Busy() const { return m_busy; }
    // The number and the text (without line end) of the first line of the last reply read.
    qint64 ReplyNumber() const { return m_replyNumber; }
    QByteArray LastReply() const { return m_replyLine; }

    // Resolves the host, opens the connection, reads the greeting and sends HELO. Emits connected on
    // success. Throws "Already connected", the lookup and connection messages (after emitting
    // connectionFailed), the greeting line when it is 400 or more, "Authentication failed" when HELO is
    // refused (after emitting heloRefused), socket errors and time-outs; a failure after the TCP connection
    // opened first runs Disconnect.
    void Connect();

    // Sends PostMessage. Does nothing while another SendMail runs. Throws, with nothing sent, on a
    // composition failure (line break in a header value, unreadable attachment, header of 64 KB or more),
    // "Not Connected" or "Incomplete Header"; then the reply line of a refused RSET, MAIL FROM or DATA, or of
    // a refused "." (after emitting messageFailed); socket errors and time-outs close the connection.
    // Emits messageSent on success.
    void SendMail();

    // Sends QUIT, reads the reply and closes the connection whatever happens. Throws the reply line when the
    // reply number is above 339. Does nothing when no connection is open.
    void Disconnect();

    // Makes the socket operation in progress fail ("Socket send aborted" / "Socket readln aborted").
    void Abort();

    // The leading decimal digits (at most 10) of a reply line as a number; 0 when there are none.
    static qint64 replyNumberOf(const QByteArray &line);

signals:
    void connected();
    void connectionFailed();
    void messageSent();
    void messageFailed();
    void heloRefused();
    // Every line written (`sent` true, without line end; message content excepted) and every reply line.
    void dialogue(const QByteArray &line, bool sent);

private:
    enum class Wait { Ready, TimedOut, Aborted, Closed };

    Wait waitFor(const std::function<bool()> &ready, int limitMs, bool stopWhenClosed);
    void quitWait();
    QString lookUpHost();
    void openConnection(const QString &address);
    void writeRaw(const QByteArray &data);
    // Writes `preceding` (message content, not logged), then the command and its line end, in one write.
    void sendCommand(const QByteArray &command, const QByteArray &preceding = QByteArray());
    QByteArray readLine();
    void readReply(bool greetingRules);
    void command(const QByteArray &text, const QByteArray &preceding = QByteArray());
    [[noreturn]] void failConnection(const QString &message);

    QTcpSocket *m_socket;
    QEventLoop *m_loop = nullptr;
    int m_connectLimit = 60000;
    int m_readLimit = 60000;
    bool m_busy = false;
    bool m_aborted = false;
    qint64 m_replyNumber = 0;
    QByteArray m_replyLine;
};

} // namespace corvane

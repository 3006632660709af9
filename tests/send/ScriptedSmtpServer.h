// An SMTP server for tests, on 127.0.0.1 and a free port: records every byte a client sends and answers each
// command from a script (default replies unless a test queues others), with switches for a silent server,
// for dropping the connection while message content arrives, and for slow and trickling replies. Given a
// certificate and key it speaks TLS from the first byte (QSslServer).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QSslConfiguration>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace corvane {

class ScriptedSmtpServer {
public:
    // `tls` with a local certificate: the connection is encrypted from the first byte, and the greeting goes out
    // once the handshake is done.
    explicit ScriptedSmtpServer(const QSslConfiguration &tls = QSslConfiguration()) {
        if (!tls.localCertificate().isNull()) {
            auto server = std::make_unique<QSslServer>();
            server->setSslConfiguration(tls);
            QObject::connect(server.get(), &QTcpServer::pendingConnectionAvailable, [this] { accept(); });
            m_server = std::move(server);
        }
        m_server->listen(QHostAddress::LocalHost, 0);
        QObject::connect(m_server.get(), &QTcpServer::newConnection, [this] { accept(); });
    }

    bool listening() const { return m_server->isListening(); }
    quint16 port() const { return m_server->serverPort(); }
    // Stops listening, so that connects to port() are refused.
    void stopListening() { m_server->close(); }

    // Queues a raw reply (with its line ends) for the command `verb` ("HELO", "RSET", "MAIL", "RCPT", "DATA",
    // ".", "QUIT"). Queued replies are used in order; the last one is repeated.
    void reply(const QByteArray &verb, const QByteArray &raw) { m_replies[verb].append(raw); }

    // Sent when a client connects; empty keeps the server silent until the client gives up.
    QByteArray greeting = "220 mx.test ESMTP\r\n";
    // The command that gets no answer at all ("" for none).
    QByteArray silentAt;
    // Drop the connection as soon as message content arrives after DATA.
    bool dropInData = false;
    // Every reply (not the greeting) is written this long after its command arrived.
    int replyDelayMs = 0;
    // The lines of a reply (the greeting included) are written one by one, this far apart.
    int lineIntervalMs = 0;

    // Everything the clients sent, in order, over all connections.
    QByteArray received;
    int connections = 0;
    // Count of commands received per verb.
    QHash<QByteArray, int> commandCount;

private:
    void accept() {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            ++connections;
            m_inData = false;
            m_pending.clear();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { readFrom(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            if (!greeting.isEmpty()) {
                send(socket, greeting, 0);
            }
        }
    }

    QByteArray replyFor(const QByteArray &verb) {
        QList<QByteArray> &queue = m_replies[verb];
        if (!queue.isEmpty()) {
            return queue.size() > 1 ? queue.takeFirst() : queue.first();
        }
        static const QHash<QByteArray, QByteArray> defaults{{"HELO", "250 mx.test\r\n"},
                                                            {"RSET", "250 2.0.0 Ok\r\n"},
                                                            {"MAIL", "250 2.1.0 Ok\r\n"},
                                                            {"RCPT", "250 2.1.5 Ok\r\n"},
                                                            {"DATA", "354 End data with <CR><LF>.<CR><LF>\r\n"},
                                                            {".", "250 2.0.0 Ok: queued\r\n"},
                                                            {"QUIT", "221 2.0.0 Bye\r\n"}};
        return defaults.value(verb, "500 5.5.2 Error: command not recognized\r\n");
    }

    void readFrom(QTcpSocket *socket) {
        const QByteArray data = socket->readAll();
        received.append(data);
        m_pending.append(data);
        qsizetype end;
        while ((end = m_pending.indexOf("\r\n")) >= 0) {
            const QByteArray line = m_pending.left(end);
            m_pending.remove(0, end + 2);
            if (m_inData) {
                if (line == ".") {
                    m_inData = false;
                    answer(socket, ".");
                } else if (dropInData) {
                    socket->abort();
                    return;
                }
                continue;
            }
            const qsizetype stop = line.indexOf(line.contains(':') ? ':' : ' ');
            const QByteArray verb = (stop < 0 ? line : line.left(stop)).toUpper();
            const QByteArray verbWord = verb.startsWith("MAIL") ? "MAIL" : verb.startsWith("RCPT") ? "RCPT" : verb;
            if (answer(socket, verbWord).startsWith("354")) {
                m_inData = true;
            }
            if (verbWord == "QUIT") {
                QTimer::singleShot(m_lastWriteMs, socket, [socket] { socket->disconnectFromHost(); });
                return;
            }
        }
    }

    // Writes the scripted reply to `verb` and returns it (empty when the server stays silent).
    QByteArray answer(QTcpSocket *socket, const QByteArray &verb) {
        ++commandCount[verb];
        if (verb == silentAt) {
            return {};
        }
        const QByteArray raw = replyFor(verb);
        send(socket, raw, replyDelayMs);
        return raw;
    }

    // Writes `raw` after `delayMs`, line by line when lines are to trickle; remembers when the last line goes.
    void send(QTcpSocket *socket, const QByteArray &raw, int delayMs) {
        m_lastWriteMs = 0;
        if (delayMs == 0 && lineIntervalMs == 0) {
            socket->write(raw);
            return;
        }
        QList<QByteArray> lines;
        for (qsizetype start = 0; start < raw.size();) {
            const qsizetype end = raw.indexOf('\n', start);
            const qsizetype next = lineIntervalMs == 0 || end < 0 ? raw.size() : end + 1;
            lines.append(raw.mid(start, next - start));
            start = next;
        }
        for (qsizetype i = 0; i < lines.size(); ++i) {
            m_lastWriteMs = delayMs + static_cast<int>(i) * lineIntervalMs;
            QTimer::singleShot(m_lastWriteMs, socket, [socket, line = lines[i]] { socket->write(line); });
        }
    }

    std::unique_ptr<QTcpServer> m_server = std::make_unique<QTcpServer>();
    QHash<QByteArray, QList<QByteArray>> m_replies;
    QByteArray m_pending;
    bool m_inData = false;
    int m_lastWriteMs = 0;
};

} // namespace corvane

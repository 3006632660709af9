// The relay library's blocking SMTP exchange with one mail server.
#include "relay/RelaySmtpSession.h"

#include "send/SMTPReplyLine.h"

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QRegularExpression>
#include <QSslSocket>

namespace corvane::relay {

namespace {

// A reply line longer than this, or a reply of more lines, is not a server's reply.
constexpr qsizetype kMaxLineLength = 2048;
constexpr int kMaxReplyLines = 100;

int remaining(const QDeadlineTimer &deadline) {
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
}

} // namespace

RelaySmtpSession::RelaySmtpSession(TimeLimits limits) : m_limits(limits) {}

RelaySmtpSession::~RelaySmtpSession() = default;

RelaySmtpSession::Result RelaySmtpSession::fail(Outcome outcome, const QString &text, bool temporary) {
    Result result;
    result.outcome = outcome;
    result.text = text;
    result.temporary = temporary;
    m_socket->abort();
    return result;
}

bool RelaySmtpSession::readReply(int limitMs, Reply &reply) {
    const QDeadlineTimer deadline(limitMs);
    reply = Reply{};
    for (int lines = 0; lines < kMaxReplyLines;) {
        if (!m_socket->canReadLine()) {
            if (m_socket->bytesAvailable() > kMaxLineLength) {
                m_problem = QStringLiteral("the server sent a line too long for a reply");
                return false;
            }
            if (deadline.hasExpired() || !m_socket->waitForReadyRead(remaining(deadline))) {
                m_problem = m_socket->state() == QAbstractSocket::ConnectedState
                                ? QStringLiteral("no reply within %1 seconds").arg(limitMs / 1000)
                                : QStringLiteral("the server closed the connection");
                return false;
            }
            continue;
        }
        QByteArray line = m_socket->readLine(kMaxLineLength + 2);
        while (line.endsWith('\n') || line.endsWith('\r')) {
            line.chop(1);
        }
        const std::optional<SMTPReplyLine> parsed = SMTPReplyLine::parse(line);
        if (!parsed || (reply.code != 0 && parsed->code != reply.code)) {
            m_problem =
                QStringLiteral("unexpected reply \"%1\"").arg(QString::fromLatin1(SMTPReplyLine::printable(line)));
            return false;
        }
        reply.code = parsed->code;
        reply.lines.append(SMTPReplyLine::printable(line));
        ++lines;
        if (parsed->last) {
            return true;
        }
    }
    m_problem = QStringLiteral("the server's reply has too many lines");
    return false;
}

bool RelaySmtpSession::write(const QByteArray &data, int limitMs) {
    const QDeadlineTimer deadline(limitMs);
    if (m_socket->write(data) != data.size()) {
        m_problem = QStringLiteral("the connection failed: ") + m_socket->errorString();
        return false;
    }
    while (m_socket->bytesToWrite() > 0) {
        if (deadline.hasExpired() || !m_socket->waitForBytesWritten(remaining(deadline))) {
            m_problem = QStringLiteral("the server did not take the data in time");
            return false;
        }
    }
    return true;
}

bool RelaySmtpSession::command(const QByteArray &line, int limitMs, Reply &reply) {
    return write(line + "\r\n", limitMs) && readReply(limitMs, reply);
}

QByteArray RelaySmtpSession::helloName() const {
    // A full host name when the computer has one, else its address in brackets (RFC 5321, 4.1.4).
    static const QRegularExpression hostName(QStringLiteral("^[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?"
                                                            "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]*[A-Za-z0-9])?)+$"));
    const QString local = QHostInfo::localHostName();
    if (hostName.match(local).hasMatch()) {
        return local.toLatin1();
    }
    const QHostAddress address = m_socket->localAddress();
    const QString literal = address.protocol() == QAbstractSocket::IPv6Protocol
                                ? QStringLiteral("IPv6:") + address.toString()
                                : QHostAddress(address.toIPv4Address()).toString();
    return '[' + literal.toLatin1() + ']';
}

RelaySmtpSession::Result RelaySmtpSession::deliver(const QHostAddress &address, quint16 port, bool tls,
                                                   const QByteArray &sender, const QByteArray &recipient,
                                                   const QByteArray &content) {
    m_socket = std::make_unique<QSslSocket>();
    m_socket->setPeerVerifyMode(QSslSocket::VerifyNone);
    const QString where = address.toString();
    m_socket->connectToHost(address, port);
    if (!m_socket->waitForConnected(m_limits.connectMs)) {
        return fail(Outcome::TryNext, QStringLiteral("%1: no connection (%2)").arg(where, m_socket->errorString()));
    }
    const int replyMs = m_limits.replyMs;
    Reply reply;
    if (!readReply(replyMs, reply)) {
        return fail(Outcome::TryNext, QStringLiteral("%1: no greeting, %2").arg(where, m_problem));
    }
    if (reply.code != 220) {
        return fail(Outcome::TryNext, reply.first(), reply.code / 100 == 4);
    }
    const QByteArray name = helloName();
    bool extended = command("EHLO " + name, replyMs, reply) && reply.code == 250;
    if (!extended && m_socket->state() == QAbstractSocket::ConnectedState && reply.code / 100 == 5) {
        // A server that does not know EHLO.
        if (!command("HELO " + name, replyMs, reply)) {
            return fail(Outcome::TryNext, QStringLiteral("%1: %2").arg(where, m_problem));
        }
    }
    if (reply.code != 250) {
        return fail(Outcome::TryNext, reply.code != 0 ? reply.first() : QStringLiteral("%1: %2").arg(where, m_problem),
                    reply.code / 100 == 4);
    }
    if (tls && extended) {
        bool offered = false;
        for (const QByteArray &line : reply.lines) {
            offered = offered || line.mid(4).trimmed().compare("STARTTLS", Qt::CaseInsensitive) == 0;
        }
        if (offered) {
            if (!command("STARTTLS", replyMs, reply) || reply.code != 220) {
                return fail(
                    Outcome::TryNext,
                    QStringLiteral("%1: STARTTLS failed, %2").arg(where, reply.code != 0 ? reply.first() : m_problem));
            }
            if (m_socket->bytesAvailable() > 0) {
                return fail(Outcome::TryNext, QStringLiteral("%1: data after the reply to STARTTLS").arg(where));
            }
            m_socket->startClientEncryption();
            if (!m_socket->waitForEncrypted(replyMs)) {
                Result result =
                    fail(Outcome::TryNext,
                         QStringLiteral("%1: the TLS handshake failed (%2)").arg(where, m_socket->errorString()));
                result.tlsFailed = true;
                return result;
            }
            if (!command("EHLO " + name, replyMs, reply) || reply.code != 250) {
                return fail(Outcome::TryNext,
                            reply.code != 0 ? reply.first() : QStringLiteral("%1: %2").arg(where, m_problem));
            }
        }
    }
    // Sender, recipient and DATA: a 5xx ends the delivery, anything else lets the next server try.
    for (const QByteArray &line : {"MAIL FROM:<" + sender + ">", "RCPT TO:<" + recipient + ">", QByteArray("DATA")}) {
        const int expected = line == "DATA" ? 354 : 250;
        if (!command(line, replyMs, reply)) {
            return fail(Outcome::TryNext, QStringLiteral("%1: %2").arg(where, m_problem));
        }
        if (reply.code != expected && !(line.startsWith("RCPT") && reply.code == 251)) {
            const Outcome outcome = reply.code / 100 == 5 ? Outcome::Refused : Outcome::TryNext;
            return fail(outcome, reply.first(), reply.code / 100 == 4);
        }
    }
    if (!write(content + ".\r\n", m_limits.messageMs) || !readReply(m_limits.messageMs, reply)) {
        return fail(
            Outcome::Unknown,
            QStringLiteral("%1: the message was sent but %2, so it may not have arrived").arg(where, m_problem));
    }
    if (reply.code != 250) {
        const Outcome outcome = reply.code / 100 == 5 ? Outcome::Refused : Outcome::TryNext;
        return fail(outcome, reply.first(), reply.code / 100 == 4);
    }
    // The message is taken; the answer to QUIT changes nothing.
    command("QUIT", std::min(replyMs, 5000), reply);
    m_socket->disconnectFromHost();
    Result result;
    result.outcome = Outcome::Sent;
    return result;
}

} // namespace corvane::relay

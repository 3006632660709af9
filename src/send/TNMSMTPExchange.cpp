// The SMTP client's exchange on the socket: waiting without an event loop per wait, connecting, writing
// commands and reading reply lines within their time limits.
#include "send/TNMSMTP.h"

#include "base/CorvaneError.h"
#include "send/SMTPReplyLine.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QSslSocket>
#include <QTimer>
#include <memory>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

namespace corvane {

namespace {

// How long a reply is waited for on the socket alone, before the wait processes events.
constexpr int kQuickReplyMs = 2;

// The socket error as the number of the matching Windows Sockets error, ":" and its description.
QString socketErrorText(QAbstractSocket::SocketError error) {
    struct Known {
        QAbstractSocket::SocketError error;
        int number;
        const char *text;
    };
    static const Known known[] = {
        {QAbstractSocket::ConnectionRefusedError, 10061, "Connection refused"},
        {QAbstractSocket::RemoteHostClosedError, 10054, "Connection reset by peer"},
        {QAbstractSocket::HostNotFoundError, 11001, "Host not found"},
        {QAbstractSocket::SocketAccessError, 10013, "Permission denied"},
        {QAbstractSocket::SocketResourceError, 10055, "No buffer space available"},
        {QAbstractSocket::SocketTimeoutError, 10060, "Connection timed out"},
        {QAbstractSocket::NetworkError, 10050, "Network is down"},
        {QAbstractSocket::AddressInUseError, 10048, "Address already in use"},
        {QAbstractSocket::SocketAddressNotAvailableError, 10049, "Cannot assign requested address"},
        {QAbstractSocket::UnsupportedSocketOperationError, 10045, "Operation not supported"},
    };
    for (const Known &k : known) {
        if (k.error == error) {
            return QStringLiteral("%1: %2").arg(k.number).arg(QLatin1String(k.text));
        }
    }
    return QStringLiteral("Unknown Error No. %1").arg(static_cast<int>(error));
}

} // namespace

QString TNMSMTP::unexpectedReply(const QByteArray &printableLine) {
    return QStringLiteral("Unexpected reply from the SMTP server: \"%1\"").arg(QString::fromLatin1(printableLine));
}

QDeadlineTimer TNMSMTP::deadline(int limitMs) const {
    const QDeadlineTimer own(limitMs);
    return m_messageDeadline < own ? m_messageDeadline : own;
}

// Processes events until `ready` holds, `until` passes, Abort is called or (with `stopWhenClosed`) the
// socket is closed; says which came first. Each round takes the events that are pending, or sleeps until the
// next one arrives (a socket, the window, the client's wake-up timer at `until`), and looks again: no event
// loop or timer is made per wait, as one reply takes several waits. A wait inside a wait (events of the window
// calling the client) restores the outer one's wake-up when it ends.
TNMSMTP::Wait TNMSMTP::waitFor(const std::function<bool()> &ready, const QDeadlineTimer &until, bool stopWhenClosed) {
    const QDeadlineTimer outer = m_waitUntil;
    m_waitUntil = until;
    bool armed = false;
    Wait result = Wait::Ready;
    while (!ready()) {
        if (m_aborted) {
            result = Wait::Aborted;
            break;
        }
        if (until.hasExpired()) {
            result = Wait::TimedOut;
            break;
        }
        if (stopWhenClosed && m_socket->state() == QAbstractSocket::UnconnectedState) {
            result = Wait::Closed;
            break;
        }
        // Armed again whenever it is not running: it may have fired a little before `until` passed.
        if (!until.isForever() && !m_wakeUp->isActive()) {
            m_wakeUp->start(std::chrono::milliseconds(std::max<qint64>(until.remainingTime(), 0)));
            armed = true;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    m_waitUntil = outer;
    if (outer.isForever()) {
        if (armed) {
            m_wakeUp->stop();
        }
    } else if (armed || !m_wakeUp->isActive()) {
        m_wakeUp->start(std::chrono::milliseconds(std::max<qint64>(outer.remainingTime(), 0)));
    }
    return result;
}

QString TNMSMTP::lookUpHost() {
    QHostAddress direct;
    if (direct.setAddress(Host) && direct.protocol() == QAbstractSocket::IPv4Protocol) {
        return direct.toString();
    }
    auto result = std::make_shared<std::optional<QHostInfo>>();
    const int id = QHostInfo::lookupHost(Host, this, [result](const QHostInfo &info) { *result = info; });
    const Wait wait = waitFor([&] { return result->has_value(); }, deadline(m_connectLimit), false);
    if (wait != Wait::Ready) {
        QHostInfo::abortHostLookup(id);
        throw CorvaneError(wait == Wait::Aborted ? QStringLiteral("Host Lookup Canceled")
                                                 : QStringLiteral("Host Lookup Timed Out"));
    }
    const QList<QHostAddress> addresses = (*result)->addresses();
    if (addresses.isEmpty()) {
        throw CorvaneError(QStringLiteral("Null Remote Address"));
    }
    for (const QHostAddress &address : addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            return address.toString();
        }
    }
    return addresses.first().toString();
}

void TNMSMTP::openConnection(const QString &address) {
    m_socket->connectToHost(QHostAddress(address), static_cast<quint16>(Port));
    const Wait wait = waitFor([this] { return Connected(); }, deadline(m_connectLimit), true);
    if (wait == Wait::Ready) {
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        return;
    }
    m_socket->abort();
    emit connectionFailed();
    throw CorvaneError(wait == Wait::TimedOut  ? QStringLiteral("Connection Timed out")
                       : wait == Wait::Aborted ? QStringLiteral("Connection Canceled")
                                               : QStringLiteral("Connection Failed"));
}

// Closes the connection and throws `message`: after a time-out, an abort or a socket error the pairing of
// commands and replies is lost, so the connection cannot carry another message.
void TNMSMTP::failConnection(const QString &message) {
    m_socket->abort();
    throw CorvaneError(message);
}

void TNMSMTP::failWait(Wait wait, const QString &timeOutText, const QString &abortText) {
    switch (wait) {
    case Wait::Aborted:
        failConnection(abortText);
    case Wait::TimedOut:
        failConnection(m_messageDeadline.hasExpired()
                           ? QStringLiteral("The SMTP server did not complete the message within %1 s")
                                 .arg(m_messageLimit / 1000.0)
                           : timeOutText);
    case Wait::Closed:
    case Wait::Ready:
        break;
    }
    failConnection(socketErrorText(m_socket->error()));
}

void TNMSMTP::writeRaw(const QByteArray &data) {
    if (m_aborted) {
        failConnection(QStringLiteral("Socket send aborted"));
    }
    if (!Connected()) {
        failConnection(socketErrorText(m_socket->error()));
    }
    qsizetype sent = 0;
#ifdef Q_OS_UNIX
    // On a connection without TLS and with nothing queued, the bytes go to the kernel at once: the socket's own
    // write would switch its write notifier on and off, each time waking the event dispatcher, for every command.
    // What the kernel does not take now (or an error) is left to the socket, which reports errors as always.
    if (!m_socket->isEncrypted() && m_socket->mode() == QSslSocket::UnencryptedMode && m_socket->bytesToWrite() == 0) {
        const ssize_t n =
            ::send(static_cast<int>(m_socket->socketDescriptor()), data.constData(), size_t(data.size()), MSG_NOSIGNAL);
        sent = n > 0 ? n : 0;
    }
#endif
    if (sent < data.size()) {
        const QByteArray rest = sent == 0 ? data : data.mid(sent);
        if (m_socket->write(rest) != rest.size()) {
            failConnection(socketErrorText(m_socket->error()));
        }
        m_socket->flush();
    }
}

// A reply line waiting before a command is sent belongs to no command of ours (a reply with lines too many, or
// a server that gave up): reading on would pair every later command with the reply to an earlier one.
void TNMSMTP::sendCommand(const QByteArray &command, const QByteArray &preceding, const QByteArray &shown) {
    if (m_socket->bytesAvailable() > 0) {
        QByteArray stale = m_socket->peek(200);
        stale.truncate(stale.indexOf('\n') < 0 ? stale.size() : stale.indexOf('\n'));
        while (stale.endsWith('\r')) {
            stale.chop(1);
        }
        failConnection(unexpectedReply(SMTPReplyLine::printable(stale)));
    }
    emit dialogue(shown.isNull() ? command : shown, true);
    writeRaw(preceding + command + "\r\n");
}

// One reply line without its line end (LF, or CR LF). Closes the connection and throws on a time-out, an
// abort, a closed connection, or a line longer than kReplyLineLimit.
QByteArray TNMSMTP::readLine(const QDeadlineTimer &until) {
    const auto lineReady = [this] {
        return m_socket->canReadLine() || m_socket->bytesAvailable() >= kReplyLineLimit + 2;
    };
    // A server on the same machine or network answers within a moment: that reply is taken from the socket
    // directly, at the cost of a few system calls instead of a round of the event dispatcher. Only a reply that
    // takes longer than kQuickReplyMs is waited for with events processed (the window's, an Abort).
    if (!lineReady() && !m_aborted && Connected()) {
        m_socket->waitForReadyRead(until.isForever()
                                       ? kQuickReplyMs
                                       : static_cast<int>(std::min<qint64>(kQuickReplyMs, until.remainingTime())));
    }
    const Wait wait = waitFor(lineReady, until, true);
    if (wait != Wait::Ready) {
        failWait(wait, QStringLiteral("No reply from the SMTP server in time"),
                 QStringLiteral("Socket readln aborted"));
    }
    // Room for the longest line with CR LF, and the terminating zero QIODevice writes.
    QByteArray line(kReplyLineLimit + 3, Qt::Uninitialized);
    const qint64 n = m_socket->readLine(line.data(), line.size());
    line.truncate(std::max<qint64>(n, 0));
    const bool ended = line.endsWith('\n');
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    if (!ended || line.size() > kReplyLineLimit) {
        failConnection(QStringLiteral("Reply line from the SMTP server longer than %1 bytes").arg(kReplyLineLimit));
    }
    return line;
}

// Reads one whole reply within the reply limit: lines that all carry the same three-digit code, with "-"
// after the code on all but the last. The reply number and text are those of the first line. A malformed
// line, a change of code, too many lines, a time-out or an abort close the connection and throw.
void TNMSMTP::readReply() {
    const QDeadlineTimer until = deadline(m_replyLimit);
    for (int count = 1;; ++count) {
        const QByteArray raw = readLine(until);
        const QByteArray shown = SMTPReplyLine::printable(raw);
        emit dialogue(shown, false);
        const std::optional<SMTPReplyLine> line = SMTPReplyLine::parse(raw);
        if (count == 1) {
            m_replyLine = shown;
            m_replyNumber = line ? line->code : 0;
            m_replyLines.clear();
        }
        m_replyLines << raw;
        if (!line || line->code != m_replyNumber) {
            failConnection(unexpectedReply(shown));
        }
        if (line->last) {
            return;
        }
        if (count == kReplyLinesLimit) {
            failConnection(QStringLiteral("Reply from the SMTP server longer than %1 lines").arg(kReplyLinesLimit));
        }
    }
}

} // namespace corvane

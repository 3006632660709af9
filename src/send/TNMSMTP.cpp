// The SMTP client's connection, command and reply exchange.
#include "send/TNMSMTP.h"

#include "base/CorvaneError.h"
#include "send/SMTPMessageBuilder.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <optional>

namespace corvane {

namespace {

constexpr qsizetype kLineLimit = 64 * 1024;
constexpr qsizetype kChunk = 64 * 1024;
// Body writing waits for the socket to drain below this many unsent bytes before the next chunk.
constexpr qsizetype kUnsentLimit = 4 * kChunk;

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

// Clears a flag when the scope ends, however it ends.
struct FlagGuard {
    bool &flag;
    ~FlagGuard() { flag = false; }
};

} // namespace

TNMSMTP::TNMSMTP(QObject *parent) : QObject(parent), m_socket(new QTcpSocket(this)) {
    connect(m_socket, &QTcpSocket::readyRead, this, &TNMSMTP::quitWait);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &TNMSMTP::quitWait);
    connect(m_socket, &QTcpSocket::connected, this, &TNMSMTP::quitWait);
    connect(m_socket, &QTcpSocket::disconnected, this, &TNMSMTP::quitWait);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TNMSMTP::quitWait);
}

TNMSMTP::~TNMSMTP() {
    m_socket->abort();
}

void TNMSMTP::setTimeLimits(int connectMs, int readMs) {
    m_connectLimit = connectMs;
    m_readLimit = readMs;
}

bool TNMSMTP::Connected() const {
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void TNMSMTP::Abort() {
    m_aborted = true;
    quitWait();
}

void TNMSMTP::quitWait() {
    if (m_loop) {
        m_loop->quit();
    }
}

qint64 TNMSMTP::replyNumberOf(const QByteArray &line) {
    qint64 number = 0;
    for (qsizetype i = 0; i < line.size() && i < 10 && line[i] >= '0' && line[i] <= '9'; ++i) {
        number = number * 10 + (line[i] - '0');
    }
    return number;
}

// Processes events until `ready` holds, `limitMs` pass, Abort is called or (with `stopWhenClosed`) the
// socket is closed; says which came first.
TNMSMTP::Wait TNMSMTP::waitFor(const std::function<bool()> &ready, int limitMs, bool stopWhenClosed) {
    const QDeadlineTimer deadline(limitMs);
    while (!ready()) {
        if (m_aborted) {
            return Wait::Aborted;
        }
        if (deadline.hasExpired()) {
            return Wait::TimedOut;
        }
        if (stopWhenClosed && m_socket->state() == QAbstractSocket::UnconnectedState) {
            return Wait::Closed;
        }
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(std::max<qint64>(deadline.remainingTime(), 0));
        QEventLoop *outer = m_loop;
        m_loop = &loop;
        loop.exec();
        m_loop = outer;
    }
    return Wait::Ready;
}

QString TNMSMTP::lookUpHost() {
    QHostAddress direct;
    if (direct.setAddress(Host) && direct.protocol() == QAbstractSocket::IPv4Protocol) {
        return direct.toString();
    }
    auto result = std::make_shared<std::optional<QHostInfo>>();
    const int id = QHostInfo::lookupHost(Host, this, [result, this](const QHostInfo &info) {
        *result = info;
        quitWait();
    });
    const Wait wait = waitFor([&] { return result->has_value(); }, m_connectLimit, false);
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
    const Wait wait = waitFor([this] { return Connected(); }, m_connectLimit, true);
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

void TNMSMTP::writeRaw(const QByteArray &data) {
    if (m_aborted) {
        failConnection(QStringLiteral("Socket send aborted"));
    }
    if (!Connected() || m_socket->write(data) != data.size()) {
        failConnection(socketErrorText(m_socket->error()));
    }
    m_socket->flush();
}

void TNMSMTP::sendCommand(const QByteArray &command, const QByteArray &preceding) {
    emit dialogue(command, true);
    writeRaw(preceding + command + "\r\n");
}

QByteArray TNMSMTP::readLine() {
    const Wait wait = waitFor([this] { return m_socket->canReadLine() || m_socket->bytesAvailable() >= kLineLimit; },
                              m_readLimit, true);
    switch (wait) {
    case Wait::Ready:
        break;
    case Wait::Aborted:
        failConnection(QStringLiteral("Socket readln aborted"));
    case Wait::TimedOut:
        failConnection(QStringLiteral("No reply from the SMTP server in time"));
    case Wait::Closed:
        failConnection(socketErrorText(m_socket->error()));
    }
    // Read in small pieces: asking QIODevice for a line of up to the whole limit would allocate the limit for
    // every reply line. The result is the same: the bytes up to and including the first line feed, at most
    // kLineLimit of them.
    QByteArray line;
    char piece[512];
    while (line.size() < kLineLimit) {
        const qint64 n = m_socket->readLine(piece, std::min<qint64>(sizeof piece, kLineLimit - line.size() + 1));
        if (n <= 0) {
            break;
        }
        line.append(piece, n);
        if (piece[n - 1] == '\n') {
            break;
        }
    }
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    emit dialogue(line, false);
    return line;
}

// Reads one reply. A line whose fourth character is "-" is followed by more lines of the same reply; for
// the greeting and HELO (`greetingRules`) so is a line that begins with a blank. The reply number and text
// are those of the first line.
void TNMSMTP::readReply(bool greetingRules) {
    QByteArray line = readLine();
    m_replyLine = line;
    m_replyNumber = replyNumberOf(line);
    auto continues = [greetingRules](const QByteArray &l) {
        return (l.size() > 3 && l[3] == '-') || (greetingRules && l.startsWith(' '));
    };
    while (continues(line)) {
        line = readLine();
    }
}

void TNMSMTP::command(const QByteArray &text, const QByteArray &preceding) {
    sendCommand(text, preceding);
    readReply(false);
}

void TNMSMTP::Connect() {
    if (Connected()) {
        throw CorvaneError(QStringLiteral("Already connected"));
    }
    m_aborted = false;
    openConnection(lookUpHost());
    try {
        readReply(true);
        if (m_replyNumber >= 400) {
            throw CorvaneError(QString::fromLatin1(m_replyLine));
        }
        if (UserID.contains(QLatin1Char('\r')) || UserID.contains(QLatin1Char('\n'))) {
            throw CorvaneError(QStringLiteral("Line break in the HELO argument refused"));
        }
        sendCommand("HELO " + UserID.toUtf8());
        readReply(true);
        if (m_replyNumber >= 300) {
            emit heloRefused();
            throw CorvaneError(QStringLiteral("Authentication failed"));
        }
    } catch (const CorvaneError &) {
        try {
            Disconnect();
        } catch (const CorvaneError &) {
            // The original failure is the one to report.
        }
        throw;
    }
    emit connected();
}

void TNMSMTP::SendMail() {
    if (m_busy) {
        return;
    }
    m_busy = true;
    FlagGuard busy{m_busy};
    m_aborted = false;
    const SMTPMessageBuilder::Composed composed = SMTPMessageBuilder::compose(PostMessage, SubType, Charset);
    if (!Connected()) {
        throw CorvaneError(QStringLiteral("Not Connected"));
    }
    const TPostMessage &m = PostMessage;
    if (m.FromAddress.isEmpty() ||
        (m.ToAddress.isEmpty() && m.ToCarbonCopy.isEmpty() && m.ToBlindCarbonCopy.isEmpty())) {
        throw CorvaneError(QStringLiteral("Incomplete Header"));
    }
    auto refuseFrom = [this](qint64 limit) {
        if (m_replyNumber >= limit) {
            throw CorvaneError(QString::fromLatin1(m_replyLine));
        }
    };
    command("RSET");
    refuseFrom(400);
    command("MAIL FROM:<" + m.FromAddress.toLatin1() + ">");
    refuseFrom(400);
    for (const QStringList *list : {&m.ToAddress, &m.ToCarbonCopy, &m.ToBlindCarbonCopy}) {
        for (const QString &entry : *list) {
            const QString address = SMTPMessageBuilder::bareAddress(entry);
            if (!address.isEmpty()) {
                command("RCPT TO:<" + address.toLatin1() + ">");
            }
        }
    }
    command("DATA");
    refuseFrom(400);

    if (composed.headerBlock.size() + composed.body.size() + 3 <= kChunk) {
        // A short message goes out with its final "." in a single write: one segment for the server to read
        // instead of three. The longer path below would process no event between its writes for a message this
        // short (its drain wait is satisfied at once), so the one write sends the same bytes in the same state.
        command(".", composed.headerBlock + composed.body);
    } else {
        writeRaw(composed.headerBlock);
        for (qsizetype start = 0; start < composed.body.size(); start += kChunk) {
            writeRaw(composed.body.mid(start, kChunk));
            const Wait wait = waitFor([this] { return m_socket->bytesToWrite() <= kUnsentLimit; }, m_readLimit, true);
            if (wait == Wait::Aborted) {
                failConnection(QStringLiteral("Socket send aborted"));
            } else if (wait == Wait::TimedOut) {
                failConnection(QStringLiteral("The SMTP server did not take the message in time"));
            } else if (wait == Wait::Closed) {
                failConnection(socketErrorText(m_socket->error()));
            }
        }
        command(".");
    }
    if (m_replyNumber >= 400) {
        emit messageFailed();
        throw CorvaneError(QString::fromLatin1(m_replyLine));
    }
    if (ClearParams) {
        PostMessage.ToAddress.clear();
        PostMessage.ToCarbonCopy.clear();
        PostMessage.ToBlindCarbonCopy.clear();
        PostMessage.Attachments.clear();
    }
    m_busy = false;
    emit messageSent();
}

void TNMSMTP::Disconnect() {
    if (!Connected()) {
        m_socket->abort();
        return;
    }
    try {
        command("QUIT");
    } catch (const CorvaneError &) {
        m_socket->abort();
        throw;
    }
    m_socket->abort();
    if (m_replyNumber > 339) {
        throw CorvaneError(QString::fromLatin1(m_replyLine));
    }
}

} // namespace corvane

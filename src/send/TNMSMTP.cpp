// The SMTP client's operations: connect with its greeting and HELO or EHLO, one message, and QUIT.
#include "send/TNMSMTP.h"

#include "base/CorvaneError.h"
#include "send/SMTPMessageBuilder.h"
#include "send/SMTPReplyLine.h"

#include <QHostInfo>
#include <QSslSocket>
#include <QTimer>

namespace corvane {

namespace {

constexpr qsizetype kChunk = 64 * 1024;
// Body writing waits for the socket to drain below this many unsent bytes before the next chunk.
constexpr qsizetype kUnsentLimit = 4 * kChunk;

// Clears a flag when the scope ends, however it ends.
struct FlagGuard {
    bool &flag;
    ~FlagGuard() { flag = false; }
};

// Ends the message limit when the scope ends, however it ends.
struct DeadlineGuard {
    QDeadlineTimer &deadline;
    ~DeadlineGuard() { deadline = QDeadlineTimer(QDeadlineTimer::Forever); }
};

bool isRefusal(qint64 replyNumber) {
    return replyNumber >= 400 && replyNumber <= 599;
}

} // namespace

TNMSMTP::TNMSMTP(QObject *parent) : QObject(parent), m_socket(new QSslSocket(this)), m_wakeUp(new QTimer(this)) {
    connect(m_socket, &QSslSocket::sslErrors, this, &TNMSMTP::checkCertificate);
    // The timer only has to end the wait's event processing at its deadline; waitFor looks at the clock.
    m_wakeUp->setSingleShot(true);
    m_wakeUp->setTimerType(Qt::PreciseTimer);
    connect(m_wakeUp, &QTimer::timeout, this, [] {});
}

TNMSMTP::~TNMSMTP() {
    m_socket->abort();
}

void TNMSMTP::setTimeLimits(int connectMs, int replyMs, int messageMs) {
    m_connectLimit = connectMs;
    m_replyLimit = replyMs;
    m_messageLimit = messageMs;
}

bool TNMSMTP::Connected() const {
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void TNMSMTP::Abort() {
    m_aborted = true;
}

// True when the reply just read has one of the `expected` numbers; false on a refusal (4xx, 5xx), after which
// the exchange is still in step. Any other number answers no command we sent (or DATA answered 250, which
// would send the content as commands): closes the connection and throws the reply line.
bool TNMSMTP::accepted(std::initializer_list<int> expected) {
    for (const int number : expected) {
        if (m_replyNumber == number) {
            return true;
        }
    }
    if (isRefusal(m_replyNumber)) {
        return false;
    }
    failConnection(TNMSMTP::unexpectedReply(m_replyLine));
}

QString TNMSMTP::replyText() const {
    return QString::fromLatin1(m_replyLine);
}

void TNMSMTP::command(const QByteArray &text, const QByteArray &preceding, const QByteArray &shown) {
    sendCommand(text, preceding, shown);
    readReply();
}

void TNMSMTP::Connect() {
    if (Connected()) {
        throw CorvaneError(QStringLiteral("Already connected"));
    }
    m_aborted = false;
    const bool secure = SecurityMode != Security::None || !AuthUser.isEmpty();
    if (SecurityMode == Security::None && !AuthUser.isEmpty()) {
        throw CorvaneError(QStringLiteral("Corvane does not send the SMTP password over an unencrypted connection: "
                                          "choose STARTTLS or TLS for this server, or no user"));
    }
    openConnection(lookUpHost());
    try {
        if (SecurityMode == Security::Tls) {
            encrypt();
        }
        readReply();
        if (!accepted({220})) {
            throw CorvaneError(replyText());
        }
        if (UserID.contains(QLatin1Char('\r')) || UserID.contains(QLatin1Char('\n'))) {
            throw CorvaneError(QStringLiteral("Line break in the HELO argument refused"));
        }
        QString name = UserID.trimmed();
        if (name.isEmpty()) {
            name = QHostInfo::localHostName().trimmed();
        }
        if (name.isEmpty()) {
            name = QStringLiteral("localhost");
        }
        if (secure) {
            greetSecurely(name.toUtf8());
        } else {
            command("HELO " + name.toUtf8());
            if (!accepted({250})) {
                emit heloRefused();
                throw CorvaneError(QStringLiteral("Authentication failed"));
            }
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
    m_refused.clear();
    m_refusedReplies.clear();
    const SMTPMessageBuilder::Composed composed = SMTPMessageBuilder::compose(PostMessage, SubType, Charset);
    if (!Connected()) {
        throw CorvaneError(QStringLiteral("Not Connected"));
    }
    const TPostMessage &m = PostMessage;
    if (m.FromAddress.isEmpty() ||
        (m.ToAddress.isEmpty() && m.ToCarbonCopy.isEmpty() && m.ToBlindCarbonCopy.isEmpty())) {
        throw CorvaneError(QStringLiteral("Incomplete Header"));
    }
    m_messageDeadline = QDeadlineTimer(m_messageLimit);
    DeadlineGuard messageLimit{m_messageDeadline};
    auto step = [this](const QByteArray &text, std::initializer_list<int> expected) {
        command(text);
        if (!accepted(expected)) {
            throw CorvaneError(replyText());
        }
    };
    step("RSET", {250});
    step("MAIL FROM:<" + m.FromAddress.toLatin1() + ">", {250});
    int taken = 0;
    QByteArray requiredRefusal;
    for (const QStringList *list : {&m.ToAddress, &m.ToCarbonCopy, &m.ToBlindCarbonCopy}) {
        for (const QString &entry : *list) {
            const QString address = SMTPMessageBuilder::bareAddress(entry);
            if (address.isEmpty()) {
                continue;
            }
            command("RCPT TO:<" + address.toLatin1() + ">");
            if (accepted({250, 251})) {
                ++taken;
                continue;
            }
            // A refused recipient is left out of the message and named to the caller.
            m_refused << address;
            m_refusedReplies << m_replyLine;
            if (requiredRefusal.isEmpty() && RequiredRecipients.contains(address, Qt::CaseInsensitive)) {
                requiredRefusal = m_replyLine;
            }
        }
    }
    if (taken == 0 || !requiredRefusal.isEmpty()) {
        // Nothing may go out: the transaction is reset instead of sending a message the server would deliver
        // to nobody, or to the others without the one it is meant for.
        const QByteArray refusal = !requiredRefusal.isEmpty()    ? requiredRefusal
                                   : !m_refusedReplies.isEmpty() ? m_refusedReplies.last()
                                                                 : QByteArray("Incomplete Header");
        command("RSET");
        accepted({250});
        throw CorvaneError(QString::fromLatin1(refusal));
    }
    step("DATA", {354});

    if (composed.headerBlock.size() + composed.body.size() + 3 <= kChunk) {
        // A short message goes out with its final "." in a single write: one segment for the server to read
        // instead of three. The longer path below would process no event between its writes for a message this
        // short (its drain wait is satisfied at once), so the one write sends the same bytes in the same state.
        command(".", composed.headerBlock + composed.body);
    } else {
        writeRaw(composed.headerBlock);
        for (qsizetype start = 0; start < composed.body.size(); start += kChunk) {
            writeRaw(composed.body.mid(start, kChunk));
            const Wait wait =
                waitFor([this] { return m_socket->bytesToWrite() <= kUnsentLimit; }, deadline(m_replyLimit), true);
            if (wait != Wait::Ready) {
                failWait(wait, QStringLiteral("The SMTP server did not take the message in time"),
                         QStringLiteral("Socket send aborted"));
            }
        }
        command(".");
    }
    if (!accepted({250})) {
        emit messageFailed();
        throw CorvaneError(replyText());
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
    bool bye = false;
    try {
        command("QUIT");
        bye = accepted({221});
    } catch (const CorvaneError &) {
        m_socket->abort();
        throw;
    }
    m_socket->abort();
    if (!bye) {
        throw CorvaneError(replyText());
    }
}

} // namespace corvane

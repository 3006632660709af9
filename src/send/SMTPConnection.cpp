// Connect, send and disconnect of the send dialog over the SMTP client.
#include "send/SMTPConnection.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "mailstore/SecretPassword.h"
#include "send/SMTPMessageBuilder.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>

namespace corvane {

SMTPConnection::SMTPConnection(const Settings &settings, UserPrompt &prompt, QObject *parent)
    : QObject(parent), m_settings(settings), m_prompt(prompt) {
    auto done = [this] { m_done = true; };
    auto failed = [this] {
        m_done = true;
        m_failed = true;
    };
    connect(&m_client, &TNMSMTP::connected, this, done);
    connect(&m_client, &TNMSMTP::messageSent, this, done);
    connect(&m_client, &TNMSMTP::connectionFailed, this, failed);
    connect(&m_client, &TNMSMTP::messageFailed, this, failed);
    connect(&m_client, &TNMSMTP::heloRefused, this, failed);
}

void SMTPConnection::configureClient(TNMSMTP &client, const Settings &settings, const QString &password) {
    client.Host = settings.SMTPHost;
    client.UserID = settings.SMTPID;
    const std::optional<TNMSMTP::Security> security = TNMSMTP::securityFromText(settings.SMTPSecurity);
    if (!security) {
        throw CorvaneError(QStringLiteral("Unknown SMTP security \"%1\" (SMTPSecurity): choose none, starttls or tls")
                               .arg(settings.SMTPSecurity));
    }
    client.SecurityMode = *security;
    client.Port = TNMSMTP::portFor(*security, settings.SMTPPort);
    client.AuthUser = settings.SMTPUser.trimmed();
    client.TrustedFingerprint = settings.SMTPCertificateFingerprint;
    client.AuthPassword.clear();
    if (!client.AuthUser.isEmpty() && *security != TNMSMTP::Security::None) {
        client.AuthPassword = !password.isEmpty()
                                  ? password
                                  : SecretPassword::lookup(SecretPassword::smtp(), settings.SMTPPasswordFile,
                                                           client.AuthUser, client.Host);
    }
}

void SMTPConnection::setWaitLimits(int connectWaitMs, int sendWaitMs) {
    m_connectWait = connectWaitMs;
    m_sendWait = sendWaitMs;
}

void SMTPConnection::log(const QString &line) {
    if (m_sendLog) {
        m_sendLog(line);
    }
}

// Pumps events until the done flag is set; once `limitMs` have passed since `startedMs`, aborts the client
// and returns false.
bool SMTPConnection::waitDone(qint64 startedMs, int limitMs) {
    while (!m_done) {
        QThread::msleep(1);
        QCoreApplication::processEvents();
        m_prompt.processEvents();
        if (QDateTime::currentMSecsSinceEpoch() - startedMs > limitMs) {
            m_client.Abort();
            return false;
        }
    }
    return true;
}

bool SMTPConnection::SMTPConnect() {
    log(QStringLiteral("Connecting to SMTP server"));
    m_done = false;
    m_failed = false;
    try {
        configureClient(m_client, m_settings);
        const qint64 started = QDateTime::currentMSecsSinceEpoch();
        m_client.Connect();
        if (!waitDone(started, m_connectWait)) {
            throw CorvaneError(QStringLiteral("Connection Timed out"));
        }
        m_open = !m_failed;
    } catch (const CorvaneError &e) {
        m_prompt.message(UserPrompt::Kind::Warning,
                         QStringLiteral("An error was encountered while connecting to your SMTP server:\r\n\r\n") +
                             e.message(),
                         UserPrompt::Ok);
        log(QStringLiteral("SMTP Connection Error: ") + e.message());
        return false;
    }
    return !m_failed;
}

bool SMTPConnection::SendSMTPMail(bool html) {
    m_done = false;
    m_failed = false;
    m_client.SubType = html ? SMTPMessageBuilder::Html : SMTPMessageBuilder::Plain;
    m_client.PostMessage.FromAddress = m_settings.SMTPEmail;
    m_client.PostMessage.FromName = m_settings.SMTPName;
    bool ok = true;
    try {
        if (m_open && !m_client.Connected()) {
            reconnect();
        }
        const qint64 started = QDateTime::currentMSecsSinceEpoch();
        m_client.SendMail();
        ok = waitDone(started, m_sendWait) && !m_failed;
    } catch (const CorvaneError &) {
        ok = false;
    }
    if (!ok) {
        const QString text = QStringLiteral("An error was encountered while sending your mail via SMTP!");
        if (m_sendError) {
            m_sendError(text);
        } else {
            m_prompt.message(UserPrompt::Kind::Error, text, UserPrompt::Ok);
        }
    }
    return ok;
}

// A failed message that closed the connection (a time-out, a reply out of step) must not end the job: the next
// message opens a new connection, greeted afresh, instead of reading what the old one left behind.
void SMTPConnection::reconnect() {
    log(QStringLiteral("Connecting to SMTP server"));
    try {
        m_client.Connect();
    } catch (const CorvaneError &e) {
        log(QStringLiteral("SMTP Connection Error: ") + e.message());
        throw;
    }
    m_done = false;
    m_failed = false;
}

void SMTPConnection::SMTPDisconnect() {
    log(QStringLiteral("Disconnecting from the SMTP server"));
    m_open = false;
    try {
        m_client.Disconnect();
    } catch (const CorvaneError &) {
        // Saying goodbye cannot fail the job: the messages are already out.
    }
}

} // namespace corvane

// The SMTP settings: filling the fields for the method and storing them.
#include "settings/TdlgSMTPSettings.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "mailstore/SecretPassword.h"
#include "send/SMTPConnection.h"
#include "send/TNMSMTP.h"
#include "settings/Settings.h"

#include <algorithm>
#include <climits>

namespace corvane {

namespace {

const char *const kSecurityWords[] = {"none", "starttls", "tls"};

int securityIndex(const QString &word) {
    const std::optional<TNMSMTP::Security> security = TNMSMTP::securityFromText(word);
    return security == TNMSMTP::Security::StartTls ? 1 : security == TNMSMTP::Security::Tls ? 2 : 0;
}

} // namespace

TdlgSMTPSettings::TdlgSMTPSettings(Settings &settings, UserPrompt &prompt, int method)
    : m_settings(settings), m_prompt(prompt), m_relay(method == 4),
      m_storePassword([](const QString &user, const QString &host, const QString &password) {
          SecretPassword::toSecretStore(SecretPassword::smtp(), user, host, password);
      }) {
    controls.senderName = settings.SMTPName;
    controls.senderAddress = settings.SMTPEmail;
    if (m_relay) {
        controls.heading = QStringLiteral("The following settings are required for using the CVN SMTP server relay");
        controls.hostLabel = QStringLiteral("DNS Server:");
        controls.portLabel = QStringLiteral("DNS Time Out (sec):");
        controls.host = settings.DNSHost;
        controls.port = QString::number(settings.DNSTimeOut / 1000);
        controls.userIdVisible = false;
        controls.processBounceVisible = true;
        controls.processBounce = settings.DNSProcessBounce;
    } else {
        controls.heading = QStringLiteral("The following details are required for SMTP sending:");
        controls.hostLabel = QStringLiteral("SMTP Host (e.g. mail.example.com):");
        controls.portLabel = QStringLiteral("Port (e.g. 25): ");
        controls.host = settings.SMTPHost;
        controls.port = QString::number(settings.SMTPPort);
        controls.userId = settings.SMTPID;
        controls.security = securityIndex(settings.SMTPSecurity);
        controls.smtpUser = settings.SMTPUser;
        controls.fingerprint = settings.SMTPCertificateFingerprint;
    }
    controls.securityVisible = !m_relay;
}

bool TdlgSMTPSettings::OK() {
    bool ok = false;
    const int number = controls.port.trimmed().toInt(&ok);
    if (!ok || number < 0) {
        m_prompt.message(UserPrompt::Kind::Warning, invalidPortText(), UserPrompt::Ok);
        return false;
    }
    const QString fingerprint = controls.fingerprint.trimmed();
    if (!m_relay && !fingerprint.isEmpty() && TNMSMTP::normalFingerprint(fingerprint).isEmpty()) {
        m_prompt.message(UserPrompt::Kind::Warning, invalidFingerprintText(), UserPrompt::Ok);
        return false;
    }
    const QString user = controls.smtpUser.trimmed();
    if (!m_relay && !user.isEmpty() && !controls.password.isEmpty()) {
        try {
            m_storePassword(user, controls.host.trimmed(), controls.password);
        } catch (const CorvaneError &e) {
            m_prompt.message(UserPrompt::Kind::Warning, e.message(), UserPrompt::Ok);
            return false;
        }
    }
    if (m_relay) {
        // Seconds are stored as milliseconds; a time-out too long to store is the longest there is.
        m_settings.DNSTimeOut = number > INT_MAX / 1000 ? INT_MAX / 1000 * 1000 : number * 1000;
        m_settings.DNSHost = controls.host.trimmed();
        m_settings.DNSProcessBounce = controls.processBounce;
    } else {
        m_settings.SMTPPort = number;
        m_settings.SMTPID = controls.userId.trimmed();
        m_settings.SMTPHost = controls.host.trimmed();
        m_settings.SMTPSecurity = QString::fromLatin1(kSecurityWords[std::clamp(controls.security, 0, 2)]);
        m_settings.SMTPUser = user;
        m_settings.SMTPCertificateFingerprint = fingerprint;
    }
    m_settings.SMTPName = controls.senderName.trimmed();
    m_settings.SMTPEmail = controls.senderAddress.trimmed();
    return true;
}

TdlgSMTPSettings::TestResult TdlgSMTPSettings::testConnection() {
    TestResult result;
    Settings trial = m_settings;
    trial.SMTPHost = controls.host.trimmed();
    trial.SMTPPort = controls.port.trimmed().toInt();
    trial.SMTPID = controls.userId.trimmed();
    trial.SMTPSecurity = QString::fromLatin1(kSecurityWords[std::clamp(controls.security, 0, 2)]);
    trial.SMTPUser = controls.smtpUser.trimmed();
    trial.SMTPCertificateFingerprint = controls.fingerprint.trimmed();
    TNMSMTP client;
    QObject::connect(&client, &TNMSMTP::dialogue, [&result](const QByteArray &line, bool sent) {
        result.lines << (sent ? QStringLiteral("C: ") : QStringLiteral("S: ")) + QString::fromLatin1(line);
    });
    try {
        SMTPConnection::configureClient(client, trial, controls.password);
        result.lines << QStringLiteral("Connecting to %1, port %2").arg(client.Host).arg(client.Port);
        client.Connect();
        client.Disconnect();
        result.ok = true;
    } catch (const CorvaneError &e) {
        result.lines << QStringLiteral("Failed: ") + e.message();
    }
    m_prompt.message(
        result.ok ? UserPrompt::Kind::Information : UserPrompt::Kind::Warning,
        (result.ok ? QStringLiteral("The connection test succeeded.") : QStringLiteral("The connection test failed.")) +
            QStringLiteral("\r\n\r\n") + result.lines.join(QStringLiteral("\r\n")),
        UserPrompt::Ok);
    return result;
}

} // namespace corvane

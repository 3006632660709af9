// The SMTP settings: filling the fields for the method and storing them.
#include "settings/TdlgSMTPSettings.h"

#include "base/UserPrompt.h"
#include "settings/Settings.h"

#include <climits>

namespace corvane {

TdlgSMTPSettings::TdlgSMTPSettings(Settings &settings, UserPrompt &prompt, int method)
    : m_settings(settings), m_prompt(prompt), m_relay(method == 4) {
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
    }
}

bool TdlgSMTPSettings::OK() {
    bool ok = false;
    const int number = controls.port.trimmed().toInt(&ok);
    if (!ok || number < 0) {
        m_prompt.message(UserPrompt::Kind::Warning, invalidPortText(), UserPrompt::Ok);
        return false;
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
    }
    m_settings.SMTPName = controls.senderName.trimmed();
    m_settings.SMTPEmail = controls.senderAddress.trimmed();
    return true;
}

} // namespace corvane

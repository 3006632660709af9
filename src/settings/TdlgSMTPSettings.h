// The SMTP settings dialog's behaviour ("SMTP Settings"), free of widgets: for the SMTP method the server,
// port, user identity and sender; for the relay method the name server, its time-out in whole seconds, the
// bounce choice and the sender; for the SMTP method also the connection's security, the log-in user, its
// password (kept in the desktop's secret store, never in the settings file) and a trusted certificate
// fingerprint, with a connection test. OK checks the fields and stores them; Cancel changes nothing.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace corvane {

class Settings;
class UserPrompt;

class TdlgSMTPSettings {
public:
    struct Controls {
        QString heading;
        QString hostLabel;
        QString portLabel;
        bool userIdVisible = true;
        bool processBounceVisible = false;
        QString host;
        QString port;
        QString userId;
        QString senderName;
        QString senderAddress;
        bool processBounce = true;
        // The SMTP method's security and log-in; hidden for the relay.
        bool securityVisible = true;
        // 0 none, 1 STARTTLS, 2 TLS on connect (the entries of securityChoices()).
        int security = 0;
        QString smtpUser;
        // Empty: the stored password is kept.
        QString password;
        QString fingerprint;
    };

    // What a connection test showed: whether every step succeeded and the dialogue ("C: ", "S: " lines,
    // passwords as "****") followed by the failure when there was one.
    struct TestResult {
        bool ok = false;
        QStringList lines;
    };
    using PasswordStore = std::function<void(const QString &user, const QString &host, const QString &password)>;

    // `method` is the sending method: 4 is the relay, anything else the SMTP method.
    TdlgSMTPSettings(Settings &settings, UserPrompt &prompt, int method);

    Controls controls;
    bool relay() const { return m_relay; }

    // OK: a port (or time-out) that is not an integer, or is negative, is refused with "You have not specified
    // a valid SMTP port!" and the dialog stays open (false); so is a fingerprint that is not 64 hex digits, and
    // a password the secret store refuses (with the store's message). Otherwise the fields are stored and a
    // typed password goes to the secret store for the user at the host.
    bool OK();

    // "Test connection": connects with the fields as they are now (not yet stored), logs in when a user is set
    // (with the typed password, else the stored one) and quits. Shows the result through the prompt and
    // returns it. Never changes the settings.
    TestResult testConnection();

    // Replaces the secret store (tests).
    void setPasswordStore(PasswordStore store) { m_storePassword = std::move(store); }

    static QStringList securityChoices() {
        return {QStringLiteral("None"), QStringLiteral("STARTTLS"), QStringLiteral("TLS on connect")};
    }
    static QString invalidPortText() { return QStringLiteral("You have not specified a valid SMTP port!"); }
    static QString invalidFingerprintText() {
        return QStringLiteral("The certificate fingerprint must be a SHA-256 fingerprint: 64 hexadecimal digits.");
    }

private:
    Settings &m_settings;
    UserPrompt &m_prompt;
    bool m_relay;
    PasswordStore m_storePassword;
};

} // namespace corvane

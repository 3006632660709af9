// The SMTP settings dialog's behaviour ("SMTP Settings"), free of widgets: for the SMTP method the server,
// port, user identity and sender; for the relay method the name server, its time-out in whole seconds, the
// bounce choice and the sender. OK checks the number field and stores the fields; Cancel changes nothing.
#pragma once

#include <QString>

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
    };

    // `method` is the sending method: 4 is the relay, anything else the SMTP method.
    TdlgSMTPSettings(Settings &settings, UserPrompt &prompt, int method);

    Controls controls;
    bool relay() const { return m_relay; }

    // OK: a port (or time-out) that is not an integer, or is negative, is refused with "You have not specified
    // a valid SMTP port!" and the dialog stays open (false). Otherwise the fields are stored.
    bool OK();

    static QString invalidPortText() { return QStringLiteral("You have not specified a valid SMTP port!"); }

private:
    Settings &m_settings;
    UserPrompt &m_prompt;
    bool m_relay;
};

} // namespace corvane

// Mails the outcome of an e-mailed request back to the person who sent it: the header text, the outcome
// sentence and the footer text under the acknowledgement subject, through the mail store or through the SMTP
// client as the sending method says, with a log line for every attempt.
#pragma once

#include "requests/Acknowledger.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace corvane {

class ActivityLog;
class SMTPConnection;
class Settings;
class UserPrompt;

class AcknowledgementMailer : public Acknowledger {
public:
    AcknowledgementMailer(const Settings &settings, const ActivityLog &log, UserPrompt &prompt);

    // Does nothing while acknowledgements are switched off or when `address` fails the standard validity
    // rules. Otherwise sends through SMTP with sending method 3 and through the mail store with any other
    // method (through the safe item with method 2). Never raises.
    void SendAcknowledgement(const QString &address, const QString &sentence) override;

    // Composes and sends through the mail store. A failure before the send shows the mail store error and logs
    // nothing; a failed send is logged. True when sent.
    bool OLESendAcknowledgement(const QString &address, const QString &sentence, bool throughSafeItem);
    // Connects with the SMTP settings, sends one plain-text message and disconnects. A recipient or SMTP sender
    // address that fails the validity check is logged with the reason and nothing is sent. A failed connection
    // is reported by the connection layer and logs nothing; a failed send shows "SMTP Acknowledgement failed"
    // and is logged. True when sent.
    bool SMTPSendAcknowledgement(const QString &address, const QString &sentence);

    // The body's lines: the header lines, an empty line, the sentence, an empty line, the footer lines.
    QStringList messageLines(const QString &sentence) const;

    // Lets tests shorten the SMTP time limits: called on every new connection before it connects.
    void setConnectionSetup(std::function<void(SMTPConnection &)> setup) { m_connectionSetup = std::move(setup); }

private:
    void log(const QString &line) const;

    const Settings &m_settings;
    const ActivityLog &m_log;
    UserPrompt &m_prompt;
    std::function<void(SMTPConnection &)> m_connectionSetup;
};

} // namespace corvane

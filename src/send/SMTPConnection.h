// The SMTP connection layer of the send dialog: connects the client with the SMTP settings, sends the
// message put into its record and disconnects, waiting on the client's notifications within time limits,
// writing the send-log lines and reporting failures to the person.
#pragma once

#include "send/TNMSMTP.h"

#include <QObject>
#include <QString>
#include <functional>

namespace corvane {

class Settings;
class UserPrompt;

class SMTPConnection : public QObject {
    Q_OBJECT
public:
    using LineSink = std::function<void(const QString &)>;

    // `settings` is read on every connect and send; `prompt` shows the connect warning and, unless a
    // send-error handler is set, the send failure.
    SMTPConnection(const Settings &settings, UserPrompt &prompt, QObject *parent = nullptr);

    TNMSMTP &client() { return m_client; }
    // The record of the next message; the caller fills recipients, subject, body and attachments.
    TPostMessage &message() { return m_client.PostMessage; }

    // Receives the send-log lines ("Connecting to SMTP server", ...).
    void setSendLog(LineSink sink) { m_sendLog = std::move(sink); }
    // Receives the text of a failed send (the send-error dialog).
    void setSendError(LineSink sink) { m_sendError = std::move(sink); }
    // How long, counted from the start of the call, the layer waits for the connected or sent notification
    // after the client's call returned (40 s and 30 s unless set).
    void setWaitLimits(int connectWaitMs, int sendWaitMs);

    // Copies the SMTP settings into `client`: host, port (see TNMSMTP::portFor), HELO name, security, user,
    // trusted fingerprint, and the password (`password` when not empty, else from SecretPassword) when there
    // is a user and encryption. Throws on an unknown security word or when no password source has one.
    static void configureClient(TNMSMTP &client, const Settings &settings, const QString &password = QString());

    // Opens and greets the connection. On failure shows the connect warning with the error's message, logs
    // "SMTP Connection Error: " and the message, and returns false.
    bool SMTPConnect();
    // Sends the message record, as HTML when `html`, from the SMTP sender of the settings. When an earlier
    // failure closed the connection that SMTPConnect opened, first connects again (logging "Connecting to
    // SMTP server", and "SMTP Connection Error: " with the message when that fails). On failure shows
    // "An error was encountered while sending your mail via SMTP!" through the send-error handler and
    // returns false.
    bool SendSMTPMail(bool html);
    // Logs "Disconnecting from the SMTP server", says goodbye and closes; errors are ignored.
    void SMTPDisconnect();

private:
    void log(const QString &line);
    bool waitDone(qint64 startedMs, int limitMs);
    void reconnect();

    const Settings &m_settings;
    UserPrompt &m_prompt;
    TNMSMTP m_client;
    LineSink m_sendLog;
    LineSink m_sendError;
    int m_connectWait = 40000;
    int m_sendWait = 30000;
    bool m_done = false;
    bool m_failed = false;
    // Between a successful SMTPConnect and SMTPDisconnect.
    bool m_open = false;
};

} // namespace corvane

// The transports of the send dialog: SendMail chooses one by EmailMethod and hands it one message built
// from the draft, the extra To and CC lists and the hidden recipients (lbBCC): the mail store's compose and
// Send (methods 1 and 2, the second through a safe item), the submission program as Simple MAPI (method 0,
// a test message opening the desktop's composer), the job's SMTP connection (method 3) and the relay
// library (method 4). Each writes its send-log lines and reports a failed message through the send-error
// handler. With ListAddress set, every message (the test message too) carries the list headers (ListHeaders).
#pragma once

#include "mailstore/MailStoreApplication.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace corvane {

class SMTPConnection;
class SMTPServerLibrary;
class SendLog;
class Settings;
class TdlgAddRecip;
class UserPrompt;
struct SendDraft;

class MailTransports {
public:
    using TextHandler = std::function<void(const QString &)>;

    // The full name that marks a test message.
    static inline const QString kTestName = QStringLiteral("Test_Name");
    // The address merged into a test message.
    static inline const QString kTestAddress = QStringLiteral("test.recipient@example.com");

    static inline const QString kHtmlQuestion = QStringLiteral(
        "You are currently using MAPI to send e-mail, however you have specified the HTML formatted e-mail "
        "option.  OLE or SMTP Sending is required for HTML e-mail, so this setting will be changed to OLE!  You can "
        "change this setting under File|Options,Advanced\r\n\r\nNOTE:\r\n- Extended MAPI sending is supported under "
        "Outlook Only (not Eudora, Outlook Express, etc)!");
    static inline const QString kOleFailed =
        QStringLiteral("OLE Send failed, Outlook returned the following error: \r\n");
    static inline const QString kOleError =
        QStringLiteral("OLE Sending Error.  Go to Advanced options and select the 'Use External MAPI' sending option.");
    static inline const QString kMapiFailed = QStringLiteral("MAPI Send failed!");
    static inline const QString kMapiError =
        QStringLiteral("MAPI Sending Error.  Go to Advanced options and select a different sending option.");
    static inline const QString kSmtpFailed = QStringLiteral("SMTP Sendmail failed");
    static inline const QString kRelayFailed = QStringLiteral("SMTP Sendmail failed with the error: ");
    static inline const QString kNoRecipient = QStringLiteral("Error: No Recipient!");

    // Every argument must outlive the object. `settings` is read at every message (EmailMethod may be
    // changed by the HTML question); `draft`, `recipients` and `log` are the dialog's.
    MailTransports(Settings &settings, UserPrompt &prompt, const SendDraft &draft, const TdlgAddRecip &recipients,
                   SendLog &log);

    // The send-error dialog (TdlgSendMail::ShowSendError); without one, failures go to the prompt as errors.
    void setSendError(TextHandler handler) { m_sendError = std::move(handler); }
    // The job's SMTP connection (method 3), the relay library (method 4), the bounce recording of the relay
    // results 4 and 5 (processbounce), and debug mode (title and recipient lines in the log).
    void setConnection(SMTPConnection *connection) { m_connection = connection; }
    void setRelayLibrary(const SMTPServerLibrary *library) { m_relay = library; }
    void setBounceHandler(TextHandler handler) { m_bounce = std::move(handler); }
    void setDebugMode(bool on) { m_debug = on; }
    // The desktop composer command of method 0's test message (empty: "xdg-email") and the program that
    // shows a draft (empty: the mail store's, "xdg-open").
    void setComposerCommand(const QString &command) { m_composer = command; }
    void setDisplayCommand(const QString &command) { m_display = command; }

    // The hidden recipients of the message being gathered (lbBCC); emptied by a successful hand-over.
    QStringList lbBCC;

    // The addresses the server refused at RCPT in the last SMTP hand-over; each is also logged after the
    // result line as "Refused by the SMTP server: " + address + " (" + reply + ")".
    const QStringList &refusedRecipients() const { return m_refused; }

    // Sends one message by EmailMethod with the merge values. An HTML message with method 0 first asks
    // kHtmlQuestion: OK switches EmailMethod to 2 (for good), Cancel raises the cancel flag and sends
    // nothing. Returns whether the hand-over succeeded (false also when nothing was sent).
    bool SendMail(const QString &fullName, const QString &salutation, const QString &address);
    // True when the last SendMail sent nothing because the person cancelled the HTML question.
    bool lastDeclined() const { return m_declined; }

    // The four transports (see SendMail). `safeItem` chooses method 2's safe mail item.
    bool OLESend(const QString &fullName, const QString &salutation, const QString &address, bool safeItem);
    bool MAPISend(const QString &fullName, const QString &salutation, const QString &address);
    bool SMTPSend(const QString &fullName, const QString &salutation, const QString &address);
    bool SMTPServerSend(const QString &fullName, const QString &salutation, const QString &address);

    // The body a transport sends for the merge values: MergeFields, then the signature rule.
    QString assembledBody(const QString &fullName, const QString &salutation, const QString &address) const;

private:
    MailStoreApplication store() const;
    void addRecipientsAndAttachments(MailDraft &mail);
    void log(const QString &line);
    void logResult(bool ok);
    void logTitle(const QString &title);
    void sendError(const QString &text);

    Settings &m_settings;
    UserPrompt &m_prompt;
    const SendDraft &m_draft;
    const TdlgAddRecip &m_recipients;
    SendLog &m_log;
    TextHandler m_sendError;
    TextHandler m_bounce;
    SMTPConnection *m_connection = nullptr;
    const SMTPServerLibrary *m_relay = nullptr;
    bool m_debug = false;
    QString m_composer;
    QString m_display;
    QStringList m_refused;
    bool m_declined = false;
};

} // namespace corvane

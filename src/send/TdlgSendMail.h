// The send dialog "Send message to your mailing list", free of widgets: its life (creation with the
// recipient table, showing, closing), the recipient choice, the draft and the extra recipients it owns, the
// personalisation check, the send job (one e-mail per recipient or hidden batches of SendCount, staggered
// when asked, with progress, cancel and the send log), the test message and the send-error dialog. The
// window in send/ui gathers input into it and shows what it says; every question goes through the
// UserPrompt, the "Send Delay" and "Sending Error" dialogs through their own interfaces.
#pragma once

#include "send/MailTransports.h"
#include "send/RecipientChoice.h"
#include "send/SMTPServerLibrary.h"
#include "send/SendDraft.h"
#include "send/SendLog.h"
#include "send/TdlgAddRecip.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace corvane {

class SMTPConnection;
class SendDelayPrompt;
class SendErrorPrompt;
class Settings;
class TdmML;
class UserPrompt;

class TdlgSendMail : public QObject {
    Q_OBJECT
public:
    static inline const QString kMethodNotChosen = QStringLiteral(
        "Your preferred e-mail sending method has not been specified.  The default, MAPI transport, will be used.  "
        "You can change this under File|Options, Advanced, if you would prefer another method or encounter any "
        "problems");
    static inline const QString kRelayIndividual = QStringLiteral(
        "Using the CVN SMTP Server requires the server to send out messages individually.  CVN will switch to the "
        "individual sending method (i.e. The server will send out one e-mail per recipient).");
    static inline const QString kSalutationQuestion = QStringLiteral(
        "You are currently using the option of sending messages to multiple recipients, but you have entered custom "
        "salutation fields into your message.  To use this functionality separate e-mails need to be sent to each "
        "recipient.  Do you want to enable this now?");
    static inline const QString kEmptyQuestion = QStringLiteral(
        "You have not entered a subject or a message for this e-mail.  Are you sure you want to continue?");
    static inline const QString kNotGenerated = QStringLiteral(
        "Your message could not be sent because your unique recipient list was not generated successfully!");
    static inline const QString kSendError = QStringLiteral("An error was encountered sending your e-mail!");
    static inline const QString kCancelQuestion = QStringLiteral("Are you sure you want to cancel processing?");
    static inline const QString kCloseQuestion =
        QStringLiteral("Are you sure that you want to close and leave this form?");
    static inline const QString kTestCaption = QStringLiteral("Test Message Recipient");
    static inline const QString kTestLabel = QStringLiteral("Enter an e-mail address to send a test to");
    static inline const QString kTestDone = QStringLiteral("Sending of your test message has completed!");
    static inline const QString kLogSaved =
        QStringLiteral("Debug: The send log has been saved to 'SendLog.txt' in your Corvane directory.");

    // What a job did, for progress lines: rows handled, rows in tblTemp, messages handed over and failed.
    struct Status {
        qint64 processed = 0;
        qint64 total = 0;
        qint64 messagesSent = 0;
        qint64 messagesFailed = 0;
    };
    using StatusHandler = std::function<void(const Status &)>;

    // Every argument must outlive the dialog. `settings` is changed by the dialog (EmailMethod, SendCount,
    // chkhtmlchecked) as the rules say; saving them is the caller's part. Creating the dialog creates the
    // empty recipient table tblTemp of `dm` (FormCreate); destroying it drops the table and, with method 4,
    // releases the relay library (FormDestroy).
    TdlgSendMail(TdmML &dm, Settings &settings, UserPrompt &prompt, bool debugMode, QObject *parent = nullptr);
    ~TdlgSendMail() override;

    // The opening notice of the main window's "Send E-Mail to List": when EmailMethod was never chosen (-1),
    // asks kMethodNotChosen (OK/Cancel); OK sets it to 0. False when the person cancelled.
    static bool btnsendClick(Settings &settings, UserPrompt &prompt);

    // The "Send Delay" and "Sending Error" dialogs (required before a job; the defaults set by the
    // constructor are PromptSendDelay and PromptSendError over the UserPrompt).
    void setSendDelayPrompt(SendDelayPrompt *prompt) { m_delay = prompt; }
    void setSendErrorPrompt(SendErrorPrompt *prompt) { m_errorPrompt = prompt; }
    // Called after every message handed over and at the end of a job.
    void setStatusHandler(StatusHandler handler) { m_status = std::move(handler); }

    RecipientChoice &recipients() { return m_recipients; }
    SendDraft &draft() { return m_draft; }
    TdlgAddRecip &addRecip() { return m_addRecip; }
    MailTransports &transports() { return m_transports; }
    const SendLog &sendLog() const { return m_log; }
    SMTPServerLibrary &relayLibrary() { return m_relay; }
    // The SMTP connection of the next job or test (created on first use). Tests set its wait limits.
    SMTPConnection &connection();
    const Status &status() const { return m_state; }

    // Adds DefaultToAddress to the extra To list unless it is empty or the method is 4 (the main window does
    // this when it creates the dialog).
    void addDefaultToAddress();
    // Showing, in order: with method 4 loads the relay library from the application directory (failing:
    // the warning SMTPServerLibrary::kLoadWarning and method 0); with method 4 and SendCount other than 1
    // tells kRelayIndividual and sets SendCount to 1; takes over the main window's include filter
    // (`includeText` into edtfilter, the Filter choice when `includeOn`); places the signature when
    // AddSignaturePrior is on; takes the HTML flag from chkhtmlchecked; applies the recipient choice.
    void FormShow(const QString &includeText, bool includeOn);
    // Esc: asks kCloseQuestion; true when the dialog should close.
    bool FormKeyPressEscape();
    // The "Cancel" button: raises the cancel flag and beeps; the window then closes.
    void BitBtn1Click();
    // Closing: deletes the preview file, switches the filter of tblML off, stores the HTML flag into
    // chkhtmlchecked.
    void FormClose();
    // The preview file currently shown (MessageFiles::writePreview keeps it here).
    QString previewFile;

    // The personalisation flag (chkDoAddSalutation); a change marks the recipient list stale.
    void setPersonalised(bool on);
    // With `rescan` the flag becomes whether the body holds a merge field. Then true when SendCount is 1 or
    // the flag is off; else asks kSalutationQuestion: Yes sets SendCount to 1 and gives true, No false.
    bool GetSalutationCheck(bool rescan);
    // A field-menu item: sets the flag and runs GetSalutationCheck(false); true when the window may insert
    // the field text.
    bool InsertSalutationClick();

    // "Send Message!": the send job. Returns true when it completed and the dialog should close; false when
    // it stopped before sending (a refused check, a failed connect or recomputation) or an error escaped
    // (kSendError shown). A cancelled job completes: the recipients gathered for a message not yet handed
    // over are not sent to, and the log names each of them ("Not sent, cancelled: " + address). The SMTP
    // connection the job opened is closed on every way out.
    bool Button2Click();
    // "Send Test Message": one test message (see the rules of methods 3 and 4 and of the others); the
    // extra To list is left exactly as it was and the send log is neither cleared nor saved.
    void SendTestClick();
    // The send-error dialog: nothing while errors are hidden; else shows `text`, takes over "Do not show
    // further errors", and after Abort asks kCancelQuestion (Yes raises the cancel flag, No clears it).
    void ShowSendError(const QString &text);
    bool hideErrors() const { return m_hideErrors; }
    // True while Button2Click runs: the window is disabled meanwhile.
    bool jobRunning() const { return m_running; }

    // The editing operations of the message half that are not widget work. Each shows its own failure text
    // (MessageFiles) and leaves the draft as it was, unless noted.
    // "Load..": asks MessageFiles::kLoadQuestion when the body is not empty; false when the person said No.
    bool confirmLoad();
    // Replaces the body by the file `path`; a ".htm"/".html" file (any letter case) sets the HTML flag.
    // True when the preview should now be shown; false also on failure ("Load Error").
    bool loadMessage(const QString &path);
    // Preview Paste: asks MessageFiles::kPasteQuestion when the body is not empty; false when No.
    bool confirmPaste();
    // Replaces the body by `text`; a text holding "<HTML>" sets the HTML flag. True when it did.
    bool pasteMessage(const QString &text);
    // Writes the body to a new preview file, deleting the previous one, and returns its path; empty on
    // failure ("Error encountered displaying your preview!").
    QString refreshPreview();
    // "Editor..": writes the body to the first free "HTMLMessage*.html" of the temporary directory, has
    // `open` start the editor on it (false: it could not), asks MessageFiles::kEditorOpened (OK/Cancel) and
    // on OK reloads the body from the file. True when the body was reloaded. Failures show
    // "Error encountered opening your messsage in your editor".
    bool editInEditor(const std::function<bool(const QString &)> &open);
    // "Load.." of the typed recipients: the file replaces memCustom; false on failure ("Load Error").
    bool loadRecipients(const QString &path);
    // "&Attach File..": appends a non-empty path. "Remove File..": removes row `index`; false (the window
    // beeps) when there is no such row.
    void addAttachment(const QString &path);
    bool removeAttachment(int index);

    // The completion phrase of `method`.
    static QString methodPhrase(int method);

private:
    void SendBatch(const QString &fullName, const QString &salutation, const QString &address);
    void WaitStagger();
    void runRows(qint64 total);
    void cancelConfirmation();
    void reportStatus();
    void closeConnection();

    TdmML &m_dm;
    Settings &m_settings;
    UserPrompt &m_prompt;
    bool m_debug;
    SendDraft m_draft;
    TdlgAddRecip m_addRecip;
    SendLog m_log;
    RecipientChoice m_recipients;
    MailTransports m_transports;
    SMTPServerLibrary m_relay;
    std::unique_ptr<SMTPConnection> m_connection;
    std::unique_ptr<SendDelayPrompt> m_defaultDelay;
    std::unique_ptr<SendErrorPrompt> m_defaultError;
    SendDelayPrompt *m_delay = nullptr;
    SendErrorPrompt *m_errorPrompt = nullptr;
    StatusHandler m_status;
    Status m_state;
    QStringList m_toCopy;
    int m_batchCount = 0;
    bool m_hideErrors = false;
    bool m_firstMessage = true;
    bool m_skipAllDelays = false;
    bool m_running = false;
};

} // namespace corvane

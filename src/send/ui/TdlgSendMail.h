// The send dialog "Send message to your mailing list" over corvane::TdlgSendMail: the recipient choice
// ("Message Recipients", the typed recipients of "Enter Recipients", the unique-recipient count) and the
// draft (subject, body or HTML source with its preview, fields, attachments, extra recipients), with "Send
// Message!", "Send Test Message" and "Cancel". The widgets gather input into the core and show what it says;
// recipients, merging, the preview and editor files and the send job are the core's.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>

class QCheckBox;
class QKeyEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextBrowser;

namespace corvane {
class Settings;
class TdlgSendMail;
class TdmML;
class UserPrompt;
} // namespace corvane

namespace corvane::ui {

class TdlgAddRecip;
class TdlgSendDelay;
class TdlgSendError;

class TdlgSendMail : public QDialog {
    Q_OBJECT

public:
    // The settings group that keeps the dialog's position and size.
    static QString placementGroup() { return QStringLiteral("SendMailDialog"); }

    // `core` and `settings` (the core's) must outlive the dialog. The dialog sets the core's "Send Delay" and
    // "Sending Error" dialogs.
    TdlgSendMail(corvane::TdlgSendMail &core, const Settings &settings, UserPrompt &prompt, QWidget *parent = nullptr);
    ~TdlgSendMail() override;

    // The main window's command: the opening notice, the dialog with the default To address, shown modally
    // after FormShow with the main window's include filter. `setFilter` is the main window's SetFilter,
    // `attachGrid` detaches (false) and re-attaches (true) its grid. Returns false when the person cancelled
    // the notice (nothing was shown).
    struct MainWindowLink {
        QString includeText;
        bool includeOn = false;
        std::function<void(bool, const QString &, const QString &, bool)> setFilter;
        std::function<void(bool)> attachGrid;
        // Counts one bounce for an address (the relay method's reports of a bad recipient domain).
        std::function<void(const QString &)> processBounce;
    };
    static bool sendToList(TdmML &dm, Settings &settings, UserPrompt &prompt, bool debugMode,
                           const MainWindowLink &link, QWidget *parent);

    // The help handler of "Help with customisation of messages..." (given the help context), when set.
    static void setHelpHandler(std::function<void(int context)> handler);
    static constexpr int kFieldHelpContext = 210;

    // "Message Recipients"
    QGroupBox *grpRecipients = nullptr;
    QRadioButton *rdball = nullptr;
    QRadioButton *rdbfilter = nullptr;
    QRadioButton *rdbnotfilter = nullptr;
    QRadioButton *rdbManual = nullptr;
    QLineEdit *edtfilter = nullptr;
    QLineEdit *edtnotfilter = nullptr;
    // "Enter Recipients", shown only while rdbManual is chosen.
    QGroupBox *grpManual = nullptr;
    QPlainTextEdit *memCustom = nullptr;
    QPushButton *btnPaste = nullptr;
    QPushButton *btnLoadRecip = nullptr;
    QCheckBox *chkvalidity = nullptr;
    QLabel *lblrejects = nullptr;
    QPlainTextEdit *memrejects = nullptr;
    QPushButton *btnrecalc = nullptr;
    QLabel *lblcount = nullptr;
    // Hidden: whether the body holds merge fields.
    QCheckBox *chkDoAddSalutation = nullptr;

    // The draft.
    QLineEdit *edtMessageSubject = nullptr;
    QTabWidget *pgcMessage = nullptr;
    QWidget *tsMessage = nullptr;
    QWidget *tsPreview = nullptr;
    QPlainTextEdit *edtMessageText = nullptr;
    QMenu *popEdit = nullptr;
    QPushButton *btnUndo = nullptr;
    QPushButton *btnCut = nullptr;
    QPushButton *btnCopy = nullptr;
    QPushButton *btnPasteText = nullptr;
    QTextBrowser *wbPreview = nullptr;
    QPushButton *SpeedButton1 = nullptr;
    QCheckBox *chkHTML = nullptr;
    QPushButton *btnfield = nullptr;
    QMenu *popField = nullptr;
    QPushButton *btnLoadEmail = nullptr;
    QPushButton *btnEditor = nullptr;
    QListWidget *lbAttach = nullptr;
    QPushButton *AttachButton = nullptr;
    QPushButton *btnRemove = nullptr;
    QPushButton *btnAddRecip = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *SendTest = nullptr;
    QPushButton *BitBtn1 = nullptr;

    corvane::TdlgSendMail &core() { return m_core; }
    TdlgAddRecip &addRecipDialog() { return *m_addRecip; }
    TdlgSendDelay &sendDelayDialog() { return *m_delay; }
    TdlgSendError &sendErrorDialog() { return *m_error; }

    // Showing: the core's FormShow (relay library, include filter, signature, HTML flag, recipient choice),
    // then the controls show its state.
    void FormShow(const QString &includeText, bool includeOn);
    // Shows the core's state in the controls: the recipient choice, the count and staleness, the rejects,
    // the HTML flag with the tab captions and the preview tab, the body and the personalisation flag.
    void showState();

    // A radio button was clicked: the choice goes to the core, which applies it.
    void rdballClick();
    // "Calculate Unique Recipient Count".
    void btnrecalcClick();
    // "Paste" and "Load.." of the typed recipients.
    void btnPasteClick();
    void btnLoadRecipClick();
    void loadRecipients(const QString &path);
    // "Message is in HTML format" clicked: tab captions, the preview tab and its refresh.
    void chkHTMLClick();
    // The preview tab became active: a new preview file, shown in the viewer.
    void pgcMessageChange();
    // "Load.." / "Load from File...": the question, the open dialog, then loadMessage.
    void btnLoadEmailClick();
    void loadMessage(const QString &path);
    // "Paste" on the preview tab.
    void SpeedButton1Click();
    // "Editor..": the body in a free file of the temporary directory, opened by the desktop, reloaded on OK.
    void btnEditorClick();
    // A field-menu item: the core's check, then `field` inserted at the caret through the clipboard.
    void InsertSalutationClick(const QString &field);
    // "&Attach File..": appends a chosen, non-empty path; "Remove File..": removes the selected one.
    void attachFile(const QString &path);
    void btnRemoveClick();
    // "Add Extra Recipients to all Sent Messages..".
    void btnAddRecipClick();
    // "Send Message!" and "Send Test Message": the core's job with the controls disabled; a completed job
    // closes the dialog.
    void Button2Click();
    void SendTestClick();
    // Esc: the core's question; Yes closes.
    void FormKeyPress(QKeyEvent *event);
    // "Cancel": raises the cancel flag, beeps and closes.
    void BitBtn1Click();
    // Every way of closing runs the core's FormClose once and keeps the position and size for the next run.
    // While a job or a test message runs, the dialog does not close (it beeps).
    void done(int result) override;

    // Opens `path` with the desktop's default application; replaceable for tests. Returns false on failure.
    std::function<bool(const QString &path)> openInEditor;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildRecipients(QWidget *half);
    void buildDraft(QWidget *half);
    QWidget *buildBodyTab();
    QWidget *buildPreviewTab();
    void buildFieldMenu();
    void connectRecipients();
    void connectDraft();
    // Runs a handler; a CorvaneError it raises is shown as an error box and the dialog goes on.
    void guard(const std::function<void()> &handler);
    void setJobRunning(bool running);
    void setBody(const QString &text);
    void switchToPreview();

    corvane::TdlgSendMail &m_core;
    const Settings &m_settings;
    UserPrompt &m_prompt;
    QWidget *m_top = nullptr;
    QWidget *m_bottom = nullptr;
    TdlgAddRecip *m_addRecip = nullptr;
    TdlgSendDelay *m_delay = nullptr;
    TdlgSendError *m_error = nullptr;
    bool m_closed = false;
    bool m_jobRunning = false;
};

} // namespace corvane::ui

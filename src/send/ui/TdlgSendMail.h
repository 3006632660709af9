// The send dialog "Send message to your mailing list": the recipient choice ("Message Recipients", the typed
// recipients of "Enter Recipients", the unique-recipient count) and the draft (subject, body or HTML source
// with its preview, fields, attachments, extra recipients), with "Send Message!", "Send Test Message" and
// "Cancel". The widgets gather input and show results; recipients, merging, preview files and the send job
// are the core's.
#pragma once

#include <QDialog>
#include <QString>

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
class UserPrompt;
}

namespace corvane::ui {

class TdlgAddRecip;

class TdlgSendMail : public QDialog {
    Q_OBJECT

public:
    // The settings group that keeps the dialog's position and size.
    static QString placementGroup() { return QStringLiteral("SendMailDialog"); }

    TdlgSendMail(UserPrompt &prompt, TdlgAddRecip &addRecip, QWidget *parent = nullptr);
    ~TdlgSendMail() override;

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

    TdlgAddRecip &addRecip() { return m_addRecip; }

    // Applies the recipient choice: the "Enter Recipients" group only for rdbManual, the count of the
    // current selection, the list marked stale.
    void rdballClick();
    // "Message is in HTML format" changed: tab captions, the preview tab and its refresh.
    void chkHTMLClick();
    // The body tab's caption: "HTML Source" while HTML is on, else "Message Body".
    static QString bodyTabCaption(bool html);
    // Inserts `field` at the body's caret through the clipboard, replacing any selection.
    void insertField(const QString &field);
    // "&Attach File..": appends a chosen, non-empty path; "Remove File..": removes the selected one.
    void attachFile(const QString &path);
    void btnRemoveClick();
    // "Add Extra Recipients to all Sent Messages..".
    void btnAddRecipClick();
    // Esc: asks "Are you sure that you want to close and leave this form?"; Yes closes.
    void FormKeyPress(QKeyEvent *event);
    // "Cancel": sets the cancel flag, beeps and closes.
    void BitBtn1Click();

    // Every way of closing keeps the dialog's position and size for the next run.
    void done(int result) override;

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

    UserPrompt &m_prompt;
    TdlgAddRecip &m_addRecip;
};

} // namespace corvane::ui

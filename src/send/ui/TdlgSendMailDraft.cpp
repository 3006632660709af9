// The send dialog's draft half: subject, the body and preview tabs, the HTML flag, the field menu, the edit
// actions, attachments and the extra recipients.
#include "send/ui/ListBoxLines.h"
#include "send/ui/TdlgAddRecip.h"
#include "send/ui/TdlgSendMail.h"

#include "base/UserPrompt.h"
#include "send/MessageFiles.h"
#include "send/SendDraft.h"
#include "send/TdlgAddRecip.h"
#include "send/TdlgSendMail.h"
#include "settings/Settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
QPushButton *plainButton(const QString &caption, QWidget *parent, const QString &name = QString()) {
    auto *button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    if (!name.isEmpty()) {
        button->setObjectName(name);
    }
    return button;
}

std::function<void(int)> &helpHandler() {
    static std::function<void(int)> handler;
    return handler;
}
} // namespace

void TdlgSendMail::setHelpHandler(std::function<void(int context)> handler) {
    helpHandler() = std::move(handler);
}

void TdlgSendMail::buildDraft(QWidget *half) {
    auto *grid = new QGridLayout(half);
    grid->setContentsMargins(0, 0, 0, 0);
    auto *subjectLabel = new QLabel(QStringLiteral("Subject:"), half);
    edtMessageSubject = new QLineEdit(half);
    edtMessageSubject->setObjectName(QStringLiteral("edtMessageSubject"));
    subjectLabel->setBuddy(edtMessageSubject);
    auto *subjectRow = new QHBoxLayout();
    subjectRow->addWidget(subjectLabel);
    subjectRow->addWidget(edtMessageSubject, 1);
    grid->addLayout(subjectRow, 0, 0, 1, 2);

    pgcMessage = new QTabWidget(half);
    pgcMessage->setObjectName(QStringLiteral("pgcMessage"));
    tsMessage = buildBodyTab();
    tsPreview = buildPreviewTab();
    pgcMessage->addTab(tsMessage, SendDraft().bodyTabCaption());
    pgcMessage->addTab(tsPreview, QStringLiteral("Preview"));
    pgcMessage->setTabVisible(1, false);
    grid->addWidget(pgcMessage, 1, 0);

    auto *side = new QVBoxLayout();
    chkHTML = new QCheckBox(QStringLiteral("Message is in HTML format"), half);
    chkHTML->setObjectName(QStringLiteral("chkHTML"));
    btnfield = plainButton(QStringLiteral("Field..."), half, QStringLiteral("btnfield"));
    btnfield->setToolTip(QStringLiteral("Inserts a field that is replaced by each recipient's own details"));
    btnLoadEmail = plainButton(QStringLiteral("Load.."), half, QStringLiteral("btnLoadEmail"));
    btnEditor = plainButton(QStringLiteral("Editor.."), half, QStringLiteral("btnEditor"));
    btnEditor->setToolTip(QStringLiteral("Opens the message in your HTML editor"));
    auto *attachLabel = new QLabel(QStringLiteral("Attachments:"), half);
    lbAttach = new QListWidget(half);
    lbAttach->setObjectName(QStringLiteral("lbAttach"));
    attachLabel->setBuddy(lbAttach);
    AttachButton = plainButton(QStringLiteral("&Attach File.."), half, QStringLiteral("AttachButton"));
    btnRemove = plainButton(QStringLiteral("Remove File.."), half, QStringLiteral("btnRemove"));
    btnAddRecip =
        plainButton(QStringLiteral("Add Extra Recipients to all Sent Messages.."), half, QStringLiteral("btnAddRecip"));
    side->addWidget(chkHTML);
    side->addWidget(btnfield);
    side->addWidget(btnLoadEmail);
    side->addWidget(btnEditor);
    side->addSpacing(8);
    side->addWidget(attachLabel);
    side->addWidget(lbAttach, 1);
    auto *attachRow = new QHBoxLayout();
    attachRow->addWidget(AttachButton);
    attachRow->addWidget(btnRemove);
    side->addLayout(attachRow);
    side->addWidget(btnAddRecip);
    grid->addLayout(side, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);

    auto *buttons = new QHBoxLayout();
    Button2 = plainButton(QStringLiteral("Send Message!"), half, QStringLiteral("Button2"));
    SendTest = plainButton(QStringLiteral("Send Test Message"), half, QStringLiteral("SendTest"));
    BitBtn1 = plainButton(QStringLiteral("Cancel"), half, QStringLiteral("BitBtn1"));
    buttons->addStretch(1);
    buttons->addWidget(Button2);
    buttons->addWidget(SendTest);
    buttons->addWidget(BitBtn1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    buildFieldMenu();
}

QWidget *TdlgSendMail::buildBodyTab() {
    auto *tab = new QWidget(this);
    tab->setObjectName(QStringLiteral("tsMessage"));
    auto *row = new QHBoxLayout(tab);
    edtMessageText = new QPlainTextEdit(tab);
    edtMessageText->setObjectName(QStringLiteral("edtMessageText"));
    edtMessageText->setContextMenuPolicy(Qt::CustomContextMenu);
    row->addWidget(edtMessageText, 1);
    auto *buttons = new QVBoxLayout();
    btnUndo = plainButton(QStringLiteral("Undo"), tab, QStringLiteral("btnUndo"));
    btnCut = plainButton(QStringLiteral("Cut"), tab, QStringLiteral("btnCut"));
    btnCopy = plainButton(QStringLiteral("Copy"), tab, QStringLiteral("btnCopy"));
    btnPasteText = plainButton(QStringLiteral("Paste"), tab, QStringLiteral("btnPasteText"));
    for (QPushButton *button : {btnUndo, btnCut, btnCopy, btnPasteText}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    row->addLayout(buttons);

    popEdit = new QMenu(this);
    popEdit->setObjectName(QStringLiteral("popEdit"));
    const auto item = [this](const QString &name, const QString &caption, const QKeySequence &keys) {
        QAction *action = popEdit->addAction(caption);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        return action;
    };
    QAction *undo = item(QStringLiteral("mkUndo"), QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *cut = item(QStringLiteral("mkCut"), QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X));
    QAction *copy = item(QStringLiteral("mkCopy"), QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction *paste = item(QStringLiteral("mkPaste"), QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    QAction *all =
        item(QStringLiteral("mkSelectAll"), QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A));
    popEdit->addSeparator();
    QAction *load = item(QStringLiteral("mkLoadFromFile"), QStringLiteral("Load from File..."), QKeySequence());
    connect(undo, &QAction::triggered, edtMessageText, &QPlainTextEdit::undo);
    connect(cut, &QAction::triggered, edtMessageText, &QPlainTextEdit::cut);
    connect(copy, &QAction::triggered, edtMessageText, &QPlainTextEdit::copy);
    connect(paste, &QAction::triggered, edtMessageText, &QPlainTextEdit::paste);
    connect(all, &QAction::triggered, edtMessageText, &QPlainTextEdit::selectAll);
    connect(load, &QAction::triggered, this, [this] { btnLoadEmail->click(); });
    connect(btnUndo, &QPushButton::clicked, edtMessageText, &QPlainTextEdit::undo);
    connect(btnCut, &QPushButton::clicked, edtMessageText, &QPlainTextEdit::cut);
    connect(btnCopy, &QPushButton::clicked, edtMessageText, &QPlainTextEdit::copy);
    connect(btnPasteText, &QPushButton::clicked, edtMessageText, &QPlainTextEdit::paste);
    connect(edtMessageText, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { popEdit->exec(edtMessageText->viewport()->mapToGlobal(at)); });
    return tab;
}

QWidget *TdlgSendMail::buildPreviewTab() {
    auto *tab = new QWidget(this);
    tab->setObjectName(QStringLiteral("tsPreview"));
    auto *row = new QHBoxLayout(tab);
    wbPreview = new QTextBrowser(tab);
    wbPreview->setObjectName(QStringLiteral("wbPreview"));
    wbPreview->setOpenLinks(false);
    row->addWidget(wbPreview, 1);
    auto *buttons = new QVBoxLayout();
    SpeedButton1 = plainButton(QStringLiteral("Paste"), tab, QStringLiteral("SpeedButton1"));
    SpeedButton1->setToolTip(QStringLiteral("Replaces the message with the text on the clipboard"));
    buttons->addWidget(SpeedButton1);
    buttons->addStretch(1);
    row->addLayout(buttons);
    return tab;
}

void TdlgSendMail::buildFieldMenu() {
    popField = new QMenu(this);
    popField->setObjectName(QStringLiteral("popField"));
    const char *const items[][2] = {{"Insert Full Name Field, %FULL_NAME%", "%FULL_NAME%"},
                                    {"Insert Salutation Field, %SALUTATION%", "%SALUTATION%"},
                                    {"Insert E-mail Field, %EMAIL%", "%EMAIL%"},
                                    {"Insert Date Field, %DATE%", "%DATE%"}};
    for (const auto &entry : items) {
        QAction *action = popField->addAction(QString::fromLatin1(entry[0]));
        action->setStatusTip(QString::fromLatin1(entry[1]));
        action->setData(QString::fromLatin1(entry[1]));
    }
    popField->addSeparator();
    QAction *help = popField->addAction(QStringLiteral("Help with customisation of messages..."));
    help->setObjectName(QStringLiteral("mkFieldHelp"));
    connect(popField, &QMenu::triggered, this, [this, help](QAction *item) {
        if (item == help) {
            if (helpHandler()) {
                helpHandler()(kFieldHelpContext);
            }
            return;
        }
        InsertSalutationClick(item->data().toString());
    });
}

void TdlgSendMail::connectDraft() {
    connect(edtMessageSubject, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_core.draft().subject = text; });
    connect(edtMessageText, &QPlainTextEdit::textChanged, this,
            [this] { m_core.draft().body = edtMessageText->toPlainText(); });
    connect(btnfield, &QPushButton::clicked, this,
            [this] { popField->popup(btnfield->mapToGlobal(QPoint(0, btnfield->height()))); });
    connect(chkHTML, &QCheckBox::clicked, this, &TdlgSendMail::chkHTMLClick);
    connect(pgcMessage, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1) {
            pgcMessageChange();
        }
    });
    connect(btnLoadEmail, &QPushButton::clicked, this, &TdlgSendMail::btnLoadEmailClick);
    connect(SpeedButton1, &QPushButton::clicked, this, &TdlgSendMail::SpeedButton1Click);
    connect(btnEditor, &QPushButton::clicked, this, &TdlgSendMail::btnEditorClick);
    connect(AttachButton, &QPushButton::clicked, this, [this] {
        QFileDialog dialog(this, QStringLiteral("Attach File"), QString(), QStringLiteral("All Files (*)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            attachFile(dialog.selectedFiles().first());
        }
    });
    connect(btnRemove, &QPushButton::clicked, this, &TdlgSendMail::btnRemoveClick);
    connect(btnAddRecip, &QPushButton::clicked, this, &TdlgSendMail::btnAddRecipClick);
}

void TdlgSendMail::setBody(const QString &text) {
    if (edtMessageText->toPlainText() != text) {
        edtMessageText->setPlainText(text);
    }
    m_core.draft().body = text;
}

void TdlgSendMail::switchToPreview() {
    pgcMessage->setTabVisible(1, true);
    if (pgcMessage->currentIndex() == 1) {
        pgcMessageChange();
    } else {
        pgcMessage->setCurrentIndex(1);
    }
}

void TdlgSendMail::chkHTMLClick() {
    SendDraft &draft = m_core.draft();
    draft.html = chkHTML->isChecked();
    showState();
    if (draft.html) {
        switchToPreview();
    } else {
        pgcMessage->setCurrentIndex(0);
    }
}

void TdlgSendMail::pgcMessageChange() {
    const QString file = m_core.refreshPreview();
    wbPreview->clearHistory();
    wbPreview->setSource(QUrl());
    if (!file.isEmpty()) {
        wbPreview->setSource(QUrl::fromLocalFile(file));
    }
}

void TdlgSendMail::btnLoadEmailClick() {
    if (!m_core.confirmLoad()) {
        return;
    }
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), MessageFiles::kLoadFilter);
    if (!path.isEmpty()) {
        loadMessage(path);
    }
}

void TdlgSendMail::loadMessage(const QString &path) {
    const bool preview = m_core.loadMessage(path);
    setBody(m_core.draft().body);
    showState();
    if (preview) {
        switchToPreview();
    }
}

void TdlgSendMail::SpeedButton1Click() {
    if (!m_core.confirmPaste()) {
        return;
    }
    const QMimeData *clip = QApplication::clipboard()->mimeData();
    if (clip == nullptr || !clip->hasText()) {
        m_core.pasteMessage(QString());
        setBody(QString());
        m_prompt.message(UserPrompt::Kind::Warning, MessageFiles::kPasteError, UserPrompt::Ok);
        pgcMessageChange();
        return;
    }
    const bool html = m_core.pasteMessage(clip->text());
    setBody(m_core.draft().body);
    showState();
    if (html && pgcMessage->currentIndex() != 1) {
        // Activating the preview tab refreshes it.
        pgcMessage->setCurrentIndex(1);
        return;
    }
    pgcMessageChange();
}

void TdlgSendMail::btnEditorClick() {
    if (m_core.editInEditor(openInEditor)) {
        setBody(m_core.draft().body);
        if (pgcMessage->currentIndex() == 1) {
            pgcMessageChange();
        }
    }
}

void TdlgSendMail::InsertSalutationClick(const QString &field) {
    bool insert = false;
    guard([&] { insert = m_core.InsertSalutationClick(); });
    if (!insert) {
        return;
    }
    QApplication::clipboard()->setText(field);
    edtMessageText->insertPlainText(field);
    edtMessageText->setFocus();
}

void TdlgSendMail::attachFile(const QString &path) {
    if (!path.isEmpty()) {
        m_core.addAttachment(path);
        lbAttach->addItem(path);
    }
}

void TdlgSendMail::btnRemoveClick() {
    const int row = ListBoxLines::rowToDelete(*lbAttach, m_prompt);
    if (row >= 0 && m_core.removeAttachment(row)) {
        ListBoxLines::DeleteCurrentTListboxItem(*lbAttach, m_prompt);
    }
}

void TdlgSendMail::btnAddRecipClick() {
    if (m_settings.EmailMethod == 4) {
        m_prompt.message(UserPrompt::Kind::Warning, corvane::TdlgAddRecip::kNotWithRelay, UserPrompt::Ok);
        return;
    }
    m_addRecip->exec();
}

} // namespace corvane::ui

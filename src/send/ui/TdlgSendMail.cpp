// The send dialog's construction, the recipient half, the job buttons and closing.
#include "send/ui/TdlgSendMail.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "db/TdmML.h"
#include "send/MessageFiles.h"
#include "send/TdlgSendMail.h"
#include "send/ui/DialogPlacement.h"
#include "send/ui/TdlgAddRecip.h"
#include "send/ui/TdlgSendDelay.h"
#include "send/ui/TdlgSendError.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMimeData>

#include <QCheckBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
const QString kFilterHint = QStringLiteral("Enter the categories to send to, separate several with a comma, "
                                           "e.g. mylist1,mylist2");
} // namespace

TdlgSendMail::TdlgSendMail(corvane::TdlgSendMail &core, const Settings &settings, UserPrompt &prompt, QWidget *parent)
    : QDialog(parent), m_core(core), m_settings(settings), m_prompt(prompt) {
    setObjectName(QStringLiteral("dlgSendMail"));
    setWindowTitle(QStringLiteral("Send message to your mailing list"));
    setSizeGripEnabled(true);
    auto *layout = new QVBoxLayout(this);
    m_top = new QWidget(this);
    buildRecipients(m_top);
    layout->addWidget(m_top);
    m_bottom = new QWidget(this);
    buildDraft(m_bottom);
    layout->addWidget(m_bottom, 1);
    m_addRecip = new TdlgAddRecip(m_core.addRecip(), m_prompt, this);
    m_delay = new TdlgSendDelay(this);
    m_error = new TdlgSendError(this);
    m_core.setSendDelayPrompt(m_delay);
    m_core.setSendErrorPrompt(m_error);
    openInEditor = [](const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    connectRecipients();
    connectDraft();
    resize(900, 720);
    DialogPlacement::load(*this, placementGroup());
}

TdlgSendMail::~TdlgSendMail() {
    // The core outlives the windows that stand in for its two dialogs.
    m_core.setSendDelayPrompt(nullptr);
    m_core.setSendErrorPrompt(nullptr);
}

bool TdlgSendMail::sendToList(TdmML &dm, Settings &settings, UserPrompt &prompt, bool debugMode,
                              const MainWindowLink &link, QWidget *parent) {
    if (!corvane::TdlgSendMail::btnsendClick(settings, prompt)) {
        return false;
    }
    corvane::TdlgSendMail core(dm, settings, prompt, debugMode);
    if (link.setFilter) {
        core.recipients().setFilterHook(link.setFilter);
    }
    if (link.attachGrid) {
        core.recipients().setGridHook(link.attachGrid);
    }
    if (link.processBounce) {
        core.transports().setBounceHandler(link.processBounce);
    }
    core.addDefaultToAddress();
    TdlgSendMail dialog(core, settings, prompt, parent);
    dialog.FormShow(link.includeText, link.includeOn);
    dialog.exec();
    return true;
}

void TdlgSendMail::guard(const std::function<void()> &handler) {
    try {
        handler();
    } catch (const CorvaneError &e) {
        m_prompt.message(UserPrompt::Kind::Error, e.message(), UserPrompt::Ok);
    } catch (const std::exception &e) {
        m_prompt.message(UserPrompt::Kind::Error, QString::fromLocal8Bit(e.what()), UserPrompt::Ok);
    }
    showState();
}

void TdlgSendMail::FormShow(const QString &includeText, bool includeOn) {
    guard([&] {
        m_core.FormShow(includeText, includeOn);
        edtfilter->setText(m_core.recipients().edtfilter());
        edtnotfilter->setText(m_core.recipients().edtnotfilter());
        setBody(m_core.draft().body);
        if (m_core.draft().html) {
            switchToPreview();
        }
    });
}

void TdlgSendMail::showState() {
    const RecipientChoice &recipients = m_core.recipients();
    QRadioButton *chosen = rdball;
    switch (recipients.choice()) {
    case RecipientChoice::Choice::All:
        chosen = rdball;
        break;
    case RecipientChoice::Choice::Filter:
        chosen = rdbfilter;
        break;
    case RecipientChoice::Choice::NotFilter:
        chosen = rdbnotfilter;
        break;
    case RecipientChoice::Choice::Manual:
        chosen = rdbManual;
        break;
    }
    chosen->setChecked(true);
    grpManual->setVisible(recipients.enterRecipientsVisible());
    lblcount->setText(recipients.lblcount());
    btnrecalc->setEnabled(recipients.stale());
    const QString rejects = recipients.memrejects.join(QLatin1Char('\n'));
    if (memrejects->toPlainText() != rejects) {
        memrejects->setPlainText(rejects);
    }
    chkvalidity->setChecked(recipients.chkvalidity);
    lblrejects->setEnabled(recipients.rejectsEnabled());
    memrejects->setEnabled(recipients.rejectsEnabled());
    const SendDraft &draft = m_core.draft();
    {
        const QSignalBlocker quiet(chkDoAddSalutation);
        chkDoAddSalutation->setChecked(draft.personalised);
    }
    chkHTML->setChecked(draft.html);
    pgcMessage->setTabText(0, draft.bodyTabCaption());
    pgcMessage->setTabVisible(1, draft.html);
    if (m_addRecip != nullptr) {
        m_addRecip->refresh();
    }
}

void TdlgSendMail::buildRecipients(QWidget *half) {
    auto *row = new QHBoxLayout(half);
    row->setContentsMargins(0, 0, 0, 0);
    grpRecipients = new QGroupBox(QStringLiteral("Message Recipients"), half);
    auto *choice = new QGridLayout(grpRecipients);
    rdball = new QRadioButton(QStringLiteral("Send to all mailing list entries"), grpRecipients);
    rdball->setObjectName(QStringLiteral("rdball"));
    rdball->setChecked(true);
    rdbfilter =
        new QRadioButton(QStringLiteral("Only send to users of the following List Category(s):"), grpRecipients);
    rdbfilter->setObjectName(QStringLiteral("rdbfilter"));
    rdbnotfilter =
        new QRadioButton(QStringLiteral("Only send to users NOT of the following List Category(s):"), grpRecipients);
    rdbnotfilter->setObjectName(QStringLiteral("rdbnotfilter"));
    rdbManual = new QRadioButton(QStringLiteral("Manually enter e-mail Addresses to send to"), grpRecipients);
    rdbManual->setObjectName(QStringLiteral("rdbManual"));
    edtfilter = new QLineEdit(grpRecipients);
    edtfilter->setObjectName(QStringLiteral("edtfilter"));
    edtfilter->setToolTip(kFilterHint);
    edtnotfilter = new QLineEdit(grpRecipients);
    edtnotfilter->setObjectName(QStringLiteral("edtnotfilter"));
    edtnotfilter->setToolTip(kFilterHint);
    choice->addWidget(rdball, 0, 0, 1, 2);
    choice->addWidget(rdbfilter, 1, 0, 1, 2);
    choice->addWidget(edtfilter, 2, 1);
    choice->addWidget(rdbnotfilter, 3, 0, 1, 2);
    choice->addWidget(edtnotfilter, 4, 1);
    choice->addWidget(rdbManual, 5, 0, 1, 2);
    choice->setColumnMinimumWidth(0, 16);
    btnrecalc = new QPushButton(QStringLiteral("Calculate Unique Recipient Count"), grpRecipients);
    btnrecalc->setObjectName(QStringLiteral("btnrecalc"));
    btnrecalc->setAutoDefault(false);
    lblcount = new QLabel(grpRecipients);
    lblcount->setObjectName(QStringLiteral("lblcount"));
    auto *count = new QHBoxLayout();
    count->addWidget(btnrecalc);
    count->addWidget(lblcount, 1);
    choice->addLayout(count, 6, 0, 1, 2);
    choice->setRowStretch(7, 1);
    chkDoAddSalutation = new QCheckBox(QStringLiteral("Message contains name, date or salutation fields"), half);
    chkDoAddSalutation->setObjectName(QStringLiteral("chkDoAddSalutation"));
    chkDoAddSalutation->hide();

    grpManual = new QGroupBox(QStringLiteral("Enter Recipients"), half);
    grpManual->setObjectName(QStringLiteral("grpManual"));
    auto *manual = new QGridLayout(grpManual);
    memCustom = new QPlainTextEdit(grpManual);
    memCustom->setObjectName(QStringLiteral("memCustom"));
    memCustom->setLineWrapMode(QPlainTextEdit::NoWrap);
    memCustom->setToolTip(QStringLiteral("One recipient per line: an address, or a name followed by the address "
                                         "in angle brackets"));
    btnPaste = new QPushButton(QStringLiteral("Paste"), grpManual);
    btnPaste->setObjectName(QStringLiteral("btnPaste"));
    btnPaste->setAutoDefault(false);
    btnLoadRecip = new QPushButton(QStringLiteral("Load.."), grpManual);
    btnLoadRecip->setObjectName(QStringLiteral("btnLoadRecip"));
    btnLoadRecip->setAutoDefault(false);
    chkvalidity = new QCheckBox(QStringLiteral("Ignore Invalid addresses"), grpManual);
    chkvalidity->setObjectName(QStringLiteral("chkvalidity"));
    lblrejects = new QLabel(QStringLiteral("Rejects:"), grpManual);
    memrejects = new QPlainTextEdit(grpManual);
    memrejects->setObjectName(QStringLiteral("memrejects"));
    memrejects->setLineWrapMode(QPlainTextEdit::NoWrap);
    lblrejects->setEnabled(false);
    memrejects->setEnabled(false);
    // Eight lines each, so that the recipient half stays as high as its radio buttons.
    const int boxHeight = memCustom->fontMetrics().lineSpacing() * 8 + 8;
    memCustom->setFixedHeight(boxHeight);
    memrejects->setFixedHeight(boxHeight - chkvalidity->sizeHint().height() - lblrejects->sizeHint().height() - 12);
    auto *manualButtons = new QVBoxLayout();
    manualButtons->addWidget(btnPaste);
    manualButtons->addWidget(btnLoadRecip);
    manualButtons->addStretch(1);
    auto *rejects = new QVBoxLayout();
    rejects->addWidget(chkvalidity);
    rejects->addWidget(lblrejects);
    rejects->addWidget(memrejects);
    rejects->addStretch(1);
    manual->addWidget(memCustom, 0, 0, Qt::AlignTop);
    manual->addLayout(manualButtons, 0, 1);
    manual->addLayout(rejects, 0, 2);
    manual->setColumnStretch(0, 3);
    manual->setColumnStretch(2, 2);
    // The dialog keeps its layout when the group comes and goes.
    QSizePolicy keep = grpManual->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    grpManual->setSizePolicy(keep);
    grpManual->hide();
    row->addWidget(grpRecipients, 1);
    row->addWidget(grpManual, 1);
}

void TdlgSendMail::connectRecipients() {
    const auto choose = [this](RecipientChoice::Choice choice) {
        return [this, choice] {
            m_core.recipients().setChoice(choice);
            rdballClick();
        };
    };
    connect(rdball, &QRadioButton::clicked, this, choose(RecipientChoice::Choice::All));
    connect(rdbfilter, &QRadioButton::clicked, this, choose(RecipientChoice::Choice::Filter));
    connect(rdbnotfilter, &QRadioButton::clicked, this, choose(RecipientChoice::Choice::NotFilter));
    connect(rdbManual, &QRadioButton::clicked, this, choose(RecipientChoice::Choice::Manual));
    connect(edtfilter, &QLineEdit::textEdited, this,
            [this](const QString &text) { guard([&] { m_core.recipients().edtfilterChange(text); }); });
    connect(edtnotfilter, &QLineEdit::textEdited, this,
            [this](const QString &text) { guard([&] { m_core.recipients().edtnotfilterChange(text); }); });
    connect(memCustom, &QPlainTextEdit::textChanged, this,
            [this] { m_core.recipients().memCustom = memCustom->toPlainText(); });
    connect(memrejects, &QPlainTextEdit::textChanged, this, [this] {
        const QString text = memrejects->toPlainText();
        m_core.recipients().memrejects = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    });
    connect(chkvalidity, &QCheckBox::clicked, this, [this](bool on) {
        m_core.recipients().chkvalidity = on;
        showState();
    });
    connect(btnrecalc, &QPushButton::clicked, this, &TdlgSendMail::btnrecalcClick);
    connect(btnPaste, &QPushButton::clicked, this, &TdlgSendMail::btnPasteClick);
    connect(btnLoadRecip, &QPushButton::clicked, this, &TdlgSendMail::btnLoadRecipClick);
    connect(Button2, &QPushButton::clicked, this, &TdlgSendMail::Button2Click);
    connect(SendTest, &QPushButton::clicked, this, &TdlgSendMail::SendTestClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TdlgSendMail::BitBtn1Click);
}

void TdlgSendMail::rdballClick() {
    guard([this] { m_core.recipients().rdballClick(); });
}

void TdlgSendMail::btnrecalcClick() {
    guard([this] { m_core.recipients().btnrecalcClick(m_core.draft().personalised); });
}

void TdlgSendMail::btnPasteClick() {
    const QMimeData *clip = QApplication::clipboard()->mimeData();
    if (clip == nullptr || !clip->hasText()) {
        m_prompt.message(UserPrompt::Kind::Error, MessageFiles::kClipboardError, UserPrompt::Ok);
        return;
    }
    memCustom->insertPlainText(clip->text());
}

void TdlgSendMail::btnLoadRecipClick() {
    const QString path = QFileDialog::getOpenFileName(this, QString(), QString(), MessageFiles::kRecipientFilter);
    if (!path.isEmpty()) {
        loadRecipients(path);
    }
}

void TdlgSendMail::loadRecipients(const QString &path) {
    if (m_core.loadRecipients(path)) {
        memCustom->setPlainText(m_core.recipients().memCustom);
    }
}

void TdlgSendMail::setJobRunning(bool running) {
    m_jobRunning = running;
    m_top->setEnabled(!running);
    m_bottom->setEnabled(!running);
}

void TdlgSendMail::Button2Click() {
    bool completed = false;
    setJobRunning(true);
    guard([&] { completed = m_core.Button2Click(); });
    setJobRunning(false);
    if (completed) {
        accept();
    }
}

void TdlgSendMail::SendTestClick() {
    setJobRunning(true);
    guard([this] { m_core.SendTestClick(); });
    setJobRunning(false);
}

void TdlgSendMail::FormKeyPress(QKeyEvent *event) {
    event->accept();
    if (m_core.FormKeyPressEscape()) {
        reject();
    }
}

void TdlgSendMail::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        FormKeyPress(event);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TdlgSendMail::BitBtn1Click() {
    m_core.BitBtn1Click();
    reject();
}

void TdlgSendMail::done(int result) {
    // While a job or a test runs the dialog stays: the job is stopped with Cancel of its progress window.
    if (m_jobRunning) {
        m_prompt.beep();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        guard([this] { m_core.FormClose(); });
        DialogPlacement::save(*this, placementGroup());
    }
    QDialog::done(result);
}

} // namespace corvane::ui

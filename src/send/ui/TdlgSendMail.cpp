// The send dialog's construction, the recipient half and closing.
#include "send/ui/TdlgSendMail.h"

#include "base/UserPrompt.h"
#include "send/ui/DialogPlacement.h"
#include "send/ui/TdlgAddRecip.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
const QString kFilterHint = QStringLiteral("Enter the categories to send to, separate several with a comma, "
                                           "e.g. mylist1,mylist2");
} // namespace

TdlgSendMail::TdlgSendMail(UserPrompt &prompt, TdlgAddRecip &addRecip, QWidget *parent)
    : QDialog(parent), m_prompt(prompt), m_addRecip(addRecip) {
    setObjectName(QStringLiteral("dlgSendMail"));
    setWindowTitle(QStringLiteral("Send message to your mailing list"));
    setSizeGripEnabled(true);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QWidget(this);
    buildRecipients(top);
    layout->addWidget(top);
    auto *bottom = new QWidget(this);
    buildDraft(bottom);
    layout->addWidget(bottom, 1);
    connectRecipients();
    connectDraft();
    resize(820, 720);
    DialogPlacement::load(*this, placementGroup());
}

TdlgSendMail::~TdlgSendMail() = default;

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
    btnPaste->setAutoDefault(false);
    btnLoadRecip = new QPushButton(QStringLiteral("Load.."), grpManual);
    btnLoadRecip->setAutoDefault(false);
    chkvalidity = new QCheckBox(QStringLiteral("Ignore Invalid addresses"), grpManual);
    chkvalidity->setObjectName(QStringLiteral("chkvalidity"));
    lblrejects = new QLabel(QStringLiteral("Rejects:"), grpManual);
    memrejects = new QPlainTextEdit(grpManual);
    memrejects->setObjectName(QStringLiteral("memrejects"));
    memrejects->setLineWrapMode(QPlainTextEdit::NoWrap);
    lblrejects->setEnabled(false);
    memrejects->setEnabled(false);
    auto *manualButtons = new QVBoxLayout();
    manualButtons->addWidget(btnPaste);
    manualButtons->addWidget(btnLoadRecip);
    manualButtons->addStretch(1);
    manual->addWidget(memCustom, 0, 0, 3, 1);
    manual->addLayout(manualButtons, 0, 1, 3, 1);
    manual->addWidget(chkvalidity, 0, 2);
    manual->addWidget(lblrejects, 1, 2);
    manual->addWidget(memrejects, 2, 2);
    manual->setColumnStretch(0, 3);
    manual->setColumnStretch(2, 2);
    grpManual->hide();
    row->addWidget(grpRecipients, 1);
    row->addWidget(grpManual, 1);
}

void TdlgSendMail::connectRecipients() {
    for (QRadioButton *button : {rdball, rdbfilter, rdbnotfilter, rdbManual}) {
        connect(button, &QRadioButton::clicked, this, &TdlgSendMail::rdballClick);
    }
    connect(edtfilter, &QLineEdit::textEdited, this, [this] {
        rdbfilter->setChecked(true);
        rdballClick();
    });
    connect(edtnotfilter, &QLineEdit::textEdited, this, [this] {
        rdbnotfilter->setChecked(true);
        rdballClick();
    });
    connect(chkvalidity, &QCheckBox::toggled, this, [this](bool on) {
        lblrejects->setEnabled(on);
        memrejects->setEnabled(on);
    });
    connect(chkDoAddSalutation, &QCheckBox::toggled, this, [this] { btnrecalc->setEnabled(true); });
}

void TdlgSendMail::rdballClick() {
    grpManual->setVisible(rdbManual->isChecked());
    btnrecalc->setEnabled(true);
}

void TdlgSendMail::FormKeyPress(QKeyEvent *event) {
    event->accept();
    if (m_prompt.message(UserPrompt::Kind::Confirmation,
                         QStringLiteral("Are you sure that you want to close and leave this form?"),
                         UserPrompt::Yes | UserPrompt::No) == UserPrompt::Yes) {
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
    m_prompt.setCancelRequested(true);
    m_prompt.beep();
    QDialog::done(QDialog::Rejected);
}

void TdlgSendMail::done(int result) {
    DialogPlacement::save(*this, placementGroup());
    QDialog::done(result);
}

} // namespace corvane::ui

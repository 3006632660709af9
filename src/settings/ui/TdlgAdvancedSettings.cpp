// The advanced settings dialog's widgets.
#include "settings/ui/TdlgAdvancedSettings.h"

#include "settings/ui/TdlgSMTPSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <initializer_list>

namespace corvane::ui {

namespace {
QLabel *note(QWidget *parent, const QString &text) {
    auto *label = new QLabel(text, parent);
    label->setWordWrap(text.size() > 40);
    return label;
}
} // namespace

TdlgAdvancedSettings::TdlgAdvancedSettings(Settings &settings, UserPrompt &prompt, bool usesOutlook, QWidget *parent)
    : QDialog(parent), m_core(settings, prompt, usesOutlook), m_settings(settings), m_prompt(prompt) {
    setObjectName(QStringLiteral("dlgAdvancedSettings"));
    setWindowTitle(QStringLiteral("Advanced Settings"));
    auto *layout = new QVBoxLayout(this);
    pages = new QTabWidget(this);
    pages->addTab(buildGeneral(), QStringLiteral("General"));
    m_outlookPage = buildOutlook();
    pages->addTab(m_outlookPage, QStringLiteral("Outlook Integration"));
    layout->addWidget(pages, 1);
    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgAdvancedSettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (showHelp) {
            showHelp(corvane::TdlgAdvancedSettings::kHelpContext);
        }
    });
    showSmtpSettings = [this](int method) { TdlgSMTPSettings::edit(m_settings, m_prompt, method, this); };
    m_core.showSmtpSettings = [this](int method) {
        if (showSmtpSettings) {
            showSmtpSettings(method);
        }
    };
    resize(640, 760);
}

QWidget *TdlgAdvancedSettings::buildGeneral() {
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    auto *sending = new QGroupBox(QStringLiteral("Sending Options"), page);
    auto *sendingLayout = new QGridLayout(sending);
    sendingLayout->addWidget(note(sending, QStringLiteral("What method do you want to use for sending of e-mail?")), 0,
                             0, 1, 2);
    lbxsendingmethod = new QListWidget(sending);
    lbxsendingmethod->setObjectName(QStringLiteral("lbxsendingmethod"));
    lbxsendingmethod->addItems(corvane::TdlgAdvancedSettings::sendingMethods());
    lbxsendingmethod->setFixedHeight(lbxsendingmethod->sizeHintForRow(0) * 5 + 2 * lbxsendingmethod->frameWidth() + 6);
    btnsmtpsettings = new QPushButton(QStringLiteral("Settings..."), sending);
    btnsmtpsettings->setObjectName(QStringLiteral("btnsmtpsettings"));
    sendingLayout->addWidget(lbxsendingmethod, 1, 0);
    sendingLayout->addWidget(btnsmtpsettings, 1, 1, Qt::AlignTop);
    chkalwaysresolve = new QCheckBox(QStringLiteral("Always resolve outgoing e-mail addresses"), sending);
    sendingLayout->addWidget(chkalwaysresolve, 2, 0, 1, 2);
    layout->addWidget(sending);

    auto *software = new QGroupBox(QStringLiteral("E-mail Software"), page);
    auto *softwareLayout = new QVBoxLayout(software);
    softwareLayout->addWidget(
        note(software, QStringLiteral("It is recommended that CVN is used with Microsoft Outlook to "
                                      "take advantage of the special integration features that "
                                      "CVN offers.")));
    rdbuseoutlook = new QRadioButton(QStringLiteral("I will use Outlook with Corvane"), software);
    rdbotherprogram = new QRadioButton(
        QStringLiteral("I will be using a different e-mail program (e.g. Outlook Express, Eudora)"), software);
    softwareLayout->addWidget(rdbuseoutlook);
    softwareLayout->addWidget(rdbotherprogram);
    softwareLayout->addWidget(
        note(software, QStringLiteral("Outlook specific options will be hidden.  You will need to "
                                      "import or paste entries manually into Corvane")));
    layout->addWidget(software);

    auto *store = new QGroupBox(QStringLiteral("Mail Store"), page);
    auto *storeLayout = new QGridLayout(store);
    storeLayout->addWidget(note(store, QStringLiteral("Kind:")), 0, 0);
    cmbstorekind = new QComboBox(store);
    cmbstorekind->setObjectName(QStringLiteral("cmbstorekind"));
    cmbstorekind->addItem(QStringLiteral("Maildir folder on this computer"));
    cmbstorekind->addItem(QStringLiteral("IMAP account"));
    storeLayout->addWidget(cmbstorekind, 0, 1, 1, 2);
    storeLayout->addWidget(note(store, QStringLiteral("Maildir folder:")), 1, 0);
    edtmailstore = new QLineEdit(store);
    edtmailstore->setPlaceholderText(QStringLiteral("the folder \"Mail\" in the application directory"));
    btnbrowsestore = new QPushButton(QStringLiteral("Browse.."), store);
    storeLayout->addWidget(edtmailstore, 1, 1);
    storeLayout->addWidget(btnbrowsestore, 1, 2);
    buildImapFields(store, storeLayout, 2);
    storeLayout->addWidget(note(store, QStringLiteral("Submission program:")), 8, 0);
    edtsubmitcommand = new QLineEdit(store);
    edtsubmitcommand->setPlaceholderText(QStringLiteral("sendmail -oi"));
    storeLayout->addWidget(edtsubmitcommand, 8, 1, 1, 2);
    storeLayout->addWidget(note(store, QStringLiteral("Test address:")), 9, 0);
    edttestaddress = new QLineEdit(store);
    btntestsubmit = new QPushButton(QStringLiteral("Test"), store);
    btntestsubmit->setToolTip(QStringLiteral("Hands a one-line test message for this address to the submission "
                                             "program"));
    storeLayout->addWidget(edttestaddress, 9, 1);
    storeLayout->addWidget(btntestsubmit, 9, 2);
    layout->addWidget(store);
    layout->addStretch(1);

    connect(lbxsendingmethod, &QListWidget::currentRowChanged, this, [this] { readControls(); });
    connect(rdbuseoutlook, &QRadioButton::toggled, this, [this] { readControls(); });
    connect(btnsmtpsettings, &QPushButton::clicked, this,
            [this] { TdlgSMTPSettings::edit(m_settings, m_prompt, m_core.controls.sendingMethod, this); });
    connect(cmbstorekind, &QComboBox::currentIndexChanged, this, [this] { readControls(); });
    connect(btnbrowsestore, &QPushButton::clicked, this, [this] {
        const QString dir =
            QFileDialog::getExistingDirectory(this, QStringLiteral("Maildir folder"), edtmailstore->text());
        if (!dir.isEmpty()) {
            edtmailstore->setText(dir);
        }
    });
    connect(btntestsubmit, &QPushButton::clicked, this, [this] {
        readControls();
        m_core.testSubmission(edttestaddress->text());
    });
    return page;
}

void TdlgAdvancedSettings::buildImapFields(QWidget *store, QGridLayout *layout, int row) {
    const auto field = [&](const QString &caption, QWidget *widget, int span) {
        layout->addWidget(note(store, caption), row, 0);
        layout->addWidget(widget, row, 1, 1, span);
        ++row;
    };
    edtimaphost = new QLineEdit(store);
    edtimaphost->setObjectName(QStringLiteral("edtimaphost"));
    field(QStringLiteral("Host:"), edtimaphost, 2);
    edtimapport = new QLineEdit(store);
    edtimapport->setObjectName(QStringLiteral("edtimapport"));
    edtimapport->setPlaceholderText(QStringLiteral("the security's usual port"));
    field(QStringLiteral("Port:"), edtimapport, 2);
    cmbimapsecurity = new QComboBox(store);
    cmbimapsecurity->setObjectName(QStringLiteral("cmbimapsecurity"));
    cmbimapsecurity->addItems({QStringLiteral("TLS (port 993)"), QStringLiteral("STARTTLS (port 143)"),
                               QStringLiteral("None (this computer only)")});
    field(QStringLiteral("Security:"), cmbimapsecurity, 2);
    edtimapuser = new QLineEdit(store);
    edtimapuser->setObjectName(QStringLiteral("edtimapuser"));
    field(QStringLiteral("User:"), edtimapuser, 2);
    edtimappassword = new QLineEdit(store);
    edtimappassword->setObjectName(QStringLiteral("edtimappassword"));
    edtimappassword->setEchoMode(QLineEdit::Password);
    edtimappassword->setPlaceholderText(QStringLiteral("unchanged"));
    edtimappassword->setToolTip(QStringLiteral("Kept in the desktop's secret store, never in the settings file; "
                                               "leave it empty to keep the stored password"));
    field(QStringLiteral("Password:"), edtimappassword, 2);
    edtimapfingerprint = new QLineEdit(store);
    edtimapfingerprint->setObjectName(QStringLiteral("edtimapfingerprint"));
    edtimapfingerprint->setPlaceholderText(QStringLiteral("only for a certificate the system does not trust"));
    btntestimap = new QPushButton(QStringLiteral("Test"), store);
    btntestimap->setObjectName(QStringLiteral("btntestimap"));
    btntestimap->setToolTip(QStringLiteral("Connects to the account, logs in, lists its folders and logs out"));
    field(QStringLiteral("Certificate SHA-256 fingerprint:"), edtimapfingerprint, 1);
    layout->addWidget(btntestimap, row - 1, 2);
    connect(btntestimap, &QPushButton::clicked, this, [this] {
        readControls();
        m_core.testImap();
    });
}

QWidget *TdlgAdvancedSettings::buildOutlook() {
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(note(page, QStringLiteral("These settings decide how Corvane finds its folders in the mail store "
                                                "and how it reads the sender of a request.")));
    auto *root = new QGroupBox(QStringLiteral("Outlook Root (Top Level) Folder"), page);
    auto *rootLayout = new QGridLayout(root);
    rdbrootdefault = new QRadioButton(QStringLiteral("Use Outlook Default root definition"), root);
    rdbrootpersonal = new QRadioButton(QStringLiteral("Access root folder as 'Personal Folders'"), root);
    rdbrootnamed = new QRadioButton(QStringLiteral("Specify name of Outlook Root:"), root);
    edtrootname = new QLineEdit(root);
    rootLayout->addWidget(rdbrootdefault, 0, 0, 1, 2);
    rootLayout->addWidget(rdbrootpersonal, 1, 0, 1, 2);
    rootLayout->addWidget(rdbrootnamed, 2, 0);
    rootLayout->addWidget(edtrootname, 2, 1);
    layout->addWidget(root);
    auto *retrieval = new QGroupBox(QStringLiteral("Sender E-mail Retrieval"), page);
    auto *retrievalLayout = new QVBoxLayout(retrieval);
    retrievalLayout->addWidget(note(
        retrieval, QStringLiteral("What method do you want to use for retrieving the sender address of an e-mail?")));
    lbxretrieval = new QListWidget(retrieval);
    lbxretrieval->addItems(corvane::TdlgAdvancedSettings::retrievalMethods());
    retrievalLayout->addWidget(lbxretrieval);
    chkalwaysshowsendererror =
        new QCheckBox(QStringLiteral("Always display error when cannot retrieve a sender address"), retrieval);
    retrievalLayout->addWidget(chkalwaysshowsendererror);
    layout->addWidget(retrieval);
    auto *other = new QGroupBox(QStringLiteral("Other"), page);
    auto *otherLayout = new QVBoxLayout(other);
    chkuseredemption =
        new QCheckBox(QStringLiteral("Use Extended MAPI to integrate with Outlook (best for Outlook 2002)"), other);
    otherLayout->addWidget(chkuseredemption);
    layout->addWidget(other);
    for (QRadioButton *b : {rdbrootdefault, rdbrootpersonal, rdbrootnamed}) {
        connect(b, &QRadioButton::toggled, this, [this] { readControls(); });
    }
    return page;
}

int TdlgAdvancedSettings::execute() {
    m_core.FormShow();
    showControls();
    return exec();
}

void TdlgAdvancedSettings::showControls() {
    const corvane::TdlgAdvancedSettings::Controls c = m_core.controls;
    lbxsendingmethod->setCurrentRow(c.sendingMethod);
    chkalwaysresolve->setChecked(c.alwaysResolve);
    (c.useOutlook ? rdbuseoutlook : rdbotherprogram)->setChecked(true);
    using Root = corvane::TdlgAdvancedSettings::Root;
    rdbrootdefault->setChecked(c.root == Root::Default);
    rdbrootpersonal->setChecked(c.root == Root::PersonalFolders);
    rdbrootnamed->setChecked(c.root == Root::Named);
    edtrootname->setText(c.rootName);
    lbxretrieval->setCurrentRow(c.retrievalMethod);
    chkalwaysshowsendererror->setChecked(c.alwaysShowSenderError);
    chkuseredemption->setChecked(c.useRedemption);
    using Kind = corvane::TdlgAdvancedSettings::StoreKind;
    cmbstorekind->setCurrentIndex(c.storeKind == Kind::Imap ? 1 : 0);
    edtmailstore->setText(c.mailStore);
    edtimaphost->setText(c.imapHost);
    edtimapport->setText(c.imapPort);
    cmbimapsecurity->setCurrentIndex(static_cast<int>(c.imapSecurity));
    edtimapuser->setText(c.imapUser);
    edtimappassword->setText(c.imapPassword);
    edtimapfingerprint->setText(c.imapFingerprint);
    edtsubmitcommand->setText(c.submitCommand);
    m_core.controls = c;
    applyRules();
}

void TdlgAdvancedSettings::readControls() {
    corvane::TdlgAdvancedSettings::Controls &c = m_core.controls;
    c.sendingMethod = lbxsendingmethod->currentRow();
    c.alwaysResolve = chkalwaysresolve->isChecked();
    c.useOutlook = rdbuseoutlook->isChecked();
    using Root = corvane::TdlgAdvancedSettings::Root;
    c.root = rdbrootnamed->isChecked() ? Root::Named
                                       : (rdbrootpersonal->isChecked() ? Root::PersonalFolders : Root::Default);
    c.rootName = edtrootname->text();
    c.retrievalMethod = lbxretrieval->currentRow();
    c.alwaysShowSenderError = chkalwaysshowsendererror->isChecked();
    c.useRedemption = chkuseredemption->isChecked();
    using Kind = corvane::TdlgAdvancedSettings::StoreKind;
    c.storeKind = cmbstorekind->currentIndex() == 1 ? Kind::Imap : Kind::Maildir;
    c.mailStore = edtmailstore->text();
    c.imapHost = edtimaphost->text();
    c.imapPort = edtimapport->text();
    c.imapSecurity = static_cast<ImapAccount::Security>(std::max(0, cmbimapsecurity->currentIndex()));
    c.imapUser = edtimapuser->text();
    c.imapPassword = edtimappassword->text();
    c.imapFingerprint = edtimapfingerprint->text();
    c.submitCommand = edtsubmitcommand->text();
    applyRules();
}

void TdlgAdvancedSettings::applyRules() {
    btnsmtpsettings->setEnabled(m_core.settingsButtonEnabled());
    chkalwaysresolve->setEnabled(m_core.alwaysResolveEnabled());
    edtrootname->setEnabled(m_core.rootNameEnabled());
    pages->setTabVisible(pages->indexOf(m_outlookPage), m_core.outlookPageVisible());
    for (QWidget *w : std::initializer_list<QWidget *>{edtimaphost, edtimapport, cmbimapsecurity, edtimapuser,
                                                       edtimappassword, edtimapfingerprint, btntestimap}) {
        w->setEnabled(m_core.imapFieldsEnabled());
    }
    edtmailstore->setEnabled(m_core.maildirFieldsEnabled());
    btnbrowsestore->setEnabled(m_core.maildirFieldsEnabled());
}

void TdlgAdvancedSettings::accept() {
    readControls();
    if (m_core.OK()) {
        QDialog::accept();
    }
}

} // namespace corvane::ui

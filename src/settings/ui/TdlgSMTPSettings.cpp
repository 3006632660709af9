// The SMTP settings dialog's widgets.
#include "settings/ui/TdlgSMTPSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvane::ui {

TdlgSMTPSettings::TdlgSMTPSettings(Settings &settings, UserPrompt &prompt, int method, QWidget *parent)
    : QDialog(parent), m_core(settings, prompt, method) {
    setWindowTitle(QStringLiteral("SMTP Settings"));
    const corvane::TdlgSMTPSettings::Controls &c = m_core.controls;
    auto *grid = new QGridLayout(this);
    auto *heading = new QLabel(c.heading, this);
    heading->setWordWrap(true);
    grid->addWidget(heading, 0, 0, 1, 2);
    const auto field = [&](int rowIndex, const QString &caption, const QString &value) {
        auto *label = new QLabel(caption, this);
        auto *edit = new QLineEdit(value, this);
        grid->addWidget(label, rowIndex, 0);
        grid->addWidget(edit, rowIndex, 1);
        return std::pair{label, edit};
    };
    edthost = field(1, c.hostLabel, c.host).second;
    edtport = field(2, c.portLabel, c.port).second;
    auto [userLabel, userEdit] = field(3, QStringLiteral("User ID (often not required):"), c.userId);
    edtuserid = userEdit;
    edtuserid->setToolTip(QStringLiteral("Corvane sends this as its HELO name; when empty, the computer's host name"));
    userLabel->setVisible(c.userIdVisible);
    edtuserid->setVisible(c.userIdVisible);
    edtsendername = field(4, QStringLiteral("Sender Name:"), c.senderName).second;
    edtsenderemail = field(5, QStringLiteral("Sender E-Mail Address: "), c.senderAddress).second;
    // The SMTP method's security and log-in.
    auto *securityLabel = new QLabel(QStringLiteral("Security:"), this);
    cbosecurity = new QComboBox(this);
    cbosecurity->addItems(corvane::TdlgSMTPSettings::securityChoices());
    cbosecurity->setCurrentIndex(c.security);
    cbosecurity->setToolTip(QStringLiteral("STARTTLS usually uses port 587 and TLS on connect port 465; a port left "
                                           "at 25 is changed to those when connecting"));
    grid->addWidget(securityLabel, 6, 0);
    grid->addWidget(cbosecurity, 6, 1);
    auto [smtpUserLabel, smtpUserEdit] = field(7, QStringLiteral("Log-in user (empty: no log-in):"), c.smtpUser);
    edtsmtpuser = smtpUserEdit;
    auto [passwordLabel, passwordEdit] = field(8, QStringLiteral("Password:"), c.password);
    edtpassword = passwordEdit;
    edtpassword->setEchoMode(QLineEdit::Password);
    edtpassword->setPlaceholderText(QStringLiteral("unchanged (kept in the desktop's secret store)"));
    auto [fingerprintLabel, fingerprintEdit] =
        field(9, QStringLiteral("Trusted certificate (SHA-256):"), c.fingerprint);
    edtfingerprint = fingerprintEdit;
    edtfingerprint->setToolTip(
        QStringLiteral("Only for a server with a self-signed certificate: its SHA-256 "
                       "fingerprint, as \"openssl x509 -noout -fingerprint -sha256\" prints it"));
    btntest = new QPushButton(QStringLiteral("Test connection"), this);
    grid->addWidget(btntest, 10, 1, Qt::AlignRight);
    connect(btntest, &QPushButton::clicked, this, [this] {
        takeFields();
        m_core.testConnection();
    });
    for (QWidget *w :
         std::initializer_list<QWidget *>{securityLabel, cbosecurity, smtpUserLabel, edtsmtpuser, passwordLabel,
                                          edtpassword, fingerprintLabel, edtfingerprint, btntest}) {
        w->setVisible(c.securityVisible);
    }
    chkprocessbounce = new QCheckBox(QStringLiteral("Process bounces as they are detected"), this);
    chkprocessbounce->setToolTip(
        QStringLiteral("If this is checked then when the SMTP server encounters a bad domain the address is processed "
                       "as a bounce immediately.  Otherwise it is not processed."));
    chkprocessbounce->setChecked(c.processBounce);
    chkprocessbounce->setVisible(c.processBounceVisible);
    grid->addWidget(chkprocessbounce, 11, 0, 1, 2);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    grid->addWidget(buttons, 12, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgSMTPSettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(440);
}

void TdlgSMTPSettings::takeFields() {
    corvane::TdlgSMTPSettings::Controls &c = m_core.controls;
    c.host = edthost->text();
    c.port = edtport->text();
    c.userId = edtuserid->text();
    c.senderName = edtsendername->text();
    c.senderAddress = edtsenderemail->text();
    c.processBounce = chkprocessbounce->isChecked();
    c.security = cbosecurity->currentIndex();
    c.smtpUser = edtsmtpuser->text();
    c.password = edtpassword->text();
    c.fingerprint = edtfingerprint->text();
}

void TdlgSMTPSettings::accept() {
    takeFields();
    if (m_core.OK()) {
        QDialog::accept();
    }
}

void TdlgSMTPSettings::edit(Settings &settings, UserPrompt &prompt, int method, QWidget *parent) {
    TdlgSMTPSettings dialog(settings, prompt, method, parent);
    dialog.exec();
}

} // namespace corvane::ui

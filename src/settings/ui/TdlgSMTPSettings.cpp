// The SMTP settings dialog's widgets.
#include "settings/ui/TdlgSMTPSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

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
    chkprocessbounce = new QCheckBox(QStringLiteral("Process bounces as they are detected"), this);
    chkprocessbounce->setToolTip(
        QStringLiteral("If this is checked then when the SMTP server encounters a bad domain the address is processed "
                       "as a bounce immediately.  Otherwise it is not processed."));
    chkprocessbounce->setChecked(c.processBounce);
    chkprocessbounce->setVisible(c.processBounceVisible);
    grid->addWidget(chkprocessbounce, 6, 0, 1, 2);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    grid->addWidget(buttons, 7, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgSMTPSettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(440);
}

void TdlgSMTPSettings::accept() {
    corvane::TdlgSMTPSettings::Controls &c = m_core.controls;
    c.host = edthost->text();
    c.port = edtport->text();
    c.userId = edtuserid->text();
    c.senderName = edtsendername->text();
    c.senderAddress = edtsenderemail->text();
    c.processBounce = chkprocessbounce->isChecked();
    if (m_core.OK()) {
        QDialog::accept();
    }
}

void TdlgSMTPSettings::edit(Settings &settings, UserPrompt &prompt, int method, QWidget *parent) {
    TdlgSMTPSettings dialog(settings, prompt, method, parent);
    dialog.exec();
}

} // namespace corvane::ui

// The address change dialog.
#include "requests/ui/TdlgChangeAddress.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace corvane::ui {

TdlgChangeAddress::TdlgChangeAddress(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Update E-mail Address"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Change all instances of the address:"), this));
    edtold = new QLineEdit(this);
    edtold->setObjectName(QStringLiteral("edtold"));
    edtold->setToolTip(QStringLiteral("The address as it appears now"));
    layout->addWidget(edtold);
    layout->addWidget(new QLabel(QStringLiteral("To:"), this));
    edtnew = new QLineEdit(this);
    edtnew->setObjectName(QStringLiteral("edtnew"));
    edtnew->setToolTip(QStringLiteral("The new address that will replace the old one"));
    layout->addWidget(edtnew);
    chkignore = new QCheckBox(QStringLiteral("Ignore All Rules"), this);
    chkignore->setObjectName(QStringLiteral("chkignore"));
    layout->addWidget(chkignore);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(380);
}

bool TdlgChangeAddress::ask(QWidget *parent, QString &oldAddress, QString &newAddress, bool showIgnoreBox,
                            bool &ignoreAllRules) {
    TdlgChangeAddress dialog(parent);
    dialog.edtold->setText(oldAddress);
    dialog.edtnew->setText(newAddress);
    dialog.chkignore->setVisible(showIgnoreBox);
    dialog.chkignore->setChecked(false);
    if (newAddress.isEmpty()) {
        dialog.edtnew->setFocus();
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    oldAddress = dialog.edtold->text();
    newAddress = dialog.edtnew->text();
    ignoreAllRules = showIgnoreBox && dialog.chkignore->isChecked();
    return true;
}

} // namespace corvane::ui

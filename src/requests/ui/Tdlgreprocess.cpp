// The "Reprocess Entry" dialog.
#include "requests/ui/Tdlgreprocess.h"

#include "requests/Tdlgreprocess.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane::ui {

Tdlgreprocess::Tdlgreprocess(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgreprocess"));
    setWindowTitle(QStringLiteral("Reprocess Entry"));
    auto *layout = new QVBoxLayout(this);
    auto *action = new QGroupBox(QStringLiteral("Action:"), this);
    auto *actions = new QVBoxLayout(action);
    rdbadd = new QRadioButton(QStringLiteral("Add E-mail Address"), action);
    rdbadd->setObjectName(QStringLiteral("rdbadd"));
    rdbremove = new QRadioButton(QStringLiteral("Remove E-mail Address"), action);
    rdbremove->setObjectName(QStringLiteral("rdbremove"));
    rdbadd->setChecked(true);
    actions->addWidget(rdbadd);
    actions->addWidget(rdbremove);
    layout->addWidget(action);
    auto *form = new QFormLayout;
    edtemail = new QLineEdit(this);
    edtemail->setObjectName(QStringLiteral("edtemail"));
    form->addRow(QStringLiteral("E-mail"), edtemail);
    cmbcategory = new QComboBox(this);
    cmbcategory->setObjectName(QStringLiteral("cmbcategory"));
    cmbcategory->setEditable(true);
    form->addRow(QStringLiteral("Category"), cmbcategory);
    layout->addLayout(form);
    chkignore = new QCheckBox(QStringLiteral("Ignore All Rules"), this);
    chkignore->setObjectName(QStringLiteral("chkignore"));
    chkignore->setToolTip(QStringLiteral("The entry is reprocessed without checking whether the address is valid "
                                         "and ignoring the mail rules"));
    layout->addWidget(chkignore);
    layout->addWidget(new QLabel(QStringLiteral("Why E-mail Address is Invalid"), this));
    memreason = new QPlainTextEdit(this);
    memreason->setObjectName(QStringLiteral("memreason"));
    memreason->setReadOnly(true);
    memreason->setMaximumHeight(60);
    layout->addWidget(memreason);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnok = buttons->button(QDialogButtonBox::Ok);
    btnok->setObjectName(QStringLiteral("btnok"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edtemail, &QLineEdit::textChanged, this,
            [this](const QString &text) { btnok->setEnabled(!text.isEmpty()); });
    setMinimumWidth(380);
}

void Tdlgreprocess::load(const corvane::Tdlgreprocess &form) {
    rdbadd->setChecked(form.add);
    rdbremove->setChecked(!form.add);
    edtemail->setText(form.email);
    btnok->setEnabled(form.okEnabled());
    cmbcategory->clear();
    cmbcategory->addItems(form.categories);
    cmbcategory->setEditText(form.category);
    chkignore->setChecked(form.ignoreAllRules);
    memreason->setPlainText(form.reason);
}

void Tdlgreprocess::store(corvane::Tdlgreprocess &form) const {
    form.add = rdbadd->isChecked();
    form.email = edtemail->text();
    form.category = cmbcategory->currentText();
    form.ignoreAllRules = chkignore->isChecked();
}

bool Tdlgreprocess::ask(QWidget *parent, corvane::Tdlgreprocess &form) {
    Tdlgreprocess dialog(parent);
    dialog.load(form);
    if (dialog.exec() != QDialog::Accepted || dialog.edtemail->text().isEmpty()) {
        return false;
    }
    dialog.store(form);
    return true;
}

} // namespace corvane::ui

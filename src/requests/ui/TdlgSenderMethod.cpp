// The sender-method dialog's widgets.
#include "requests/ui/TdlgSenderMethod.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::ui {

TdlgSenderMethod::TdlgSenderMethod(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSenderMethod"));
    setWindowTitle(QStringLiteral("Error retrieving Sender Address"));
    auto *layout = new QVBoxLayout(this);
    lblmessage = new QLabel(this);
    lblmessage->setWordWrap(true);
    lblmessage->setTextFormat(Qt::PlainText);
    layout->addWidget(lblmessage);
    chkalwaysshow = new QCheckBox(QStringLiteral("Always display error when cannot retrieve a sender address"), this);
    chkalwaysshow->setChecked(true);
    layout->addWidget(chkalwaysshow);
    auto *buttons = new QHBoxLayout();
    auto *change = new QPushButton(QStringLiteral("Change Method"), this);
    change->setObjectName(QStringLiteral("btnchange"));
    auto *keep = new QPushButton(QStringLiteral("Do not Change"), this);
    keep->setObjectName(QStringLiteral("btnkeep"));
    keep->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(change);
    buttons->addWidget(keep);
    layout->addLayout(buttons);
    connect(change, &QPushButton::clicked, this, &QDialog::accept);
    connect(keep, &QPushButton::clicked, this, &QDialog::reject);
    resize(460, 220);
}

bool TdlgSenderMethod::ask(QWidget *parent, const QString &text, bool &alwaysShow) {
    TdlgSenderMethod dialog(parent);
    dialog.lblmessage->setText(text);
    const bool change = dialog.exec() == QDialog::Accepted;
    alwaysShow = dialog.chkalwaysshow->isChecked();
    return change;
}

} // namespace corvane::ui

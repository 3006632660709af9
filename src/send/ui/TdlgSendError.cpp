// The send-error dialog.
#include "send/ui/TdlgSendError.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::ui {

TdlgSendError::TdlgSendError(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSendError"));
    setWindowTitle(QStringLiteral("Sending Error"));
    auto *layout = new QVBoxLayout(this);
    lbltitle = new QLabel(QStringLiteral("Send Error!"), this);
    QFont bold = lbltitle->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    lbltitle->setFont(bold);
    memerror = new QPlainTextEdit(this);
    memerror->setObjectName(QStringLiteral("memerror"));
    memerror->setReadOnly(true);
    chkhide = new QCheckBox(QStringLiteral("Do not show further errors"), this);
    chkhide->setObjectName(QStringLiteral("chkhide"));
    btnok = new QPushButton(QStringLiteral("OK"), this);
    btnok->setDefault(true);
    btnabort = new QPushButton(QStringLiteral("Abort"), this);
    auto *buttons = new QHBoxLayout();
    buttons->addWidget(chkhide);
    buttons->addStretch(1);
    buttons->addWidget(btnok);
    buttons->addWidget(btnabort);
    layout->addWidget(lbltitle);
    layout->addWidget(memerror, 1);
    layout->addLayout(buttons);
    connect(btnok, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnabort, &QPushButton::clicked, this, [this] { done(QDialog::Rejected + 2); });
    resize(440, 220);
}

void TdlgSendError::showError(const QString &text, bool &abortPressed, bool &hideFurther) {
    memerror->setPlainText(text);
    const int result = exec();
    abortPressed = result == QDialog::Rejected + 2;
    hideFurther = chkhide->isChecked();
}

} // namespace corvane::ui

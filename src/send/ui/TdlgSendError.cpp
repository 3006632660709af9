// The send-error dialog.
#include "send/ui/TdlgSendError.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
constexpr int kAbortResult = 2;
} // namespace

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
    connect(btnabort, &QPushButton::clicked, this, [this] { done(kAbortResult); });
    resize(440, 220);
}

SendErrorPrompt::Answer TdlgSendError::showSendError(const QString &text) {
    memerror->setPlainText(text);
    chkhide->setChecked(false);
    const int result = exec();
    Answer answer;
    answer.abortPressed = result == kAbortResult;
    answer.hideFurther = chkhide->isChecked();
    return answer;
}

} // namespace corvane::ui

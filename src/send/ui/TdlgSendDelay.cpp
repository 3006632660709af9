// The stagger countdown dialog.
#include "send/ui/TdlgSendDelay.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace corvane::ui {

TdlgSendDelay::TdlgSendDelay(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSendDelay"));
    setWindowTitle(QStringLiteral("Send Delay"));
    auto *layout = new QGridLayout(this);
    lblinfo = new QLabel(QStringLiteral("You have set the option to stagger the sending of your messages"), this);
    lblnext = new QLabel(QStringLiteral("The next e-mail will be sent in"), this);
    lblseconds = new QLabel(this);
    lblseconds->setObjectName(QStringLiteral("lblseconds"));
    QFont bold = lblseconds->font();
    bold.setBold(true);
    lblseconds->setFont(bold);
    lblunit = new QLabel(QStringLiteral("seconds"), this);
    btnSkip = new QPushButton(QStringLiteral("Skip this Delay"), this);
    btnSkipAll = new QPushButton(QStringLiteral("Skip All Delays"), this);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton *button : {btnSkip, btnSkipAll, btnCancel}) {
        button->setAutoDefault(false);
    }
    auto *countdown = new QHBoxLayout();
    countdown->addWidget(lblnext);
    countdown->addWidget(lblseconds);
    countdown->addWidget(lblunit);
    countdown->addStretch(1);
    auto *buttons = new QHBoxLayout();
    buttons->addWidget(btnSkip);
    buttons->addWidget(btnSkipAll);
    buttons->addWidget(btnCancel);
    layout->addWidget(lblinfo, 0, 0);
    layout->addLayout(countdown, 1, 0);
    layout->addLayout(buttons, 2, 0);
    tmrDelay.setInterval(1000);
    connect(&tmrDelay, &QTimer::timeout, this, [this] {
        const int left = m_onTick ? m_onTick() : -1;
        if (left < 0) {
            m_outcome = Outcome::Elapsed;
            accept();
            return;
        }
        showSeconds(left);
    });
    const auto closeWith = [this](Outcome outcome) {
        m_outcome = outcome;
        accept();
    };
    connect(btnSkip, &QPushButton::clicked, this, [closeWith] { closeWith(Outcome::SkipThis); });
    connect(btnSkipAll, &QPushButton::clicked, this, [closeWith] { closeWith(Outcome::SkipAll); });
    connect(btnCancel, &QPushButton::clicked, this, [closeWith] { closeWith(Outcome::Cancel); });
}

void TdlgSendDelay::showSeconds(int seconds) {
    lblseconds->setText(QString::number(seconds));
}

TdlgSendDelay::Outcome TdlgSendDelay::wait(int seconds, const std::function<int()> &onTick) {
    m_onTick = onTick;
    m_outcome = Outcome::Elapsed;
    showSeconds(seconds);
    tmrDelay.start();
    exec();
    tmrDelay.stop();
    m_onTick = nullptr;
    return m_outcome;
}

} // namespace corvane::ui

// The stagger countdown dialog.
#include "send/ui/TdlgSendDelay.h"

#include <QEventLoop>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace corvane::ui {

TdlgSendDelay::TdlgSendDelay(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgSendDelay"));
    setWindowTitle(QStringLiteral("Send Delay"));
    setWindowModality(Qt::ApplicationModal);
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
    connect(&tmrDelay, &QTimer::timeout, this, [this] { post(Event::Tick); });
    connect(btnSkip, &QPushButton::clicked, this, [this] { post(Event::Skip); });
    connect(btnSkipAll, &QPushButton::clicked, this, [this] { post(Event::SkipAll); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { post(Event::Cancel); });
}

TdlgSendDelay::~TdlgSendDelay() {
    if (m_loop != nullptr) {
        m_loop->quit();
    }
}

void TdlgSendDelay::post(Event event) {
    m_events.append(event);
    if (m_loop != nullptr) {
        m_loop->quit();
    }
}

void TdlgSendDelay::openDelay(int remaining) {
    m_events.clear();
    showRemaining(remaining);
    show();
    raise();
    tmrDelay.start();
}

void TdlgSendDelay::showRemaining(int remaining) {
    lblseconds->setText(QString::number(remaining));
}

SendDelayPrompt::Event TdlgSendDelay::waitEvent() {
    if (m_events.isEmpty()) {
        QEventLoop loop;
        m_loop = &loop;
        loop.exec();
        m_loop = nullptr;
    }
    return m_events.isEmpty() ? Event::Skip : m_events.takeFirst();
}

void TdlgSendDelay::closeDelay() {
    tmrDelay.stop();
    hide();
    m_events.clear();
}

void TdlgSendDelay::reject() {
    post(Event::Skip);
}

} // namespace corvane::ui

// The scan window's widgets and its start delay.
#include "requests/ui/TfrmExtractentries.h"

#include "base/UserPrompt.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
constexpr int kStartDelayMs = 350;
} // namespace

TfrmExtractentries::TfrmExtractentries(corvane::TfrmExtractentries &scan, UserPrompt &prompt, bool requests,
                                       bool memberPosts, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_scan(scan), m_prompt(prompt),
      m_requests(requests), m_memberPosts(memberPosts) {
    setObjectName(QStringLiteral("frmExtractentries"));
    setWindowTitle(QStringLiteral("Outlook Objects"));
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout();
    row->addWidget(new QLabel(QStringLiteral("Accessing Outlook Entries.."), this), 1);
    btnclose = new QToolButton(this);
    btnclose->setObjectName(QStringLiteral("btnclose"));
    btnclose->setText(QStringLiteral("x"));
    btnclose->setAutoRaise(true);
    row->addWidget(btnclose);
    layout->addLayout(row);
    pbprogress = new QProgressBar(this);
    pbprogress->setRange(0, 100);
    pbprogress->setValue(0);
    layout->addWidget(pbprogress);
    connect(btnclose, &QToolButton::clicked, this, [this] { m_prompt.setCancelRequested(true); });
    m_scan.onProgress = [this](int percent) { pbprogress->setValue(percent); };
    QTimer::singleShot(kStartDelayMs, this, &TfrmExtractentries::OpenBtnClick);
    resize(320, 90);
}

void TfrmExtractentries::OpenBtnClick() {
    m_running = true;
    m_summary = m_scan.OpenBtnClick(m_requests, m_memberPosts);
    m_running = false;
    m_scan.onProgress = nullptr;
    accept();
}

void TfrmExtractentries::reject() {
    // Escape while the scan runs asks it to stop, as the "x" button does; the window closes when it has.
    if (m_running) {
        m_prompt.setCancelRequested(true);
        return;
    }
}

corvane::TfrmExtractentries::Summary TfrmExtractentries::run(corvane::TfrmExtractentries &scan, UserPrompt &prompt,
                                                             bool requests, bool memberPosts, QWidget *parent) {
    TfrmExtractentries window(scan, prompt, requests, memberPosts, parent);
    window.exec();
    return window.summary();
}

} // namespace corvane::ui

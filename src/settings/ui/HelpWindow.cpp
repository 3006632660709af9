// The help window.
#include "settings/ui/HelpWindow.h"

#include "settings/HelpTopics.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane::ui {

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmhelp"));
    setWindowTitle(QStringLiteral("Corvane Help"));
    auto *layout = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout();
    auto *back = new QPushButton(QStringLiteral("< Back"), this);
    auto *forward = new QPushButton(QStringLiteral("Forward >"), this);
    auto *contents = new QPushButton(QStringLiteral("Contents"), this);
    back->setObjectName(QStringLiteral("btnback"));
    forward->setObjectName(QStringLiteral("btnforward"));
    contents->setObjectName(QStringLiteral("btncontents"));
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addWidget(contents);
    bar->addStretch(1);
    layout->addLayout(bar);
    browser = new QTextBrowser(this);
    browser->setSearchPaths({HelpTopics::helpDirectory()});
    browser->setOpenExternalLinks(true);
    layout->addWidget(browser, 1);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { showContext(HelpTopics::kContents); });
    connect(browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(browser, &QTextBrowser::sourceChanged, this, [this] {
        setWindowTitle(browser->documentTitle().isEmpty() ? QStringLiteral("Corvane Help") : browser->documentTitle());
    });
    resize(640, 560);
}

void HelpWindow::showContext(int context) {
    const QString path = HelpTopics::helpDirectory() + QLatin1Char('/') + HelpTopics::pageFor(context);
    if (QFileInfo::exists(path)) {
        browser->setSource(QUrl::fromLocalFile(path));
    } else {
        browser->setHtml(
            QStringLiteral("<p>The help pages are not installed: %1 is missing.</p>").arg(path.toHtmlEscaped()));
    }
    show();
    raise();
    activateWindow();
}

HelpWindow *HelpWindow::instance() {
    static QPointer<HelpWindow> window;
    if (window.isNull()) {
        window = new HelpWindow();
        window->setAttribute(Qt::WA_QuitOnClose, false);
    }
    // A window opened from a modal dialog belongs to it, or the dialog's modality would block it.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal != window && window->parentWidget() != modal) {
        window->setParent(modal, Qt::Window);
    }
    return window;
}

void HelpWindow::showHelp(int context) {
    instance()->showContext(context);
}

} // namespace corvane::ui

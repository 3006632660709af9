// The help window: the HTML pages of the "help" folder beside the program in a browser with Back, Forward
// and a Contents link, opened at the page of a help context number (an unknown number opens the contents).
// One window serves the whole run.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace corvane::ui {

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    QTextBrowser *browser = nullptr;

    // Shows the page of `context` and brings the window to the front.
    void showContext(int context);

    // The window of the run (created on first use) shown at `context`.
    static void showHelp(int context);
    static HelpWindow *instance();
};

} // namespace corvane::ui

// The "Send Delay" dialog shown between two messages of a staggered send: the remaining seconds, counted
// down once a second by a 1,000 ms timer, and "Skip this Delay", "Skip All Delays" and "Cancel".
#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;
class QPushButton;

namespace corvane::ui {

class TdlgSendDelay : public QDialog {
    Q_OBJECT

public:
    // How the delay ended.
    enum class Outcome { Elapsed, SkipThis, SkipAll, Cancel };

    explicit TdlgSendDelay(QWidget *parent = nullptr);

    QLabel *lblinfo = nullptr;
    QLabel *lblnext = nullptr;
    QLabel *lblseconds = nullptr;
    QLabel *lblunit = nullptr;
    QPushButton *btnSkip = nullptr;
    QPushButton *btnSkipAll = nullptr;
    QPushButton *btnCancel = nullptr;
    QTimer tmrDelay;

    // Shows the dialog modally with `seconds` remaining; each tick of the timer calls `onTick`, which
    // returns the seconds now remaining, and the dialog closes as if "Skip this Delay" had been pressed
    // once that falls below 0. Returns how the delay ended.
    Outcome wait(int seconds, const std::function<int()> &onTick);
    void showSeconds(int seconds);

private:
    Outcome m_outcome = Outcome::Elapsed;
    std::function<int()> m_onTick;
};

} // namespace corvane::ui

// The "Send Delay" dialog shown between two messages of a staggered send: the remaining seconds, a tick
// every 1,000 ms, and "Skip this Delay", "Skip All Delays" and "Cancel". The send job keeps the countdown;
// the dialog reports each tick and each button to it.
#pragma once

#include "send/SendDelayPrompt.h"

#include <QDialog>
#include <QList>
#include <QTimer>

class QEventLoop;
class QLabel;
class QPushButton;

namespace corvane::ui {

class TdlgSendDelay : public QDialog, public SendDelayPrompt {
    Q_OBJECT

public:
    explicit TdlgSendDelay(QWidget *parent = nullptr);
    ~TdlgSendDelay() override;

    QLabel *lblinfo = nullptr;
    QLabel *lblnext = nullptr;
    QLabel *lblseconds = nullptr;
    QLabel *lblunit = nullptr;
    QPushButton *btnSkip = nullptr;
    QPushButton *btnSkipAll = nullptr;
    QPushButton *btnCancel = nullptr;
    QTimer tmrDelay;

    // Shows the dialog (modal for the application) and starts the 1,000 ms timer.
    void openDelay(int remaining) override;
    void showRemaining(int remaining) override;
    // Runs the event loop until the timer ticks or a button is pressed; closing the dialog otherwise counts
    // as "Skip this Delay".
    Event waitEvent() override;
    // Stops the timer and hides the dialog.
    void closeDelay() override;

    void reject() override;

private:
    void post(Event event);

    QList<Event> m_events;
    QEventLoop *m_loop = nullptr;
};

} // namespace corvane::ui

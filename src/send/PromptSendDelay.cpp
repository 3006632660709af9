// Waiting out a send delay without a window.
#include "send/PromptSendDelay.h"

#include "base/UserPrompt.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace corvane {

void PromptSendDelay::openDelay(int remaining) {
    m_remaining = remaining;
}

void PromptSendDelay::showRemaining(int remaining) {
    m_remaining = remaining;
}

SendDelayPrompt::Event PromptSendDelay::waitEvent() {
    const QDeadlineTimer tick(m_tickMs);
    while (!tick.hasExpired() && !m_prompt.cancelRequested()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        m_prompt.processEvents();
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(20, std::max<qint64>(tick.remainingTime(), 0))));
    }
    return Event::Tick;
}

} // namespace corvane

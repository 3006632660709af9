// The "Send Delay" dialog of a front end without windows: waits the seconds out one by one and offers no
// buttons, keeping pending events running while it waits.
#pragma once

#include "send/SendDelayPrompt.h"

#include <functional>

namespace corvane {

class UserPrompt;

class PromptSendDelay : public SendDelayPrompt {
public:
    // `prompt` gets its events pumped while a second passes; `tickMs` is the length of one tick.
    explicit PromptSendDelay(UserPrompt &prompt, int tickMs = 1000) : m_prompt(prompt), m_tickMs(tickMs) {}

    void openDelay(int remaining) override;
    void showRemaining(int remaining) override;
    // Waits one tick, pumping events; always Tick.
    Event waitEvent() override;
    void closeDelay() override {}

    // The seconds shown last.
    int remaining() const { return m_remaining; }

private:
    UserPrompt &m_prompt;
    int m_tickMs;
    int m_remaining = 0;
};

} // namespace corvane

// Holds the busy cursor for the lifetime of the object, so that it is restored on every exit path.
#pragma once

#include "base/UserPrompt.h"

namespace corvane {

class BusyCursor {
public:
    explicit BusyCursor(UserPrompt &prompt) : m_prompt(prompt) { m_prompt.setBusy(true); }
    ~BusyCursor() { m_prompt.setBusy(false); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;

private:
    UserPrompt &m_prompt;
};

} // namespace corvane

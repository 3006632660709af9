// The guard around every command a window runs (a menu item, a button, a timer): whatever the command
// raises ends in the application's error box and the program runs on, instead of the failure leaving the
// event loop and ending the program without its shutdown work.
#pragma once

#include "base/UserPrompt.h"

#include <QString>
#include <functional>

namespace corvane {

class CommandGuard {
public:
    // Runs `command`. When it raises, a progress window it left open is hidden and the failure is shown as
    // an error box with OK: a CorvaneError or another std::exception with its message (unexpectedFailure()
    // when the message is empty), anything else with unexpectedFailure(). True when the command ended
    // without raising. Never raises, not even when showing the box fails.
    static bool run(UserPrompt &prompt, const std::function<void()> &command) noexcept;

    static QString unexpectedFailure() { return QStringLiteral("An unexpected error was encountered."); }
};

} // namespace corvane

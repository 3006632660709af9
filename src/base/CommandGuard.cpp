// The command guard.
#include "base/CommandGuard.h"

#include "base/CorvaneError.h"
#include "base/ProgressWindow.h"

namespace corvane {

bool CommandGuard::run(UserPrompt &prompt, const std::function<void()> &command) noexcept {
    QString failure;
    try {
        command();
        return true;
    } catch (const std::exception &error) {
        failure = CorvaneError::messageOf(error);
    } catch (...) {
        // Not one of ours: told without a message of its own.
    }
    if (failure.trimmed().isEmpty()) {
        failure = unexpectedFailure();
    }
    try {
        ProgressWindow::hideprogress(prompt);
        prompt.message(UserPrompt::Kind::Error, failure, UserPrompt::Ok);
    } catch (...) {
        // The box itself failed; the program still runs on.
    }
    return false;
}

} // namespace corvane

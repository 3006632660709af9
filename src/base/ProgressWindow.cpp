// The shared progress window rules; the window itself belongs to the UserPrompt implementation.
#include "base/ProgressWindow.h"

namespace corvane {

void ProgressWindow::showprogress(UserPrompt &prompt, bool show, int position, int maximum, const QString &message,
                                  bool cancellable) {
    try {
        if (!show) {
            prompt.hideProgress();
            return;
        }
        if (maximum == 1) {
            return;
        }
        if (position > maximum) {
            position = maximum;
        }
        const int percent = maximum > 0 ? static_cast<int>(static_cast<qint64>(position) * 100 / maximum) : 0;
        prompt.showProgress(percent, message, cancellable);
        if (cancellable) {
            prompt.processEvents();
        }
    } catch (...) {
        // A broken progress window must never stop the job it reports on.
    }
}

void ProgressWindow::hideprogress(UserPrompt &prompt) {
    showprogress(prompt, false, 0, 0, QString(), false);
}

void ProgressWindow::cancelPressed(UserPrompt &prompt) {
    const auto answer =
        prompt.message(UserPrompt::Kind::Confirmation, cancelQuestion(), UserPrompt::Yes | UserPrompt::No);
    prompt.setCancelRequested(answer == UserPrompt::Yes);
}

QString ProgressWindow::cancelQuestion() {
    return QStringLiteral("Are you sure you want to cancel processing?");
}

} // namespace corvane

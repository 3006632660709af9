// The one way the core reaches the person at the keyboard: message boxes of four kinds with fixed button
// sets, text input, the shared progress window with its cancel flag, the busy cursor, the beep and the
// choice of a database directory. The desktop program, the tests and the command line each implement it.
#pragma once

#include <QFlags>
#include <QString>

namespace corvane {

class UserPrompt {
public:
    enum class Kind { Warning, Error, Information, Confirmation };

    enum Button {
        NoButton = 0x0,
        Ok = 0x1,
        Cancel = 0x2,
        Yes = 0x4,
        No = 0x8,
        Retry = 0x10,
        Abort = 0x20,
        Ignore = 0x40,
    };
    Q_DECLARE_FLAGS(Buttons, Button)

    virtual ~UserPrompt() = default;

    // The most cautious of `buttons`: Cancel, then No, then Ok. What a prompt answers when it cannot ask.
    static Button cautiousButton(Buttons buttons) {
        if (buttons.testFlag(Cancel)) {
            return Cancel;
        }
        return buttons.testFlag(No) ? No : Ok;
    }

    // Shows `text` as a modal message of `kind` with `buttons` and returns the button pressed. A prompt that
    // cannot ask (a closed console, a script without answers) returns the most cautious button offered:
    // Cancel, then No, then Ok.
    virtual Button message(Kind kind, const QString &text, Buttons buttons) = 0;

    // Asks for one line of text; `value` holds the initial text and receives the answer. False on cancel.
    virtual bool inputText(const QString &caption, const QString &label, QString &value) = 0;

    // Shows the progress window (created on first call) with `message` and the gauge at `percent` (0..100).
    // When `cancellable`, the window offers Cancel, which asks the person and sets the cancel flag.
    virtual void showProgress(int percent, const QString &message, bool cancellable) = 0;
    // Frees the progress window; does nothing when none is shown.
    virtual void hideProgress() = 0;
    // The shared cancel flag read by running jobs after each item; cleared when the progress window appears.
    virtual bool cancelRequested() const = 0;
    virtual void setCancelRequested(bool cancel) = 0;

    // Lets pending window events run (no-op where there are none).
    virtual void processEvents() = 0;
    // The hourglass cursor on (true) or back to normal (false); calls nest.
    virtual void setBusy(bool busy) = 0;
    virtual void beep() = 0;

    // Asks for the directory in which to load or create a database (the "Create/Open Mailing List
    // Database" dialog). Returns false when the person cancels; otherwise `dir` holds the chosen text.
    virtual bool chooseDatabaseDirectory(QString &dir) = 0;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(UserPrompt::Buttons)

} // namespace corvane

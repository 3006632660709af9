// The shared progress window as jobs see it: position and maximum turned into a percentage, the
// "maximum 1 shows nothing" rule, and the question asked when the person presses Cancel.
#pragma once

#include "base/UserPrompt.h"

namespace corvane {

class ProgressWindow {
public:
    // show false: hides the window. show true with maximum 1: does nothing. Otherwise clamps the position
    // to the maximum and shows the message with the gauge at position * 100 / maximum; when cancellable,
    // lets pending events run so that Cancel can be pressed. Never raises.
    static void showprogress(UserPrompt &prompt, bool show, int position, int maximum, const QString &message,
                             bool cancellable);
    static void hideprogress(UserPrompt &prompt);

    // The person pressed Cancel: asks whether to stop and sets the shared cancel flag to the answer.
    static void cancelPressed(UserPrompt &prompt);

    static QString cancelQuestion();
};

} // namespace corvane

// The "Send Delay" dialog as the send job sees it: shown before a staggered message with the seconds left,
// it reports each second that passes and the buttons "Skip this Delay", "Skip All Delays" and "Cancel".
// The countdown itself is kept by the job (TdlgSendMail::WaitStagger); the window implements the ticks with
// a 1,000 ms timer, tests with a scripted tick source, the command line by sleeping.
#pragma once

namespace corvane {

class SendDelayPrompt {
public:
    enum class Event { Tick, Skip, SkipAll, Cancel };

    virtual ~SendDelayPrompt() = default;

    // Shows the dialog (modally for the person) with `remaining` seconds in "The next e-mail will be sent in".
    virtual void openDelay(int remaining) = 0;
    // Shows `remaining` as the seconds left.
    virtual void showRemaining(int remaining) = 0;
    // Waits for the next second to pass (Tick) or for a button (Skip, SkipAll, Cancel), keeping the screen
    // alive meanwhile. Cancel is the button only: the job asks the cancel confirmation itself.
    virtual Event waitEvent() = 0;
    // Closes the dialog; also called when the job ends with the dialog still open.
    virtual void closeDelay() = 0;
};

} // namespace corvane

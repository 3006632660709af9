// The "Sending Error" dialog as the send job sees it: the bold title "Send Error!", the error text, the
// buttons OK and Abort and the check box "Do not show further errors". The job keeps the hide-errors flag
// and asks the Abort confirmation itself (TdlgSendMail::ShowSendError).
#pragma once

#include <QString>

namespace corvane {

class SendErrorPrompt {
public:
    struct Answer {
        // The state of "Do not show further errors" when the dialog closed.
        bool hideFurther = false;
        // Abort was pressed (the job then asks "Are you sure you want to cancel processing?").
        bool abortPressed = false;
    };

    virtual ~SendErrorPrompt() = default;

    // Shows `text` modally and returns how the person closed the dialog.
    virtual Answer showSendError(const QString &text) = 0;
};

} // namespace corvane

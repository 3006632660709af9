// How the request scan asks whether to change the sender-address retrieval method after a method failed:
// the "Error retrieving Sender Address" dialog in the desktop program, a confirmation through the prompt
// interface elsewhere (PromptSenderMethodAsker), a fake in the tests.
#pragma once

#include <QString>

namespace corvane {

class SenderMethodAsker {
public:
    virtual ~SenderMethodAsker() = default;

    // Shows `text` with "Change Method" and "Do not Change" and the box "Always display error when cannot
    // retrieve a sender address", ticked when shown. True when the person chose "Change Method";
    // `alwaysShow` receives the box's state at closing either way.
    virtual bool ask(const QString &text, bool &alwaysShow) = 0;
};

} // namespace corvane

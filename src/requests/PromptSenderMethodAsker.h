// The sender-method question asked through the prompt interface (the command line, any front end without
// the dialog): a confirmation whose Yes stands for "Change Method"; the "always display" box stays ticked.
#pragma once

#include "base/UserPrompt.h"
#include "requests/SenderMethodAsker.h"

namespace corvane {

class PromptSenderMethodAsker : public SenderMethodAsker {
public:
    explicit PromptSenderMethodAsker(UserPrompt &prompt) : m_prompt(prompt) {}

    bool ask(const QString &text, bool &alwaysShow) override {
        alwaysShow = true;
        return m_prompt.message(UserPrompt::Kind::Confirmation, text, UserPrompt::Yes | UserPrompt::No) ==
               UserPrompt::Yes;
    }

private:
    UserPrompt &m_prompt;
};

} // namespace corvane

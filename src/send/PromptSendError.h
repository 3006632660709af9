// The "Sending Error" dialog of a front end without windows: shows the text as an error message through the
// UserPrompt (OK only) and never hides further errors or aborts.
#pragma once

#include "send/SendErrorPrompt.h"

namespace corvane {

class UserPrompt;

class PromptSendError : public SendErrorPrompt {
public:
    explicit PromptSendError(UserPrompt &prompt) : m_prompt(prompt) {}

    Answer showSendError(const QString &text) override;

private:
    UserPrompt &m_prompt;
};

} // namespace corvane

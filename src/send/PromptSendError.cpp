// The send-error dialog without a window.
#include "send/PromptSendError.h"

#include "base/UserPrompt.h"

namespace corvane {

SendErrorPrompt::Answer PromptSendError::showSendError(const QString &text) {
    m_prompt.message(UserPrompt::Kind::Error, text, UserPrompt::Ok);
    return {};
}

} // namespace corvane

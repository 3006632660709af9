// The recipients of a mail item (Recipients or Replyrecipients), reached 1-based as the program does.
#pragma once

#include "mailstore/MailRecipient.h"

#include <vector>

namespace corvane {

class MailRecipients {
public:
    MailRecipients() = default;
    explicit MailRecipients(std::vector<MailRecipient> recipients) : m_recipients(std::move(recipients)) {}

    int Count() const { return static_cast<int>(m_recipients.size()); }
    // Recipient `index` (1-based). Raises when there is no such recipient.
    const MailRecipient &Item(int index) const;

private:
    std::vector<MailRecipient> m_recipients;
};

} // namespace corvane

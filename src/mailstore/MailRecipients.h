// The recipients of a mail item (Recipients or Replyrecipients), reached 1-based as the program does. Those
// of a composed message can be added to.
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
    MailRecipient &Item(int index);

    // Adds a To recipient from `address` (a bare address or "Name <address>") and an optional display name,
    // unresolved, and returns it. Raises when `address` is empty or holds a line break.
    MailRecipient &Add(const QString &address, const QString &name = QString());

    // Resolves every recipient; true when all of them could be resolved.
    bool resolveAll();

private:
    std::vector<MailRecipient> m_recipients;
};

} // namespace corvane

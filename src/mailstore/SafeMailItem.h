// The safe-item wrapper around a mail item, stored or being composed: the same item, plus the sender-address
// property read by its property tag, as the advanced settings' retrieval methods ask for it.
#pragma once

#include "mailstore/MailDraft.h"
#include "mailstore/MailItem.h"

#include <memory>

namespace corvane {

class SafeMailItem {
public:
    // The tag of the sender's address property.
    static constexpr quint32 PR_SENDER_EMAIL_ADDRESS = 0x0C1F001E;

    // Wraps `item` (the wrapper's "item" property, written).
    void setItem(std::shared_ptr<MailItem> item) { m_item = std::move(item); }
    std::shared_ptr<MailItem> item() const { return m_item; }
    // Wraps a message being composed, whose members are then used through draft().
    void setItem(std::shared_ptr<MailDraft> draft) { m_draft = std::move(draft); }
    // The wrapped message being composed. Raises when there is none.
    MailDraft &draft() const;

    // The value of property `tag`: for PR_SENDER_EMAIL_ADDRESS the From address. Raises when no item is
    // wrapped or the tag is not one the store provides.
    QString fields(quint32 tag) const;

private:
    std::shared_ptr<MailItem> m_item;
    std::shared_ptr<MailDraft> m_draft;
};

} // namespace corvane

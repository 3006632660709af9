// The items of one folder, 1-based, oldest delivery first. The list is read when first used and again after
// any change made through the store (a flag, a delete, a move), so deleting item i leaves items 1 to i-1 where
// they were; messages delivered meanwhile by other programs appear at the end once the list is re-read.
#pragma once

#include "mailstore/ContactItem.h"
#include "mailstore/MailBackend.h"
#include "mailstore/MailItem.h"

#include <memory>
#include <optional>
#include <vector>

namespace corvane {

class MailItems {
public:
    // The items of folder `folderKey`; `contacts` selects the vCard files instead of the messages. Without a
    // key (a store's top folder) there are no items.
    MailItems(std::shared_ptr<MailBackend> store, std::optional<QString> folderKey, bool contacts);

    int Count() const;
    // Message `index` (1-based). Raises when there is no such item or the folder is a contacts folder.
    std::shared_ptr<MailItem> Item(int index) const;
    // Contact `index` (1-based). Raises when there is no such item or the folder holds messages.
    std::shared_ptr<ContactItem> Contact(int index) const;

private:
    const StoredEntry &entry(int index) const;
    void refresh() const;

    std::shared_ptr<MailBackend> m_store;
    std::optional<QString> m_folderKey;
    bool m_contacts;
    mutable std::vector<StoredEntry> m_entries;
    mutable quint64 m_generation = 0;
    mutable bool m_read = false;
};

} // namespace corvane

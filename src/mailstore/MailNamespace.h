// The namespace of the mail store: its top-level folders are the configured stores, "<Root>" first; it also
// re-opens a message from its entry ID and store ID.
#pragma once

#include "mailstore/MailBackend.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailItem.h"

#include <memory>
#include <vector>

namespace corvane {

class MailNamespace {
public:
    // `stores` in their order; the first is "<Root>".
    explicit MailNamespace(std::vector<std::shared_ptr<MailBackend>> stores);

    // The stores' top folders: "<Root>" for the first, the root directory's name for any other.
    MailFolders Folders() const;
    // Top-level folder `index` (1-based). Raises when there is none.
    MailFolder Folders(int index) const { return Folders().Item(index); }
    // The top-level folder named `name`, ignoring letter case. Raises when there is none.
    MailFolder Folders(const QString &name) const { return Folders().Item(name); }

    // Re-opens the message whose EntryID is `entryId` in the store whose StoreID is `storeId` (any store when
    // `storeId` is empty), wherever it now lies in that store. Raises when the store is not open here or the
    // message is no longer in it.
    std::shared_ptr<MailItem> GetItemFromID(const QString &entryId, const QString &storeId = QString()) const;

private:
    std::vector<std::shared_ptr<MailBackend>> m_stores;
};

} // namespace corvane

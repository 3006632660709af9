// One folder of the mail store: a store's top folder ("<Root>" for the first store), its "Inbox" (for a
// Maildir, the root's own messages) or any other folder of the store. Gives its sub-folders, its items and their
// counts.
#pragma once

#include "mailstore/MailBackend.h"
#include "mailstore/MailItems.h"

#include <QString>
#include <memory>
#include <optional>

namespace corvane {

class MailFolders;

class MailFolder {
public:
    // What DefaultItemType() answers, numbered as the program expects.
    enum ItemType { MailItemType = 0, ContactItemType = 2 };

    // The top folder of `store`, named `name`; it holds no items, only sub-folders.
    static MailFolder storeTop(std::shared_ptr<MailBackend> store, const QString &name);

    QString name() const { return m_name; }
    QString StoreID() const { return m_store->storeId(); }
    // The back-end's key of the folder, none for a store's top folder.
    std::optional<QString> key() const { return m_itemsKey; }

    // The sub-folders, read now.
    MailFolders Folders() const;
    // Sub-folder `index` (1-based). Raises when there is no such folder.
    MailFolder Folders(int index) const;
    // The sub-folder named `name`, ignoring letter case. Raises when there is none.
    MailFolder Folders(const QString &name) const;
    // Creates the sub-folder `name` with its Maildir directories and marker (inside a store's top folder: a
    // top-level Maildir++ folder). Raises when the name is not allowed or taken, or the directories cannot be
    // made (see MailBackend::createFolder).
    MailFolder addFolder(const QString &name) const;

    // ContactItemType when the folder holds vCard files and no messages, else MailItemType.
    int DefaultItemType() const;
    // The folder's items of its default type.
    MailItems Items() const;
    // How many messages are not marked seen.
    int UnReadItemCount() const;

private:
    MailFolder(std::shared_ptr<MailBackend> store, std::optional<QString> itemsKey, QString childPrefix, QString name);

    std::shared_ptr<MailBackend> m_store;
    std::optional<QString> m_itemsKey;
    QString m_childPrefix;
    QString m_name;
};

} // namespace corvane

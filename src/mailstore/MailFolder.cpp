// Sub-folders, items and counts of one mail-store folder.
#include "mailstore/MailFolder.h"

#include "mailstore/MailFolders.h"

namespace corvane {

namespace {

const QString kInbox = QStringLiteral("Inbox");

} // namespace

MailFolder::MailFolder(std::shared_ptr<MailBackend> store, std::optional<QString> itemsKey, QString childPrefix,
                       QString name)
    : m_store(std::move(store)), m_itemsKey(std::move(itemsKey)), m_childPrefix(std::move(childPrefix)),
      m_name(std::move(name)) {}

MailFolder MailFolder::storeTop(std::shared_ptr<MailBackend> store, const QString &name) {
    return MailFolder(std::move(store), std::nullopt, QString(), name);
}

MailFolders MailFolder::Folders() const {
    std::vector<MailFolder> children;
    if (!m_itemsKey)
        children.push_back(MailFolder(m_store, m_store->inboxKey(), m_store->inboxChildParent(), kInbox));
    for (const QString &child : m_store->childFolders(m_childPrefix)) {
        const QString key = m_store->childKey(m_childPrefix, child);
        children.push_back(MailFolder(m_store, key, key, child));
    }
    return MailFolders(std::move(children), *this);
}

MailFolder MailFolder::Folders(int index) const {
    return Folders().Item(index);
}

MailFolder MailFolder::Folders(const QString &name) const {
    return Folders().Item(name);
}

MailFolder MailFolder::addFolder(const QString &name) const {
    const QString key = m_store->createFolder(m_childPrefix, name);
    return MailFolder(m_store, key, key, name);
}

int MailFolder::DefaultItemType() const {
    return m_itemsKey && m_store->isContactsFolder(*m_itemsKey) ? ContactItemType : MailItemType;
}

MailItems MailFolder::Items() const {
    return MailItems(m_store, m_itemsKey, DefaultItemType() == ContactItemType);
}

int MailFolder::UnReadItemCount() const {
    return m_itemsKey ? m_store->unreadCount(*m_itemsKey) : 0;
}

} // namespace corvane

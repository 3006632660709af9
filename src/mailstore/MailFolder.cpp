// Sub-folders, items and counts of one mail-store folder.
#include "mailstore/MailFolder.h"

#include "mailstore/MailFolders.h"
#include "mailstore/MaildirFileName.h"

namespace corvane {

namespace {

const QString kInbox = QStringLiteral("Inbox");
// The key prefix of Inbox's own sub-folders (".INBOX.Name"), as Dovecot lays them out.
const QString kInboxChildren = QStringLiteral("INBOX");

} // namespace

MailFolder::MailFolder(std::shared_ptr<MaildirStore> store, std::optional<QString> itemsKey, QString childPrefix,
                       QString name)
    : m_store(std::move(store)), m_itemsKey(std::move(itemsKey)), m_childPrefix(std::move(childPrefix)),
      m_name(std::move(name)) {}

MailFolder MailFolder::storeTop(std::shared_ptr<MaildirStore> store, const QString &name) {
    return MailFolder(std::move(store), std::nullopt, QString(), name);
}

MailFolders MailFolder::Folders() const {
    std::vector<MailFolder> children;
    if (!m_itemsKey)
        children.push_back(MailFolder(m_store, QString(""), kInboxChildren, kInbox));
    for (const QString &child : m_store->childFolders(m_childPrefix)) {
        const QString key = m_childPrefix.isEmpty() ? child : m_childPrefix + QLatin1Char('.') + child;
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
    if (!m_itemsKey)
        return 0;
    int unread = 0;
    for (const MaildirEntry &entry : m_store->list(*m_itemsKey, false)) {
        if (entry.subdir == QLatin1String("new") || !MaildirFileName(entry.fileName).hasFlag(QLatin1Char('S')))
            ++unread;
    }
    return unread;
}

} // namespace corvane

// The namespace's top-level folders and message re-opening by identity.
#include "mailstore/MailNamespace.h"

#include "base/CorvaneError.h"

namespace corvane {

MailNamespace::MailNamespace(std::vector<std::shared_ptr<MailBackend>> stores) : m_stores(std::move(stores)) {}

MailFolders MailNamespace::Folders() const {
    std::vector<MailFolder> tops;
    for (size_t i = 0; i < m_stores.size(); ++i) {
        const QString name = i == 0 ? QStringLiteral("<Root>") : m_stores[i]->displayName();
        tops.push_back(MailFolder::storeTop(m_stores[i], name));
    }
    return MailFolders(std::move(tops), std::nullopt);
}

std::shared_ptr<MailItem> MailNamespace::GetItemFromID(const QString &entryId, const QString &storeId) const {
    bool storeFound = false;
    for (const auto &store : m_stores) {
        if (!storeId.isEmpty() && store->storeId() != storeId)
            continue;
        storeFound = true;
        for (const QString &key : store->allFolderKeys()) {
            for (const StoredEntry &entry : store->list(key, false)) {
                if (entry.unique == entryId)
                    return std::make_shared<MailItem>(store, key, entry);
            }
        }
    }
    if (!storeFound)
        throw CorvaneError(QStringLiteral("The mail store %1 is not open.").arg(storeId));
    throw CorvaneError(QStringLiteral("The message %1 is no longer in the mail store.").arg(entryId));
}

} // namespace corvane

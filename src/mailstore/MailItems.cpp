// 1-based access to the messages or contacts of one folder.
#include "mailstore/MailItems.h"

#include "base/CorvaneError.h"

namespace corvane {

MailItems::MailItems(std::shared_ptr<MailBackend> store, std::optional<QString> folderKey, bool contacts)
    : m_store(std::move(store)), m_folderKey(std::move(folderKey)), m_contacts(contacts) {}

void MailItems::refresh() const {
    if (!m_store || !m_folderKey)
        return;
    if (m_read && m_generation == m_store->generation())
        return;
    m_generation = m_store->generation();
    m_entries = m_store->list(*m_folderKey, m_contacts);
    m_read = true;
}

int MailItems::Count() const {
    refresh();
    return static_cast<int>(m_entries.size());
}

const StoredEntry &MailItems::entry(int index) const {
    refresh();
    if (index < 1 || index > static_cast<int>(m_entries.size()))
        throw CorvaneError(
            QStringLiteral("There is no item %1; the folder holds %2.").arg(index).arg(m_entries.size()));
    return m_entries[static_cast<size_t>(index - 1)];
}

std::shared_ptr<MailItem> MailItems::Item(int index) const {
    if (m_contacts)
        throw CorvaneError(QStringLiteral("The folder holds contacts, not messages."));
    return std::make_shared<MailItem>(m_store, *m_folderKey, entry(index));
}

std::shared_ptr<ContactItem> MailItems::Contact(int index) const {
    if (!m_contacts)
        throw CorvaneError(QStringLiteral("The folder holds messages, not contacts."));
    return std::make_shared<ContactItem>(m_store, *m_folderKey, entry(index));
}

} // namespace corvane

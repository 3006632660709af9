// Reading one vCard contact from its file.
#include "mailstore/ContactItem.h"

namespace corvane {

ContactItem::ContactItem(std::shared_ptr<MailBackend> store, QString folderKey, StoredEntry entry)
    : m_store(std::move(store)), m_folderKey(std::move(folderKey)), m_entry(std::move(entry)) {}

const VCard &ContactItem::card() const {
    if (m_card)
        return *m_card;
    m_card = VCard::parse(m_store->read(m_folderKey, m_entry, kMaxCardBytes));
    return *m_card;
}

QString ContactItem::Email1Address() const {
    const QStringList emails = card().emails();
    return emails.isEmpty() ? QString() : emails.first();
}

QString ContactItem::FullName() const {
    return card().fullName();
}

} // namespace corvane

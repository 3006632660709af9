// Reading one vCard contact from its file.
#include "mailstore/ContactItem.h"

#include "base/CorvaneError.h"

#include <QFile>

namespace corvane {

ContactItem::ContactItem(std::shared_ptr<MaildirStore> store, QString folderKey, MaildirEntry entry)
    : m_store(std::move(store)), m_folderKey(std::move(folderKey)), m_entry(std::move(entry)) {}

const VCard &ContactItem::card() const {
    if (m_card)
        return *m_card;
    QFile file(m_store->locate(m_folderKey, m_entry));
    if (!file.open(QIODevice::ReadOnly))
        throw CorvaneError(
            QStringLiteral("The contact %1 cannot be opened: %2").arg(m_entry.unique, file.errorString()));
    if (file.size() > kMaxCardBytes)
        throw CorvaneError(QStringLiteral("The contact %1 is too large to be read.").arg(m_entry.unique));
    m_card = VCard::parse(file.readAll());
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

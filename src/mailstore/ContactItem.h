// One contact of a contacts folder: a vCard file read on first use. Reading never changes the file.
#pragma once

#include "mailstore/MailBackend.h"
#include "mailstore/VCard.h"

#include <memory>
#include <optional>

namespace corvane {

class ContactItem {
public:
    // vCard files larger than this are refused rather than read.
    static constexpr qint64 kMaxCardBytes = 4LL * 1024 * 1024;

    ContactItem(std::shared_ptr<MailBackend> store, QString folderKey, StoredEntry entry);

    // The first EMAIL of the card, empty when it has none. Raises when the file vanished, is too large or is
    // not a vCard.
    QString Email1Address() const;
    // The card's FN (or its N parts when FN is missing). Raises as Email1Address().
    QString FullName() const;
    // The file name of the card, its identity in the store.
    QString EntryID() const { return m_entry.unique; }
    QString StoreID() const { return m_store->storeId(); }

private:
    const VCard &card() const;

    std::shared_ptr<MailBackend> m_store;
    QString m_folderKey;
    mutable StoredEntry m_entry;
    mutable std::optional<VCard> m_card;
};

} // namespace corvane

// Adding and removing entries by request, and the category check of typed categories. Bounce counting and
// the address change are in EntryRulesChanges.cpp.
#include "requests/EntryRules.h"

#include "base/LineText.h"
#include "requests/AddressRoutines.h"

namespace corvane {

namespace {
const QString ItemField = QStringLiteral("Item");
const QString CategoryField = QStringLiteral("Category");
const QString ItemAndCategory = QStringLiteral("Item;Category");
} // namespace

EntryRules::EntryRules(SqliteTable &tblML, Settings &settings, ActivityLog &log, ErrorsList &errors, UserPrompt &prompt,
                       Acknowledger &acknowledger)
    : m_table(tblML), m_settings(settings), m_log(log), m_errors(errors), m_prompt(prompt),
      m_acknowledger(acknowledger) {}

bool EntryRules::LocateEmailAddress(const QString &address) {
    return m_table.locate(ItemField, address, true);
}

QString EntryRules::GetGroupOfUser(const QString &address) {
    try {
        if (LocateEmailAddress(address)) {
            return m_table.text(CategoryField);
        }
    } catch (const CorvaneError &) {
        // A failed search answers "no category", as a missing entry does.
    }
    return QString();
}

bool EntryRules::CheckCategory(const QString &category) {
    if (category.contains(QLatin1Char(','))) {
        m_prompt.message(UserPrompt::Kind::Information,
                         QStringLiteral("The category you have entered contains a comma.  Commas are not permitted "
                                        "in category names."),
                         UserPrompt::Ok);
        return false;
    }
    if (category.contains(QLatin1Char(' '))) {
        return m_prompt.message(UserPrompt::Kind::Confirmation,
                                QStringLiteral("The category you have entered contains a space.  Are you sure you "
                                               "want to continue?"),
                                UserPrompt::Yes | UserPrompt::No) == UserPrompt::Yes;
    }
    return true;
}

bool EntryRules::locateEntry(const QString &address, const QString &category) {
    if (multipleCategories() && !category.isEmpty()) {
        return m_table.locate(ItemAndCategory, QVariantList{address, category}, true);
    }
    return LocateEmailAddress(address);
}

bool EntryRules::isBlocked(const QString &address) const {
    return m_settings.BlockedAddresses.containsIgnoringCase(address);
}

bool EntryRules::categoryAllowed(const QString &category) const {
    return category.compare(m_settings.defaultcategory, Qt::CaseInsensitive) == 0 ||
           m_settings.AllowedCategories.contains(category, Qt::CaseInsensitive);
}

QString EntryRules::sentence(const QString &start, const QString &category, const QString &ourEnding) const {
    if (multipleCategories() && !category.isEmpty()) {
        return start + QStringLiteral("the Mailing list, ") + category + QLatin1Char('.');
    }
    return start + QStringLiteral("our Mailing list") + ourEnding;
}

void EntryRules::acknowledge(const QString &address, const QString &text) {
    try {
        m_acknowledger.SendAcknowledgement(address, text);
    } catch (...) {
        // A failed acknowledgement never changes the outcome of the request.
    }
}

void EntryRules::checkStorableAddress(const QString &address) {
    const TableSchema::Field &item = TableSchema::listTable().fields.at(TableSchema::listTable().fieldIndex(ItemField));
    if (address.size() > item.width) {
        throw CorvaneError(QStringLiteral("The e-mail address %1 is longer than the %2 characters an entry can hold")
                               .arg(address)
                               .arg(item.width));
    }
}

void EntryRules::insertentry(bool add, const QString &address, const QString &category, const QString &fullName,
                             const QString &firstName, const QString &comments, int bounces, bool skipChecks,
                             bool acknowledge) {
    if (address.isEmpty() || !address.contains(QLatin1Char('@'))) {
        return;
    }
    QString item = address;
    QString name = fullName;
    AddressRoutines::SMTPAddressToEmailName(item, name);
    QString salutation = firstName;
    if (m_settings.GuessSalutation && salutation.isEmpty()) {
        salutation = AddressRoutines::SalutationFromName(name);
    }

    QString list = category;
    QString result;
    // Nothing with a control character is stored or put on the blocked list; what a removal does not store
    // (names, comments) is only made visible in the log line.
    const auto refuse = [&] {
        result = refusedText();
        m_errors.AddToErrorsList(add ? ErrorsList::Add : ErrorsList::Remove, LineText::visible(item),
                                 LineText::visible(list));
    };
    if (LineText::hasControlCharacters(item) || LineText::hasControlCharacters(list) ||
        (add && (LineText::hasControlCharacters(name) || LineText::hasControlCharacters(salutation) ||
                 LineText::hasControlCharacters(comments)))) {
        refuse();
    } else {
        if (!add && (list.toUpper() == QLatin1String("ALL") || list.toUpper() == QLatin1String("ME"))) {
            list.clear();
        }
        if (list.isEmpty()) {
            if (add) {
                list = m_settings.defaultcategory;
            }
        } else if (m_settings.RestrictCategories && !m_settings.AllowedCategories.isEmpty() && !categoryAllowed(list)) {
            if (m_settings.WrongCategoryIsError.checked) {
                result = QStringLiteral("Not Added: Invalid Category Address!");
                m_errors.AddToErrorsList(add ? ErrorsList::Add : ErrorsList::Remove, item, list);
            } else {
                list = m_settings.AlternativeCategory;
            }
        }
        // The default or replacement category comes from the settings, which may hold one too.
        if (result.isEmpty() && add && LineText::hasControlCharacters(list)) {
            refuse();
        }
    }
    if (result.isEmpty()) {
        result = add ? addEntry(item, list, name, salutation, comments, bounces, skipChecks, acknowledge)
                     : removeEntries(item, list, acknowledge);
    }
    m_log.AddToLog((add ? QStringLiteral("ADD") : QStringLiteral("REMOVE")) + QLatin1Char(' ') +
                   LineText::visible(item) + QLatin1Char(' ') + LineText::visible(list) + QStringLiteral(" [") +
                   LineText::visible(comments) + QStringLiteral("] -> ") + result);
}

QString EntryRules::addEntry(const QString &address, const QString &category, const QString &fullName,
                             const QString &firstName, const QString &comments, int bounces, bool skipChecks,
                             bool acknowledge) {
    const QString start = QStringLiteral("The e-mail address, ") + address;
    try {
        if (locateEntry(address, category)) {
            if (m_settings.UpdateCommentsWhenEntryExists) {
                try {
                    m_table.setField(QStringLiteral("Comments"), comments);
                    m_table.post();
                } catch (const CorvaneError &) {
                    m_table.cancel();
                }
            }
            if (acknowledge) {
                this->acknowledge(address,
                                  sentence(start + QStringLiteral(", is already contained in "), category, QString()));
            }
            return QStringLiteral("Entry already exists!");
        }
        if (!skipChecks) {
            const QStringList &exceptions = m_settings.AddressExceptions.items();
            const AddressRoutines::Validity validity = AddressRoutines::validemailaddress(address, &exceptions);
            if (!validity.valid) {
                m_errors.AddToErrorsList(ErrorsList::Add, address, category);
                return QStringLiteral("Not Added: Invalid E-mail Address (Error: ") +
                       AddressRoutines::GetEmailErrorCode(validity.code) + QStringLiteral(")!");
            }
            if (isBlocked(address.toLower())) {
                return QStringLiteral("Not Added: E-mail Address is blocked by rule!");
            }
        }
        checkStorableAddress(address);
        m_table.appendRecord(
            {address, category, bounces, comments, fullName, firstName, !m_settings.DefaultNoUserSend});
    } catch (const CorvaneError &error) {
        m_table.cancel();
        m_errors.AddToErrorsList(ErrorsList::Add, address, category);
        return QStringLiteral("Error inserting into database: ") + error.message();
    }
    if (acknowledge) {
        this->acknowledge(
            address, sentence(start + QStringLiteral(", was successfully added to "), category, QStringLiteral(".")));
    }
    return QStringLiteral("Entered Successfully");
}

QString EntryRules::removeEntries(const QString &address, const QString &category, bool acknowledge) {
    if (m_settings.AddUnsubscribers) {
        const QString lower = address.toLower();
        if (!isBlocked(lower)) {
            m_settings.BlockedAddresses.add(lower);
        }
    }
    constexpr int MaxRemovals = 1000;
    QString result;
    int deleted = 0;
    for (int attempt = 0; attempt < MaxRemovals; ++attempt) {
        try {
            if (!locateEntry(address, category)) {
                break;
            }
            m_table.deleteRecord();
        } catch (const CorvaneError &) {
            m_errors.AddToErrorsList(ErrorsList::Remove, address, category);
            return QStringLiteral("Entry could not be deleted!");
        }
        ++deleted;
        result = QStringLiteral("Entry successfully deleted!");
        if (acknowledge) {
            this->acknowledge(address, sentence(QStringLiteral("The e-mail address, ") + address +
                                                    QStringLiteral(", was successfully removed from "),
                                                category, QStringLiteral(".")));
        }
    }
    if (deleted == 0) {
        result = QStringLiteral("E-mail address not found!");
        if (acknowledge) {
            this->acknowledge(address, sentence(QStringLiteral("There is no record of the e-mail address, ") + address +
                                                    QStringLiteral(", in "),
                                                category, QStringLiteral("!")));
        }
    }
    return result;
}

} // namespace corvane

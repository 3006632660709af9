// Changes to existing entries: counting a bounce (and removing the entry at the bounce limit), and replacing
// an address in every entry that holds it.
#include "base/BusyCursor.h"
#include "base/LineText.h"
#include "requests/AddressRoutines.h"
#include "requests/EntryRules.h"

#include <QList>

namespace corvane {

namespace {
constexpr int MaxChanges = 1000;
const QString ItemField = QStringLiteral("Item");
const QString BouncesField = QStringLiteral("Bounces");

// Whether the view is ordered by address first, so that every entry of one address follows the first.
bool orderedByItem(const SqliteTable &table) {
    return table.indexFieldNames().section(QLatin1Char(';'), 0, 0).trimmed().compare(ItemField, Qt::CaseInsensitive) ==
           0;
}
} // namespace

void EntryRules::processbounce(const QString &address) {
    if (LineText::hasControlCharacters(address)) {
        const QString shown = LineText::visible(address);
        m_errors.AddToErrorsList(ErrorsList::Remove, shown, QString());
        m_log.AddToLog(QStringLiteral("Update Undeliverable ") + shown + QStringLiteral(" -> ") + refusedText());
        return;
    }
    QString result;
    try {
        if (!LocateEmailAddress(address)) {
            result = QStringLiteral("E-mail address not found!");
        } else {
            const qint64 count = static_cast<qint64>(m_table.integer(BouncesField)) + 1;
            const Settings::CheckedSpin &limit = m_settings.BounceMax;
            if (limit.checked && limit.spin != 0 && count >= limit.spin) {
                try {
                    m_table.deleteRecord();
                    result = QStringLiteral("Entry successfully deleted!");
                } catch (const CorvaneError &) {
                    result = QStringLiteral("Entry could not be deleted!");
                    m_errors.AddToErrorsList(ErrorsList::Remove, address, QString());
                }
            } else {
                m_table.setField(BouncesField, count);
                m_table.post();
                result = QStringLiteral("Bounce count incremented!");
            }
        }
    } catch (const CorvaneError &) {
        m_table.cancel();
        result = QStringLiteral("Bounce count could not be incremented!");
    }
    m_log.AddToLog(QStringLiteral("Update Undeliverable ") + address + QStringLiteral(" -> ") + result);
}

void EntryRules::tell(const QString &text, bool interactive) {
    if (interactive) {
        m_prompt.message(UserPrompt::Kind::Information, text, UserPrompt::Ok);
    }
}

// Changes every entry of `oldAddress` once when the new address differs only in letter case, so that a
// changed entry, which still matches the old address, is not found and changed again. The entries are
// gathered first (walking on from the first one in view order; in address order the walk ends after the
// last one) and changed afterwards, so no walk is open while entries change. Logs each change and counts it
// in `changed`. Raises CorvaneError on a table error; the entries changed before it stay changed.
void EntryRules::changeEachEntryOnce(const QString &oldAddress, const QString &newAddress, int &changed) {
    if (!LocateEmailAddress(oldAddress)) {
        return;
    }
    QList<qint64> rows{m_table.currentRow().rowid};
    const bool contiguous = orderedByItem(m_table);
    for (m_table.next(); !m_table.eof() && rows.size() < MaxChanges; m_table.next()) {
        if (m_table.text(ItemField).compare(oldAddress, Qt::CaseInsensitive) == 0) {
            rows.append(m_table.currentRow().rowid);
        } else if (contiguous) {
            break;
        }
    }
    m_table.releaseCursor();
    for (const qint64 rowid : rows) {
        if (m_table.gotoRowid(rowid)) {
            m_table.setField(ItemField, newAddress);
            m_table.post();
            ++changed;
            m_log.AddToLog(QStringLiteral("Changed Email Address ") + oldAddress + QStringLiteral(" to ") + newAddress);
        }
    }
}

bool EntryRules::ChangeEmailAddress(const QString &oldAddress, const QString &newAddress, bool useExceptionList,
                                    bool interactive) {
    if (LineText::hasControlCharacters(oldAddress) || LineText::hasControlCharacters(newAddress)) {
        const QString oldShown = LineText::visible(oldAddress);
        const QString newShown = LineText::visible(newAddress);
        tell(refusedText(), interactive);
        m_log.AddToLog(QStringLiteral("Changed Email Address ") + oldShown + QStringLiteral(" to ") + newShown +
                       QStringLiteral(" -> ") + refusedText());
        m_errors.AddToErrorsList(ErrorsList::Modify, oldShown, newShown);
        return false;
    }
    const QString changedLine =
        QStringLiteral("Changed Email Address ") + oldAddress + QStringLiteral(" to ") + newAddress;
    const QStringList &exceptions = m_settings.AddressExceptions.items();
    if (!AddressRoutines::validemailaddress(newAddress, useExceptionList ? &exceptions : nullptr).valid) {
        tell(QStringLiteral("The e-mail address, ") + newAddress + QStringLiteral(", does not appear to be valid."),
             interactive);
        m_log.AddToLog(changedLine + QStringLiteral(" -> Address not valid: ") + newAddress + QLatin1Char('!'));
        m_errors.AddToErrorsList(ErrorsList::Modify, oldAddress, newAddress);
        return false;
    }

    int changed = 0;
    QString failure;
    bool failed = false;
    {
        const BusyCursor busy(m_prompt);
        try {
            checkStorableAddress(newAddress);
            if (newAddress.compare(oldAddress, Qt::CaseInsensitive) == 0) {
                changeEachEntryOnce(oldAddress, newAddress, changed);
            } else {
                while (changed < MaxChanges && LocateEmailAddress(oldAddress)) {
                    m_table.setField(ItemField, newAddress);
                    m_table.post();
                    ++changed;
                    m_log.AddToLog(changedLine);
                }
            }
        } catch (const CorvaneError &error) {
            m_table.cancel();
            failed = true;
            failure = error.message();
        }
    }
    if (failed) {
        tell(QStringLiteral("An error was encountered:\r\n\r\n") + failure, interactive);
        m_log.AddToLog(QStringLiteral("Change Email Address ") + oldAddress + QStringLiteral(" -> ") + newAddress +
                       QStringLiteral(", ERROR: ") + failure);
        m_errors.AddToErrorsList(ErrorsList::Modify, oldAddress, newAddress);
    } else if (changed == 0) {
        tell(QStringLiteral("The address, ") + oldAddress + QStringLiteral(", could not be found!"), interactive);
        m_log.AddToLog(changedLine + QStringLiteral(" -> Address not found!"));
        m_errors.AddToErrorsList(ErrorsList::Modify, oldAddress, newAddress);
    }
    return changed > 0;
}

bool EntryRules::PromptToModifyAddress(AddressChangeAsker &asker, const QString &oldAddress, const QString &newAddress,
                                       bool showIgnoreBox) {
    QString oldText = oldAddress;
    QString newText = newAddress;
    bool ignoreAllRules = false;
    if (!asker.ask(oldText, newText, showIgnoreBox, ignoreAllRules)) {
        return false;
    }
    ChangeEmailAddress(oldText, newText, !(showIgnoreBox && ignoreAllRules), true);
    return true;
}

} // namespace corvane

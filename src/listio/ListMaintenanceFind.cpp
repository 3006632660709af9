// The search behind the "Find Record" dialog: up to three field texts matched against the entries the list
// view shows.
#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/LetterCase.h"
#include "db/SqliteTable.h"
#include "listio/ListMaintenance.h"

namespace corvane {

QStringList ListMaintenance::findChoices(int row) {
    if (row == 0) {
        return {QStringLiteral("E-mail"), QStringLiteral("Category"), QStringLiteral("Full Name"),
                QStringLiteral("First Name"), QStringLiteral("Comments")};
    }
    return {QStringLiteral("E-mail"), QStringLiteral("Category"), QStringLiteral("Name"), QStringLiteral("Salutation"),
            QStringLiteral("Comments")};
}

QString ListMaintenance::findField(const QString &choice) {
    if (choice == QLatin1String("E-mail")) {
        return QStringLiteral("Item");
    }
    if (choice == QLatin1String("Full Name") || choice == QLatin1String("Name")) {
        return QStringLiteral("Name");
    }
    if (choice == QLatin1String("First Name") || choice == QLatin1String("Salutation")) {
        return QStringLiteral("Salutation");
    }
    if (choice == QLatin1String("Category") || choice == QLatin1String("Comments")) {
        return choice;
    }
    return QString();
}

std::optional<int> ListMaintenance::Find(const QList<FindTerm> &terms, bool caseInsensitive, bool partial) {
    bool anything = false;
    for (const FindTerm &term : terms) {
        anything = anything || (term.ticked && !term.text.isEmpty());
    }
    if (!anything) {
        m_prompt.message(UserPrompt::Kind::Information, QStringLiteral("You have not entered anything to search for!"),
                         UserPrompt::Ok);
        return std::nullopt;
    }
    SqliteTable &tbl = table();
    const Qt::CaseSensitivity sensitivity = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    qint64 start = 0;
    try {
        BusyCursor busy(m_prompt);
        start = tbl.currentRow().rowid;
        QList<QPair<int, QString>> wanted;
        for (const FindTerm &term : terms) {
            if (term.ticked) {
                const QString field = findField(term.choice);
                if (field.isEmpty()) {
                    throw CorvaneError(QStringLiteral("Unknown search field ") + term.choice);
                }
                wanted.append({tbl.fieldIndex(field), term.text});
            }
        }
        const auto matches = [&](const TableRow &row) {
            for (const auto &[field, text] : std::as_const(wanted)) {
                const QString value = row.values.at(field).toString();
                if (!(partial ? value.startsWith(text, sensitivity) : value.compare(text, sensitivity) == 0)) {
                    return false;
                }
            }
            return true;
        };
        // A term on an indexed field (address or category, whose index ignores letter case) narrows the
        // search to a range of that index: the entries whose field begins with, or equals, the text in
        // any letter case. Every entry of the range is still checked against all terms.
        std::optional<bool> found;
        for (const auto &[field, text] : std::as_const(wanted)) {
            const QString name = tbl.schema().fields.at(field).name;
            if (!text.isEmpty() && (name == QLatin1String("Item") || name == QLatin1String("Category"))) {
                const QString high = partial ? LetterCase::prefixEnd(text) : text + QChar(u'\0');
                found = tbl.findInView(name, text, high, matches);
                break;
            }
        }
        if (!found.has_value()) {
            found = false;
            for (tbl.first(); !tbl.eof(); tbl.next()) {
                if (matches(tbl.currentRow())) {
                    found = true;
                    break;
                }
            }
        }
        if (*found) {
            return tbl.integer(QStringLiteral("Index"));
        }
        if (start != 0) {
            tbl.gotoRowid(start);
        }
    } catch (const CorvaneError &) {
        try {
            if (start != 0) {
                tbl.gotoRowid(start);
            }
        } catch (const CorvaneError &) {
            // The view keeps whichever entry is current.
        }
        m_prompt.message(UserPrompt::Kind::Warning, QStringLiteral("An error was encountred processing your search!"),
                         UserPrompt::Ok);
        return std::nullopt;
    }
    m_prompt.message(UserPrompt::Kind::Information,
                     QStringLiteral("A record could not be found for the entries you specified"), UserPrompt::Ok);
    return std::nullopt;
}

} // namespace corvane

// Category prefix filters built from bound ranges. The column carries Corvane's collation, which SQLite's
// LIKE knows nothing of: a prefix test written as a range of that collation both folds every letter as the
// rest of Corvane does and is served from the column's index.
#include "db/TableFilter.h"

#include "base/LetterCase.h"
#include "db/SqliteDatabase.h"
#include "db/TableSchema.h"

namespace corvane {

QStringList TableFilter::splitList(const QString &text) {
    QStringList items;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QString item = part.trimmed();
        if (!item.isEmpty()) {
            items.append(item);
        }
    }
    return items;
}

TableFilter TableFilter::prefixes(const QString &field, Mode mode, const QStringList &prefixes) {
    TableFilter filter;
    if (prefixes.isEmpty()) {
        return filter;
    }
    const QString column = TableSchema::quote(field);
    const QString collated = QStringLiteral(" COLLATE ") + QLatin1String(SqliteDatabase::CaseCollation);
    QStringList terms;
    for (const QString &prefix : prefixes) {
        const QString end = LetterCase::prefixEnd(prefix);
        filter.m_values.append(prefix);
        QString range = column + QStringLiteral(" >= ?") + collated;
        if (!end.isNull()) {
            range += QStringLiteral(" AND ") + column + QStringLiteral(" < ?") + collated;
            filter.m_values.append(end);
        }
        terms.append(mode == Mode::Include ? QLatin1Char('(') + range + QLatin1Char(')')
                                           : QStringLiteral("NOT (") + range + QLatin1Char(')'));
    }
    const QString joiner = mode == Mode::Include ? QStringLiteral(" OR ") : QStringLiteral(" AND ");
    filter.m_sql = QLatin1Char('(') + terms.join(joiner) + QLatin1Char(')');
    return filter;
}

TableFilter TableFilter::categories(Mode mode, const QString &text) {
    return prefixes(QStringLiteral("Category"), mode, splitList(text));
}

} // namespace corvane

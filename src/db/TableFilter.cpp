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
    const QString collated = QStringLiteral(" COLLATE ") + QLatin1String(SqliteDatabase::CaseCollation);
    const QString joiner = mode == Mode::Include ? QStringLiteral(" OR ") : QStringLiteral(" AND ");
    const auto condition = [&](const QString &column) {
        QStringList terms;
        for (const QString &prefix : prefixes) {
            QString range = column + QStringLiteral(" >= ?") + collated;
            if (!LetterCase::prefixEnd(prefix).isNull()) {
                range += QStringLiteral(" AND ") + column + QStringLiteral(" < ?") + collated;
            }
            terms.append(mode == Mode::Include ? QLatin1Char('(') + range + QLatin1Char(')')
                                               : QStringLiteral("NOT (") + range + QLatin1Char(')'));
        }
        return QLatin1Char('(') + terms.join(joiner) + QLatin1Char(')');
    };
    for (const QString &prefix : prefixes) {
        filter.m_values.append(prefix);
        const QString end = LetterCase::prefixEnd(prefix);
        if (!end.isNull()) {
            filter.m_values.append(end);
        }
    }
    filter.m_field = field;
    filter.m_sql = condition(TableSchema::quote(field));
    filter.m_scanSql = condition(QLatin1Char('+') + TableSchema::quote(field));
    return filter;
}

TableFilter TableFilter::equals(const QString &field, const QVariant &value) {
    TableFilter filter;
    const QString test = QStringLiteral(" IS ? COLLATE ") + QLatin1String(SqliteDatabase::CaseCollation);
    filter.m_field = field;
    filter.m_sql = TableSchema::quote(field) + test;
    filter.m_scanSql = QLatin1Char('+') + TableSchema::quote(field) + test;
    filter.m_values.append(value);
    return filter;
}

TableFilter TableFilter::both(const TableFilter &first, const TableFilter &second) {
    if (first.isEmpty() || second.isEmpty()) {
        return first.isEmpty() ? second : first;
    }
    TableFilter filter;
    const auto joined = [](const QString &a, const QString &b) {
        return QLatin1Char('(') + a + QStringLiteral(") AND (") + b + QLatin1Char(')');
    };
    filter.m_field = first.m_field == second.m_field ? first.m_field : QString();
    filter.m_sql = joined(first.m_sql, second.m_sql);
    filter.m_scanSql = joined(first.m_scanSql, second.m_scanSql);
    filter.m_values = first.m_values + second.m_values;
    return filter;
}

TableFilter TableFilter::categories(Mode mode, const QString &text) {
    return prefixes(QStringLiteral("Category"), mode, splitList(text));
}

} // namespace corvane

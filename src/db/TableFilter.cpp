// Category prefix filters built from bound LIKE patterns. The column carries the NOCASE collation, so that
// SQLite (case_sensitive_like off, its default) serves a pattern without a leading wildcard from the
// column's NOCASE index.
#include "db/TableFilter.h"

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

QString TableFilter::escapeLike(const QString &text) {
    QString escaped;
    escaped.reserve(text.size() + 4);
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('%') || c == QLatin1Char('_')) {
            escaped += QLatin1Char('\\');
        }
        escaped += c;
    }
    return escaped;
}

TableFilter TableFilter::prefixes(const QString &field, Mode mode, const QStringList &prefixes) {
    TableFilter filter;
    if (prefixes.isEmpty()) {
        return filter;
    }
    const QString column = TableSchema::quote(field);
    const QString test = mode == Mode::Include ? QStringLiteral("%1 LIKE ? ESCAPE '\\'").arg(column)
                                               : QStringLiteral("%1 NOT LIKE ? ESCAPE '\\'").arg(column);
    QStringList terms;
    for (const QString &prefix : prefixes) {
        terms.append(test);
        filter.m_values.append(escapeLike(prefix) + QLatin1Char('%'));
    }
    const QString joiner = mode == Mode::Include ? QStringLiteral(" OR ") : QStringLiteral(" AND ");
    filter.m_sql = QLatin1Char('(') + terms.join(joiner) + QLatin1Char(')');
    return filter;
}

TableFilter TableFilter::categories(Mode mode, const QString &text) {
    return prefixes(QStringLiteral("Category"), mode, splitList(text));
}

} // namespace corvane

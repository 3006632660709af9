// SQL for ordered, filtered walks and keyset seeks over one table.
#include "db/TableQuery.h"

#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"

namespace corvane {

namespace {
// The filter's "?" placeholders numbered ?1, ?2, ... so that later parameters can be numbered after them.
QString numbered(const QString &sql, int &count) {
    QString result;
    result.reserve(sql.size() + 8);
    for (const QChar c : sql) {
        if (c == QLatin1Char('?')) {
            result += QLatin1Char('?') + QString::number(++count);
        } else {
            result += c;
        }
    }
    return result;
}
} // namespace

TableQuery::TableQuery(const TableSchema &schema, const QList<int> &orderFields, const TableFilter &filter,
                       bool filterByScan)
    : m_schema(schema), m_order(orderFields), m_filter(filter) {
    m_filterSql = numbered(filter.sql(), m_filterCount);
    int scanCount = 0;
    m_scanSql = filterByScan ? numbered(filter.scanSql(), scanCount) : m_filterSql;
}

QString TableQuery::columns() const {
    return QStringLiteral("SELECT rowid, %1 FROM %2")
        .arg(m_schema.columnList(), TableSchema::quote(m_schema.tableName));
}

QString TableQuery::where(const QString &extra, bool ordered) const {
    QStringList terms;
    const QString &filter = ordered ? m_scanSql : m_filterSql;
    if (!filter.isEmpty()) {
        terms.append(filter);
    }
    if (!extra.isEmpty()) {
        terms.append(extra);
    }
    return terms.isEmpty() ? QString() : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

QString TableQuery::orderBy(bool forward) const {
    const QString direction = forward ? QString() : QStringLiteral(" DESC");
    QStringList keys;
    for (const int field : m_order) {
        keys.append(TableSchema::quote(m_schema.fields.at(field).name) + direction);
    }
    keys.append(QStringLiteral("rowid") + direction);
    return QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));
}

// (k1, ..., kn, rowid) after (or before) the bound key, written so that SQLite takes a range of the index
// on k1: k1 >= ?a AND (k1 > ?a OR (k1 = ?a AND (k2 > ?b OR ... rowid > ?r))).
QString TableQuery::keyCondition(bool forward) const {
    const QString beyond = forward ? QStringLiteral(" > ") : QStringLiteral(" < ");
    QString condition = QStringLiteral("rowid") + beyond + QLatin1Char('?') + QString::number(rowidParam());
    for (int i = static_cast<int>(m_order.size()) - 1; i >= 0; --i) {
        const QString column = TableSchema::quote(m_schema.fields.at(m_order.at(i)).name);
        const QString param = QLatin1Char('?') + QString::number(keyParam(i));
        condition = QStringLiteral("(%1%2%3 OR (%1 = %3 AND %4))").arg(column, beyond, param, condition);
    }
    if (m_order.isEmpty()) {
        return condition;
    }
    const QString first = TableSchema::quote(m_schema.fields.at(m_order.first()).name);
    const QString from = forward ? QStringLiteral(" >= ") : QStringLiteral(" <= ");
    return QStringLiteral("%1%2?%3 AND %4").arg(first, from, QString::number(keyParam(0)), condition);
}

QString TableQuery::walk() const {
    return columns() + where(QString()) + orderBy(true);
}

QString TableQuery::seek(bool forward) const {
    return columns() + where(keyCondition(forward)) + orderBy(forward);
}

QString TableQuery::last() const {
    return columns() + where(QString()) + orderBy(false) + QStringLiteral(" LIMIT 1");
}

QString TableQuery::count() const {
    return QStringLiteral("SELECT count(*) FROM ") + TableSchema::quote(m_schema.tableName) + where(QString(), false);
}

QString TableQuery::locate(const QList<int> &fields, bool caseInsensitive) const {
    QStringList terms;
    for (int i = 0; i < fields.size(); ++i) {
        const TableSchema::Field &field = m_schema.fields.at(fields.at(i));
        const bool text = field.kind == TableSchema::Kind::Text;
        // Only the first field may use an index; the others are tested on the rows it finds.
        const QString column = (i == 0 ? QString() : QStringLiteral("+")) + TableSchema::quote(field.name);
        const QString param = QLatin1Char('?') + QString::number(m_filterCount + 1 + i);
        if (!text) {
            terms.append(column + QStringLiteral(" = ") + param);
        } else if (caseInsensitive) {
            terms.append(column + QStringLiteral(" = ") + param + QStringLiteral(" COLLATE ") +
                         QLatin1String(SqliteDatabase::CaseCollation));
        } else if (field.noCase && i == 0) {
            terms.append(QStringLiteral("%1 = %2 AND %1 = %2 COLLATE BINARY").arg(column, param));
        } else {
            terms.append(column + QStringLiteral(" = ") + param + QStringLiteral(" COLLATE BINARY"));
        }
    }
    return columns() + where(terms.join(QStringLiteral(" AND "))) + orderBy(true) + QStringLiteral(" LIMIT 1");
}

QString TableQuery::page() const {
    return columns() + where(QString()) + orderBy(true) +
           QStringLiteral(" LIMIT ?%1 OFFSET ?%2").arg(limitParam()).arg(limitParam() + 1);
}

QString TableQuery::pageAfter() const {
    return columns() + where(keyCondition(true)) + orderBy(true) + QStringLiteral(" LIMIT ?%1").arg(limitParam());
}

QString TableQuery::pageBefore() const {
    return columns() + where(keyCondition(false)) + orderBy(false) + QStringLiteral(" LIMIT ?%1").arg(limitParam());
}

QString TableQuery::pageFromEnd() const {
    return columns() + where(QString()) + orderBy(false) +
           QStringLiteral(" LIMIT ?%1 OFFSET ?%2").arg(limitParam()).arg(limitParam() + 1);
}

QString TableQuery::byRowid() const {
    return columns() + where(QStringLiteral("rowid = ?") + QString::number(m_filterCount + 1), false);
}

QString TableQuery::within(int field, bool bounded) const {
    const QString column = TableSchema::quote(m_schema.fields.at(field).name);
    QString range = QStringLiteral("%1 >= ?%2").arg(column).arg(m_filterCount + 1);
    if (bounded) {
        range += QStringLiteral(" AND %1 < ?%2").arg(column).arg(m_filterCount + 2);
    }
    return columns() + where(range) + orderBy(true);
}

QString TableQuery::rowids(bool ordered, bool sortMatches) const {
    const QString rows = QStringLiteral("SELECT rowid FROM ") + TableSchema::quote(m_schema.tableName);
    if (!ordered) {
        return rows + where(QString(), false);
    }
    if (!sortMatches) {
        return rows + where(QString()) + orderBy(true);
    }
    // The order's columns behind a unary "+" (which keeps their collation), so that SQLite takes the
    // filter's index and sorts what it finds instead of walking the order's index over every row.
    QStringList keys;
    for (const int field : m_order) {
        keys.append(QLatin1Char('+') + TableSchema::quote(m_schema.fields.at(field).name));
    }
    keys.append(QStringLiteral("rowid"));
    return rows + where(QString(), false) + QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));
}

QString TableQuery::orderedRowids() const {
    return QStringLiteral("SELECT rowid FROM ") + TableSchema::quote(m_schema.tableName) + orderBy(true);
}

QString TableQuery::countBefore() const {
    return QStringLiteral("SELECT count(*) FROM ") + TableSchema::quote(m_schema.tableName) +
           where(keyCondition(false));
}

void TableQuery::bindFilter(SqliteStatement &statement) const {
    const QVariantList values = m_filter.values();
    for (int i = 0; i < values.size(); ++i) {
        statement.bind(i + 1, values.at(i));
    }
}

void TableQuery::bindKey(SqliteStatement &statement, const TableRow &row) const {
    for (int i = 0; i < m_order.size(); ++i) {
        const int field = m_order.at(i);
        statement.bind(keyParam(i), TableSchema::storable(m_schema.fields.at(field), row.values.at(field)));
    }
    statement.bindInt(rowidParam(), row.rowid);
}

void TableQuery::bindValues(SqliteStatement &statement, const QVariantList &values) const {
    for (int i = 0; i < values.size(); ++i) {
        statement.bind(m_filterCount + 1 + i, values.at(i));
    }
}

void TableQuery::bindPage(SqliteStatement &statement, int limit, qint64 offset) const {
    statement.bindInt(limitParam(), limit);
    // pageAfter() has no offset parameter; SQLite ignores a binding beyond the statement's parameters.
    statement.bindInt(limitParam() + 1, offset);
}

} // namespace corvane

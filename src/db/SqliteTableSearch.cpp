// The navigational table's searches of its view: going to a row by its key, finding the first row of an
// index range that a test accepts, counting a row's position through the view's index, and deciding how a
// filtered view is best read.
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"
#include "db/TableQuery.h"

#include <algorithm>

namespace corvane {

// Whether the view's pages should follow the order's index and test the filter on each row: when the
// order does not start with the filter's own field and the filter keeps at least one row in 32, a page
// is found by reading a few times its size in order, where taking the filter's index would sort every
// row it keeps for each page. Counted up to that share only, so deciding costs little.
bool SqliteTable::filterKeepsManyRows(const TableFilter &filter) {
    if (filter.isEmpty() || m_order.isEmpty() || m_schema.fields.at(m_order.first()).name == filter.field()) {
        return false;
    }
    try {
        const QString table = TableSchema::quote(m_schema.tableName);
        const qint64 share =
            std::max<qint64>(256, m_db.queryInt(QStringLiteral("SELECT max(rowid) FROM ") + table) / 32);
        int count = 0;
        SqliteStatement probe(m_db.handle(), QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 WHERE %2 LIMIT %3)")
                                                 .arg(table, filter.sql())
                                                 .arg(share));
        StatementReset guard(probe);
        for (const QVariant &value : filter.values()) {
            probe.bind(++count, value);
        }
        return probe.step() && probe.columnInt(0) >= share;
    } catch (const CorvaneError &) {
        return false;
    }
}

bool SqliteTable::gotoRowid(qint64 rowid) {
    requireOpen();
    postPending();
    SqliteStatement &query = statement(m_query->byRowid());
    StatementReset guard(query);
    m_query->bindFilter(query);
    query.bindInt(static_cast<int>(m_filtered ? m_filter.values().size() : 0) + 1, rowid);
    if (!query.step()) {
        return false;
    }
    releaseCursor();
    becomeCurrent(query);
    return true;
}

bool SqliteTable::findInView(const QString &field, const QString &low, const QString &high,
                             const std::function<bool(const TableRow &)> &accept) {
    requireOpen();
    postPending();
    const int index = m_schema.fieldIndex(field);
    if (index < 0) {
        throw CorvaneError(QStringLiteral("%1: Field '%2' not found").arg(m_schema.tableName, field));
    }
    const int first = static_cast<int>(m_filtered ? m_filter.values().size() : 0) + 1;
    SqliteStatement &query = statement(m_query->within(index, !high.isNull()));
    qint64 found = 0;
    {
        StatementReset guard(query);
        m_query->bindFilter(query);
        query.bindText(first, low);
        if (!high.isNull()) {
            query.bindText(first + 1, high);
        }
        TableRow row;
        while (found == 0 && query.step()) {
            readRow(query, row);
            if (accept(row)) {
                found = row.rowid;
            }
        }
    }
    return found != 0 && gotoRowid(found);
}

qint64 SqliteTable::positionOf(qint64 rowid) {
    requireOpen();
    postPending();
    TableRow row;
    {
        SqliteStatement &query = statement(m_query->byRowid());
        StatementReset guard(query);
        m_query->bindFilter(query);
        query.bindInt(static_cast<int>(m_filtered ? m_filter.values().size() : 0) + 1, rowid);
        if (!query.step()) {
            return -1;
        }
        readRow(query, row);
    }
    SqliteStatement &count = statement(m_query->countBefore());
    StatementReset guard(count);
    m_query->bindFilter(count);
    m_query->bindKey(count, row);
    return count.step() ? count.columnInt(0) : -1;
}

} // namespace corvane

// The navigational table's searches of its view: going to a row by its key, finding the first row of an
// index range that a test accepts, counting a row's position through the view's index, and deciding how a
// filtered view is best read.
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"
#include "db/TableQuery.h"

#include <algorithm>

namespace corvane {

// Whether rows kept by a filter on `field` that keeps `kept` rows are best read along the order's index,
// testing the filter on each row: when the order does not start with that field and the filter keeps at
// least one row in 32, a page is found by reading a few times its size in order, where taking the
// filter's index would sort every row it keeps for each page. `kept` is asked for only when needed.
bool SqliteTable::readAlongOrder(const QString &field, const std::function<qint64()> &kept) {
    if (m_order.isEmpty() || m_schema.fields.at(m_order.first()).name == field) {
        return false;
    }
    try {
        const qint64 rows =
            m_db.queryInt(QStringLiteral("SELECT max(rowid) FROM ") + TableSchema::quote(m_schema.tableName));
        return kept() >= std::max<qint64>(256, rows / 32);
    } catch (const CorvaneError &) {
        return false;
    }
}

// Decided by the view's count, which the view needs anyway and then reuses.
bool SqliteTable::filterKeepsManyRows(const TableFilter &filter) {
    return !filter.isEmpty() && readAlongOrder(filter.field(), [this] { return recordCount(); });
}

QList<TableRow> SqliteTable::rowsOfPart(const TableFilter &part, qint64 partRows, const TableRow &after, int limit) {
    requireOpen();
    const TableFilter filter = TableFilter::both(m_filtered ? m_filter : TableFilter(), part);
    const TableQuery query(m_schema, m_order, filter, readAlongOrder(part.field(), [partRows] { return partRows; }));
    SqliteStatement &page = statement(after.rowid == 0 ? query.page() : query.pageAfter());
    page.reset();
    query.bindFilter(page);
    if (after.rowid != 0) {
        query.bindKey(page, after);
    }
    query.bindPage(page, limit, 0);
    return readRows(page);
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
    // In a filtered view counting would test the filter on every row in front; its rowids in order are
    // read once and serve every page and position after.
    if (const std::vector<qint64> *ids = viewRowids()) {
        const auto found = std::find(ids->begin(), ids->end(), rowid);
        return found == ids->end() ? -1 : found - ids->begin();
    }
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

// Pages of the navigational table's view for a lazy grid. Pages next to a page already read continue
// from its first or last key (keyset); pages found by position in a filtered view come from the view's
// rowids in order, read once and reused until the view or the table changes, instead of skipping every
// row in front of them. A filter that keeps few rows and would be sorted for every page reads all its
// pages that way.
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"
#include "db/TableQuery.h"

#include <algorithm>
#include <sqlite3.h>

namespace corvane {

bool SqliteTable::sortsFilteredView() const {
    return m_filtered && !m_filter.isEmpty() && !m_order.isEmpty() &&
           m_schema.fields.at(m_order.first()).name != m_filter.field() && !m_query->followsOrder();
}

// A filter that keeps few rows is read through its index with the rowids sorted by the order. One that
// keeps many is read from its index as a set of rowids, and the order's index is walked (its entries
// only, no row is read) keeping the rowids of that set. Null (the caller reads by SQL) when the view has
// no filter, inside a transaction, or when the rowids cannot be read.
const std::vector<qint64> *SqliteTable::viewRowids() {
    if (!m_filtered || m_filter.isEmpty() || sqlite3_get_autocommit(m_db.handle()) == 0) {
        return nullptr;
    }
    try {
        const ChangeStamp stamp = changeStamp();
        if (m_viewRowids != nullptr && m_viewRowids->stamp == stamp) {
            return &m_viewRowids->rowids;
        }
        m_viewRowids.reset();
        auto view = std::make_unique<ViewRowids>();
        view->stamp = stamp;
        if (!m_query->followsOrder()) {
            SqliteStatement &query = statement(m_query->rowids(true, sortsFilteredView()));
            StatementReset guard(query);
            m_query->bindFilter(query);
            while (query.step()) {
                view->rowids.push_back(query.columnInt(0));
            }
        } else {
            std::vector<bool> kept(static_cast<std::size_t>(
                m_db.queryInt(QStringLiteral("SELECT max(rowid) FROM ") + TableSchema::quote(m_schema.tableName)) + 1));
            {
                SqliteStatement &query = statement(m_query->rowids(false));
                StatementReset guard(query);
                m_query->bindFilter(query);
                while (query.step()) {
                    const auto rowid = static_cast<std::size_t>(query.columnInt(0));
                    if (rowid >= kept.size()) {
                        kept.resize(rowid + 1);
                    }
                    kept[rowid] = true;
                }
            }
            SqliteStatement &walk = statement(m_query->orderedRowids());
            StatementReset guard(walk);
            while (walk.step()) {
                const qint64 rowid = walk.columnInt(0);
                if (rowid >= 0 && static_cast<std::size_t>(rowid) < kept.size() && kept[rowid]) {
                    view->rowids.push_back(rowid);
                }
            }
        }
        m_viewRowids = std::move(view);
        return &m_viewRowids->rowids;
    } catch (const CorvaneError &) {
        return nullptr;
    }
}

QList<TableRow> SqliteTable::rowsByRowid(const std::vector<qint64> &ids, qint64 from, qint64 to) {
    SqliteStatement &query = statement(m_query->byRowid());
    StatementReset guard(query);
    m_query->bindFilter(query);
    const int param = static_cast<int>(m_filter.values().size()) + 1;
    QList<TableRow> rows;
    for (qint64 i = from; i < to; ++i) {
        query.bindInt(param, ids.at(static_cast<std::size_t>(i)));
        if (query.step()) {
            TableRow row;
            readRow(query, row);
            rows.append(std::move(row));
        }
        query.reset();
    }
    return rows;
}

QList<TableRow> SqliteTable::readRows(SqliteStatement &query) {
    StatementReset guard(query);
    QList<TableRow> rows;
    while (query.step()) {
        TableRow row;
        readRow(query, row);
        rows.append(std::move(row));
    }
    return rows;
}

// A view whose filter is sorted reads the rows next to a row from its rowids in order; false (and the
// caller reads by key) for any other view, or when the row is not in the view.
bool SqliteTable::rowsNextTo(const TableRow &row, bool after, int limit, QList<TableRow> &rows) {
    const std::vector<qint64> *ids = sortsFilteredView() ? viewRowids() : nullptr;
    if (ids == nullptr) {
        return false;
    }
    const auto found = std::find(ids->begin(), ids->end(), row.rowid);
    if (found == ids->end()) {
        return false;
    }
    const qint64 at = found - ids->begin();
    const qint64 size = static_cast<qint64>(ids->size());
    rows = after ? rowsByRowid(*ids, at + 1, std::min(size, at + 1 + limit))
                 : rowsByRowid(*ids, std::max<qint64>(0, at - limit), at);
    return true;
}

QList<TableRow> SqliteTable::rowsAt(qint64 offset, int limit) {
    requireOpen();
    if (offset > 0 || sortsFilteredView()) {
        if (const std::vector<qint64> *ids = viewRowids()) {
            const qint64 size = static_cast<qint64>(ids->size());
            return rowsByRowid(*ids, std::min(offset, size), std::min(size, offset + limit));
        }
    }
    SqliteStatement &query = statement(m_query->page());
    query.reset();
    m_query->bindFilter(query);
    m_query->bindPage(query, limit, offset);
    return readRows(query);
}

QList<TableRow> SqliteTable::rowsAfter(const TableRow &after, int limit) {
    requireOpen();
    if (QList<TableRow> rows; rowsNextTo(after, true, limit, rows)) {
        return rows;
    }
    SqliteStatement &query = statement(m_query->pageAfter());
    query.reset();
    m_query->bindFilter(query);
    m_query->bindKey(query, after);
    m_query->bindPage(query, limit, 0);
    return readRows(query);
}

QList<TableRow> SqliteTable::rowsBefore(const TableRow &before, int limit) {
    requireOpen();
    if (QList<TableRow> rows; rowsNextTo(before, false, limit, rows)) {
        return rows;
    }
    SqliteStatement &query = statement(m_query->pageBefore());
    query.reset();
    m_query->bindFilter(query);
    m_query->bindKey(query, before);
    m_query->bindPage(query, limit, 0);
    QList<TableRow> rows = readRows(query);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

QList<TableRow> SqliteTable::rowsFromEnd(qint64 fromEnd, int limit) {
    requireOpen();
    if (fromEnd > 0 || sortsFilteredView()) {
        if (const std::vector<qint64> *ids = viewRowids()) {
            const qint64 end = std::max<qint64>(0, static_cast<qint64>(ids->size()) - fromEnd);
            return rowsByRowid(*ids, std::max<qint64>(0, end - limit), end);
        }
    }
    SqliteStatement &query = statement(m_query->pageFromEnd());
    query.reset();
    m_query->bindFilter(query);
    m_query->bindPage(query, limit, fromEnd);
    QList<TableRow> rows = readRows(query);
    std::reverse(rows.begin(), rows.end());
    return rows;
}

} // namespace corvane

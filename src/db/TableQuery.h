// The SQL of one view of a table: its order (field names, then rowid, so that every row has one place)
// and its filter, and the statements read through it: the ordered walk, the seek to the row after or
// before a given row (keyset), the last row, the count, locate and pages of rows. Parameters are numbered:
// the filter's values first, then the sort key of a given row and its rowid, then limits.
#pragma once

#include "db/TableFilter.h"
#include "db/TableRow.h"
#include "db/TableSchema.h"

#include <QList>
#include <QString>

namespace corvane {

class SqliteStatement;

class TableQuery {
public:
    // With `filterByScan`, the ordered statements (walk, seek, pages, last, within) follow the order's
    // index and test the filter on each row, which suits a filter that keeps a large share of the rows;
    // otherwise SQLite may take the filter's own index and sort what it finds. Counts always use the
    // filter's index.
    TableQuery(const TableSchema &schema, const QList<int> &orderFields, const TableFilter &filter,
               bool filterByScan = false);

    // Every row of the view in order: rowid, then every field.
    QString walk() const;
    // The rows after (forward) or before (backward, in reverse order) the row whose key is bound with
    // bindKey(), in order.
    QString seek(bool forward) const;
    // The last row of the view.
    QString last() const;
    QString count() const;
    // The first row, in order, whose fields `fields` equal the bound values (bindValues), text compared
    // ignoring letter case when `caseInsensitive`.
    QString locate(const QList<int> &fields, bool caseInsensitive) const;
    // `limit` rows from the position `offset` (bindPage); and `limit` rows after a given row (bindKey, then
    // bindPage with the offset ignored).
    QString page() const;
    QString pageAfter() const;
    // `limit` rows before a given row (bindKey, then bindPage), and `limit` rows counted back from the end
    // of the view, skipping `offset` (bindPage); both in reverse order.
    QString pageBefore() const;
    QString pageFromEnd() const;
    // The row of the view with the rowid bound as ?1 after the filter's values.
    QString byRowid() const;
    // The rows of the view, in order, whose `field` is at least the first value bound after the filter's
    // and, when `bounded`, below the second: a range of the field's index.
    QString within(int field, bool bounded) const;
    // The rowids of the view: in order (`ordered`), or as the filter's index gives them. With
    // `sortMatches`, the order's index is not used: the filter's rows are found and sorted.
    QString rowids(bool ordered, bool sortMatches = false) const;
    // The rowids of the whole table in the view's order, ignoring the filter: a walk of the order's index.
    QString orderedRowids() const;
    // Whether the ordered statements follow the order's index and test the filter on each row.
    bool followsOrder() const { return m_scanSql != m_filterSql; }
    // The number of rows of the view before the row whose key is bound with bindKey().
    QString countBefore() const;

    // Binds the filter's values.
    void bindFilter(SqliteStatement &statement) const;
    // Binds the sort key and rowid of `row`.
    void bindKey(SqliteStatement &statement, const TableRow &row) const;
    // Binds values for locate(), after the filter's.
    void bindValues(SqliteStatement &statement, const QVariantList &values) const;
    // Binds the limit and offset of page() or pageAfter().
    void bindPage(SqliteStatement &statement, int limit, qint64 offset) const;

    const QList<int> &orderFields() const { return m_order; }

private:
    QString columns() const;
    QString where(const QString &extra, bool ordered = true) const;
    QString orderBy(bool forward) const;
    QString keyCondition(bool forward) const;
    int keyParam(int position) const { return m_filterCount + 1 + position; }
    int rowidParam() const { return m_filterCount + 1 + static_cast<int>(m_order.size()); }
    int limitParam() const { return rowidParam() + 1; }

    const TableSchema &m_schema;
    QList<int> m_order;
    TableFilter m_filter;
    QString m_filterSql;
    QString m_scanSql;
    int m_filterCount = 0;
};

} // namespace corvane

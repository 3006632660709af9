// The navigational table: one SQLite table (one file, or memory) seen as an ordered, optionally filtered
// sequence of rows with a current row, as the list view, the scan, the send dialog and every list-wide
// command use it: first/next/last, end-of-table, record count, locate, field read and write, append,
// edit/post, delete, empty, the whole-table lock, and pages of rows for a lazy view.
//
// Walking forward keeps one SQLite statement stepping from the first next() on, so a walk costs two
// queries, not one per row. The statement is given up (and the walk later resumes with one keyset seek from the current
// row) when the order or filter changes, after an append, a delete or a post that moves the row, at the table lock, and
// when the walk has been idle for a quarter of a second while the event loop runs, so that a paused walk
// never holds the read lock that would keep another copy of the program from writing.
//
// All calls come from one thread. Every failure is a CorvaneError (see EngineError for the codes); a
// failed call leaves the current row and the state as they were.
#pragma once

#include "base/CorvaneError.h"
#include "db/SqliteDatabase.h"
#include "db/TableFilter.h"
#include "db/TableRow.h"
#include "db/TableSchema.h"

#include <QDate>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace corvane {

class SqliteStatement;
class TableQuery;

class SqliteTable : public QObject {
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit SqliteTable(const TableSchema &schema, QObject *parent = nullptr);
    ~SqliteTable() override;

    const TableSchema &schema() const { return m_schema; }
    SqliteDatabase &database() { return m_db; }

    // Opens the table in the existing file `file` and moves to the first row. A table whose collations or
    // indexes are not the current ones is first rebuilt with them, keeping every row (TableLayout). Raises
    // CorvaneError: 11013 when another process holds the file, a damage code when the file is damaged (its
    // structure is checked), code 0 when the file does not hold this table with exactly its fields.
    void open(const QString &file, SqliteDatabase::Access access);
    // Creates the table in a fresh private in-memory database and opens it.
    void openInMemory();
    // Discards a pending edit or append (post it first to keep it) and closes. Never raises.
    void close() noexcept;
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    // With strict change detection a post or delete fails (codes 10259, 8708) when another user changed or
    // deleted the row since it was read; without, the last writer wins.
    void setStrictChangeDetection(bool on) { m_strict = on; }
    bool strictChangeDetection() const { return m_strict; }

    // Navigation. A pending edit or append is posted first. first() on an empty view sets eof(); next() past
    // the last row sets eof() and keeps the last row current; last() makes the last row current.
    void first();
    void next();
    void last();
    bool eof() const { return m_eof; }
    // True when there is a current row.
    bool hasRow() const { return m_hasRow; }
    // The number of rows in the view (of the filtered view when the filter is on). Counted once and reused
    // until the filter or the table changes (a change by this connection, or one another connection
    // committed), and counted afresh on every call inside a transaction, which could still be undone.
    qint64 recordCount();
    // How many times the view's rows were really counted (for tests and benchmarks).
    quint64 countsTaken() const { return m_countsTaken; }

    // Field access by position or name (letter case ignored). Reading gives the field's kind (QString, int,
    // bool, QDate); with no current row it gives the empty value of that kind. Writing puts the table into
    // edit mode (or keeps append mode) and stores the value as the field would: text is cut to the field's
    // width. Raises for an unknown field, the auto-increment field, or a value the field cannot hold.
    int fieldIndex(const QString &name) const;
    QVariant field(int index) const;
    QVariant field(const QString &name) const { return field(fieldIndex(name)); }
    QString text(const QString &name) const { return field(name).toString(); }
    int integer(const QString &name) const { return field(name).toInt(); }
    bool boolean(const QString &name) const { return field(name).toBool(); }
    QDate date(const QString &name) const { return field(name).toDate(); }
    void setField(int index, const QVariant &value);
    void setField(const QString &name, const QVariant &value) { setField(fieldIndex(name), value); }

    // Starts a new row with every field at its default; post() stores it.
    void append();
    // Stores a whole new row at once: `values` are the fields in order without the auto-increment field
    // (missing trailing values take their defaults) and the new row becomes current. On failure (a unique
    // key, for example) nothing is stored and the table stays as it was.
    void appendRecord(const QVariantList &values);
    void edit();
    // Stores the pending edit or new row and emits afterPost. On failure the table stays in edit or append
    // mode with the values given.
    void post();
    void cancel();
    // Deletes the current row (emitting beforeDelete and afterDelete); the row after it becomes current, or,
    // when it was the last, the one before it with eof() set.
    void deleteRecord();
    // Deletes every row of the table (not only the filtered ones).
    void emptyTable();
    // After a pass that changed many rows through database() in statements of its own: drops any pending
    // edit, goes to the first row and tells views and caches to read the rows again (viewChanged and
    // afterDelete). Raises CorvaneError when the first row cannot be read.
    void changedDirectly();

    // Moves to the first row, in order, of the view whose fields `fieldNames` (separated by ";") equal
    // `values`; text compared ignoring letter case when `caseInsensitive`. False, and nothing moves, when
    // there is none.
    bool locate(const QString &fieldNames, const QVariantList &values, bool caseInsensitive = true);
    bool locate(const QString &fieldName, const QVariant &value, bool caseInsensitive = true) {
        return locate(fieldName, QVariantList{value}, caseInsensitive);
    }

    // Orders the view by fields (names separated by ";", e.g. "Item", "Category", "Bounces"), rows with
    // equal fields by their key; empty for key order. Raises for an unknown field name.
    void setIndexFieldNames(const QString &names);
    QString indexFieldNames() const { return m_orderNames; }
    // The filter and whether it is applied; changing either moves to the first row of the new view.
    void setFilter(const TableFilter &filter);
    TableFilter filter() const { return m_filter; }
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // The whole-table lock for passes over the whole table: holds off other writers until released, and
    // makes the pass one transaction. Calls nest. unlockTable() raises when the changes could not be
    // committed; they are then undone.
    void lockTable();
    void unlockTable();
    bool isLocked() const { return m_lockDepth > 0; }

    // The current row (rowid 0 and no values when there is none).
    TableRow currentRow() const;
    // Reading pages for a lazy view, without moving the current row: `limit` rows from position `offset` of
    // the view, and `limit` rows after `after` (a row of this view, found by its sort key and rowid).
    // Positions in a filtered view (and every page of a filter that keeps so few rows that they are
    // sorted) come from the view's rowids in order, read at the first such page and reused until the
    // view or the table changes: a page far from both ends costs no walk over the rows in front.
    QList<TableRow> rowsAt(qint64 offset, int limit);
    QList<TableRow> rowsAfter(const TableRow &after, int limit);
    // The `limit` rows before `before`, and the `limit` rows that end `fromEnd` rows before the end of the
    // view, both in view order: reading backwards from the end costs no scan over the rows in front.
    QList<TableRow> rowsBefore(const TableRow &before, int limit);
    QList<TableRow> rowsFromEnd(qint64 fromEnd, int limit);
    // Keyset pages of a part of the view (a group of the grouped view): the `limit` rows that the view and
    // `part` both keep, in the view's order, after `after` (from the first when `after` has no rowid).
    // `partRows`, how many rows `part` keeps, decides whether they are found along the order's index.
    // Raises CorvaneError.
    QList<TableRow> rowsOfPart(const TableFilter &part, qint64 partRows, const TableRow &after, int limit);
    // Moves to the row with this rowid when it is in the view.
    bool gotoRowid(qint64 rowid);
    // Goes to the first row of the view, in order, whose text field `field` lies in [low, high) under the
    // field's collation (no upper bound when `high` is null) and that `accept` takes: a range of the
    // field's index instead of a walk over the whole view. False, with the current row kept, when none.
    // Raises CorvaneError.
    bool findInView(const QString &field, const QString &low, const QString &high,
                    const std::function<bool(const TableRow &)> &accept);
    // The position (from 0) of the row with `rowid` in the view; -1 when the view does not hold it.
    // Counts through the order's index rather than reading the rows before it; a filtered view looks it up
    // in its rowids in order (see rowsAt()). Raises CorvaneError.
    qint64 positionOf(qint64 rowid);

    // Ends the walking statement's read transaction; the next next() resumes from the current row.
    void releaseCursor() noexcept;
    // Makes every committed change of the table durable (SqliteDatabase::flush).
    void flush();

signals:
    void afterOpen();
    void afterClose();
    void afterPost();
    void beforeDelete();
    void afterDelete();
    // The order or filter changed, or the table was emptied: a view must read its rows again.
    void viewChanged();

private:
    // What recordCount() reused: the changes made through this connection and the file's data version,
    // which moves when another connection commits.
    struct ChangeStamp {
        qint64 ownChanges = -1;
        qint64 dataVersion = -1;
        bool operator==(const ChangeStamp &) const = default;
    };

    // The filtered view's rowids in order and the change stamp they were read at.
    struct ViewRowids {
        std::vector<qint64> rowids;
        ChangeStamp stamp;
    };

    struct LocatePlan {
        QList<int> fields;
        SqliteStatement *statement = nullptr;
    };

    void requireOpen() const;
    void postPending();
    void startView();
    bool filterKeepsManyRows(const TableFilter &filter);
    bool readAlongOrder(const QString &field, const std::function<qint64()> &kept);
    ChangeStamp changeStamp();
    bool sortsFilteredView() const;
    const std::vector<qint64> *viewRowids();
    QList<TableRow> rowsByRowid(const std::vector<qint64> &ids, qint64 from, qint64 to);
    bool rowsNextTo(const TableRow &row, bool after, int limit, QList<TableRow> &rows);
    SqliteStatement &statement(const QString &sql);
    void readRow(const SqliteStatement &statement, TableRow &row) const;
    bool stepCursor();
    bool seekFrom(const TableRow &row, bool forward);
    void holdCursor(SqliteStatement *cursor);
    void onIdleTick();
    void postInsert();
    void postEdit();
    bool rowExists(qint64 rowid);
    QString strictCondition(int firstParam) const;
    void bindStrict(SqliteStatement &statement, int firstParam) const;
    QList<TableRow> readRows(SqliteStatement &statement);
    const LocatePlan &locatePlan(const QString &fieldNames, bool caseInsensitive);
    void becomeCurrent(const SqliteStatement &statement);
    // Runs `query` with the filter bound and makes its first row current; none leaves no row and eof().
    void becomeFirstOf(SqliteStatement &query);

    const TableSchema &m_schema;
    SqliteDatabase m_db;
    std::unique_ptr<TableQuery> m_query;
    std::map<QString, std::unique_ptr<SqliteStatement>> m_statements;
    std::map<QString, LocatePlan> m_locatePlans;
    SqliteStatement *m_cursor = nullptr;
    TableRow m_row;
    QVariantList m_buffer;
    QList<bool> m_changed;
    State m_state = State::Inactive;
    bool m_hasRow = false;
    bool m_eof = true;
    bool m_strict = false;
    QString m_orderNames;
    QList<int> m_order;
    TableFilter m_filter;
    bool m_filtered = false;
    int m_lockDepth = 0;
    QTimer m_idleTimer;
    quint64 m_steps = 0;
    qint64 m_count = -1;
    ChangeStamp m_countStamp;
    QString m_countedFilter;
    quint64 m_countsTaken = 0;
    std::unique_ptr<ViewRowids> m_viewRowids;
    quint64 m_stepsAtTick = 0;
};

} // namespace corvane

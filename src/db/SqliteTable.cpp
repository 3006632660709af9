// The navigational table over SQLite prepared statements: opening, walking, locating, ordering, filtering
// and counting. Changes to rows are in SqliteTableEditing.cpp, searches of the view in
// SqliteTableSearch.cpp, pages of rows in SqliteTablePages.cpp.
#include "db/SqliteTable.h"

#include <algorithm>
#include <sqlite3.h>

#include "db/EngineError.h"
#include "db/SqliteStatement.h"
#include "db/TableLayout.h"
#include "db/TableQuery.h"

namespace corvane {

namespace {
constexpr int IdleReleaseMs = 250;

QStringList splitNames(const QString &names) {
    QStringList result;
    for (const QString &part : names.split(QLatin1Char(';'))) {
        const QString name = part.trimmed();
        if (!name.isEmpty()) {
            result.append(name);
        }
    }
    return result;
}
} // namespace

SqliteTable::SqliteTable(const TableSchema &schema, QObject *parent) : QObject(parent), m_schema(schema) {
    m_idleTimer.setInterval(IdleReleaseMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &SqliteTable::onIdleTick);
    setIndexFieldNames(schema.defaultOrder);
}

SqliteTable::~SqliteTable() {
    close();
}

void SqliteTable::open(const QString &file, SqliteDatabase::Access access) {
    close();
    m_db.open(file, access, false);
    try {
        const QStringList columns = m_db.columnNames(m_schema.tableName);
        if (columns.isEmpty()) {
            throw CorvaneError(QStringLiteral("%1 holds no table %2").arg(file, m_schema.tableName));
        }
        bool same = columns.size() == m_schema.fields.size();
        for (int i = 0; same && i < columns.size(); ++i) {
            same = columns.at(i).compare(m_schema.fields.at(i).name, Qt::CaseInsensitive) == 0;
        }
        if (!same) {
            throw CorvaneError(QStringLiteral("The table %1 in %2 has the fields %3 instead of %4")
                                   .arg(m_schema.tableName, file, columns.join(QStringLiteral(", ")),
                                        m_schema.columnList().remove(QLatin1Char('"'))));
        }
        TableLayout::upgradeCollations(m_db, m_schema);
        m_db.checkOpening();
        m_state = State::Browse;
        startView();
        first();
    } catch (...) {
        close();
        throw;
    }
    emit afterOpen();
}

void SqliteTable::openInMemory() {
    close();
    m_db.open(QString(), SqliteDatabase::Access::Memory, true);
    try {
        m_db.exec(m_schema.createTableSql() + QLatin1Char(';') + m_schema.createIndexesSql());
        m_state = State::Browse;
        startView();
        first();
    } catch (...) {
        close();
        throw;
    }
    emit afterOpen();
}

void SqliteTable::close() noexcept {
    const bool wasOpen = m_state != State::Inactive;
    releaseCursor();
    m_idleTimer.stop();
    if (m_db.inTransaction()) {
        // A pass still holding the table lock keeps what it did, as every failing item of a pass does.
        try {
            m_db.commit();
        } catch (...) {
            m_db.rollback();
        }
    }
    m_lockDepth = 0;
    m_locatePlans.clear();
    m_statements.clear();
    m_query.reset();
    m_count = -1;
    m_viewRowids.reset();
    m_db.close();
    m_state = State::Inactive;
    m_hasRow = false;
    m_eof = true;
    m_row = TableRow();
    m_buffer.clear();
    if (wasOpen) {
        try {
            emit afterClose();
        } catch (...) {
            // A listener's failure must not keep the table from closing.
        }
    }
}

void SqliteTable::requireOpen() const {
    if (m_state == State::Inactive) {
        throw CorvaneError(
            QStringLiteral("Cannot perform this operation on the closed table %1").arg(m_schema.tableName));
    }
}

void SqliteTable::postPending() {
    if (m_state == State::Edit || m_state == State::Insert) {
        post();
    }
}

void SqliteTable::startView() {
    releaseCursor();
    m_locatePlans.clear();
    m_statements.clear();
    const TableFilter filter = m_filtered ? m_filter : TableFilter();
    // The count belongs to the filter, not to the order: a new order keeps it.
    QString counted = filter.sql();
    for (const QVariant &value : filter.values()) {
        counted += QLatin1Char('\n') + value.toString();
    }
    if (counted != m_countedFilter) {
        m_count = -1;
        m_countedFilter = counted;
    }
    m_viewRowids.reset();
    m_query = std::make_unique<TableQuery>(m_schema, m_order, filter);
    if (filterKeepsManyRows(filter)) {
        m_query = std::make_unique<TableQuery>(m_schema, m_order, filter, true);
    }
}

SqliteStatement &SqliteTable::statement(const QString &sql) {
    auto found = m_statements.find(sql);
    if (found == m_statements.end()) {
        found = m_statements.emplace(sql, std::make_unique<SqliteStatement>(m_db.handle(), sql)).first;
    }
    return *found->second;
}

void SqliteTable::readRow(const SqliteStatement &statement, TableRow &row) const {
    const int count = static_cast<int>(m_schema.fields.size());
    row.rowid = statement.columnInt(0);
    if (row.values.size() != count) {
        row.values.resize(count);
    }
    for (int i = 0; i < count; ++i) {
        const TableSchema::Field &field = m_schema.fields.at(i);
        switch (field.kind) {
        case TableSchema::Kind::Text:
            row.values[i] = statement.columnText(i + 1);
            break;
        case TableSchema::Kind::AutoIncrement:
        case TableSchema::Kind::Integer:
            row.values[i] = static_cast<int>(statement.columnInt(i + 1));
            break;
        case TableSchema::Kind::Boolean:
            row.values[i] = statement.columnInt(i + 1) != 0;
            break;
        case TableSchema::Kind::Date:
            row.values[i] = QDate::fromString(statement.columnText(i + 1), Qt::ISODate);
            break;
        }
    }
}

void SqliteTable::becomeCurrent(const SqliteStatement &statement) {
    readRow(statement, m_row);
    m_hasRow = true;
    m_eof = false;
}

void SqliteTable::holdCursor(SqliteStatement *cursor) {
    m_cursor = cursor;
    if (!m_idleTimer.isActive()) {
        m_stepsAtTick = m_steps - 1;
        m_idleTimer.start();
    }
}

void SqliteTable::onIdleTick() {
    if (m_cursor == nullptr) {
        m_idleTimer.stop();
    } else if (m_steps == m_stepsAtTick) {
        releaseCursor();
        m_idleTimer.stop();
    } else {
        m_stepsAtTick = m_steps;
    }
}

void SqliteTable::releaseCursor() noexcept {
    if (m_cursor != nullptr) {
        m_cursor->reset();
        m_cursor = nullptr;
    }
}

bool SqliteTable::stepCursor() {
    SqliteStatement *cursor = m_cursor;
    m_cursor = nullptr;
    if (cursor->step()) {
        becomeCurrent(*cursor);
        m_cursor = cursor;
        return true;
    }
    cursor->reset();
    return false;
}

bool SqliteTable::seekFrom(const TableRow &row, bool forward) {
    releaseCursor();
    SqliteStatement &seek = statement(m_query->seek(forward));
    seek.reset();
    m_query->bindFilter(seek);
    m_query->bindKey(seek, row);
    if (!seek.step()) {
        seek.reset();
        return false;
    }
    becomeCurrent(seek);
    if (forward) {
        holdCursor(&seek);
    } else {
        seek.reset();
    }
    return true;
}

void SqliteTable::first() {
    requireOpen();
    postPending();
    releaseCursor();
    ++m_steps;
    // The first row is read and the statement let go at once: a table that was merely opened or
    // positioned holds no read lock. The walk's stepping statement starts with the first next().
    // A filter whose rows are sorted takes its first row from the view's rowids in order, which the
    // grid's pages read next, rather than sorting every row it keeps once more.
    if (const std::vector<qint64> *ids = sortsFilteredView() ? viewRowids() : nullptr) {
        const QList<TableRow> rows = rowsByRowid(*ids, 0, ids->empty() ? 0 : 1);
        m_hasRow = !rows.isEmpty();
        m_row = m_hasRow ? rows.first() : TableRow();
        m_eof = !m_hasRow;
        return;
    }
    becomeFirstOf(statement(m_query->walk()));
}

void SqliteTable::becomeFirstOf(SqliteStatement &query) {
    StatementReset guard(query);
    m_query->bindFilter(query);
    if (query.step()) {
        becomeCurrent(query);
    } else {
        m_hasRow = false;
        m_row = TableRow();
        m_eof = true;
    }
}

void SqliteTable::next() {
    requireOpen();
    postPending();
    ++m_steps;
    if (!m_hasRow) {
        m_eof = true;
        return;
    }
    const bool found = m_cursor != nullptr ? stepCursor() : seekFrom(m_row, true);
    if (!found) {
        m_eof = true;
    }
}

void SqliteTable::last() {
    requireOpen();
    postPending();
    releaseCursor();
    becomeFirstOf(statement(m_query->last()));
}

SqliteTable::ChangeStamp SqliteTable::changeStamp() {
    SqliteStatement &version = statement(QStringLiteral("PRAGMA data_version"));
    StatementReset guard(version);
    return {sqlite3_total_changes64(m_db.handle()), version.step() ? version.columnInt(0) : -1};
}

qint64 SqliteTable::recordCount() {
    requireOpen();
    const bool inTransaction = sqlite3_get_autocommit(m_db.handle()) == 0;
    const ChangeStamp stamp = changeStamp();
    if (m_count >= 0 && !inTransaction && stamp == m_countStamp) {
        return m_count;
    }
    SqliteStatement &query = statement(m_query->count());
    StatementReset guard(query);
    m_query->bindFilter(query);
    const qint64 count = query.step() ? query.columnInt(0) : 0;
    ++m_countsTaken;
    m_count = inTransaction ? -1 : count;
    m_countStamp = stamp;
    return count;
}

int SqliteTable::fieldIndex(const QString &name) const {
    for (int i = 0; i < m_schema.fields.size(); ++i) {
        if (m_schema.fields.at(i).name == name) {
            return i;
        }
    }
    const int index = m_schema.fieldIndex(name);
    if (index < 0) {
        throw CorvaneError(QStringLiteral("%1: Field '%2' not found").arg(m_schema.tableName, name));
    }
    return index;
}

QVariant SqliteTable::field(int index) const {
    if (index < 0 || index >= m_schema.fields.size()) {
        throw CorvaneError(QStringLiteral("%1: no field number %2").arg(m_schema.tableName).arg(index));
    }
    if (m_state == State::Edit || m_state == State::Insert) {
        return m_buffer.at(index);
    }
    if (!m_hasRow) {
        return TableSchema::readable(m_schema.fields.at(index), QVariant());
    }
    return m_row.values.at(index);
}

const SqliteTable::LocatePlan &SqliteTable::locatePlan(const QString &fieldNames, bool caseInsensitive) {
    const QString key = fieldNames + (caseInsensitive ? QStringLiteral("|i") : QStringLiteral("|c"));
    auto found = m_locatePlans.find(key);
    if (found == m_locatePlans.end()) {
        LocatePlan plan;
        for (const QString &name : splitNames(fieldNames)) {
            plan.fields.append(fieldIndex(name));
        }
        if (plan.fields.isEmpty()) {
            throw CorvaneError(QStringLiteral("%1: no field to locate by").arg(m_schema.tableName));
        }
        plan.statement = &statement(m_query->locate(plan.fields, caseInsensitive));
        found = m_locatePlans.emplace(key, plan).first;
    }
    return found->second;
}

bool SqliteTable::locate(const QString &fieldNames, const QVariantList &values, bool caseInsensitive) {
    requireOpen();
    postPending();
    const LocatePlan &plan = locatePlan(fieldNames, caseInsensitive);
    if (plan.fields.size() != values.size()) {
        throw CorvaneError(QStringLiteral("%1: %2 values given to locate by %3")
                               .arg(m_schema.tableName)
                               .arg(values.size())
                               .arg(fieldNames));
    }
    QVariantList bound;
    bound.reserve(values.size());
    for (int i = 0; i < values.size(); ++i) {
        const TableSchema::Field &definition = m_schema.fields.at(plan.fields.at(i));
        if (definition.kind == TableSchema::Kind::Text) {
            bound.append(values.at(i).toString());
            continue;
        }
        try {
            bound.append(TableSchema::storable(definition, values.at(i)));
        } catch (const CorvaneError &) {
            return false;
        }
    }
    SqliteStatement &query = *plan.statement;
    StatementReset guard(query);
    m_query->bindFilter(query);
    m_query->bindValues(query, bound);
    if (!query.step()) {
        return false;
    }
    releaseCursor();
    becomeCurrent(query);
    return true;
}

void SqliteTable::setIndexFieldNames(const QString &names) {
    QList<int> order;
    for (const QString &name : splitNames(names)) {
        const int index = m_schema.fieldIndex(name);
        if (index < 0) {
            throw CorvaneError(QStringLiteral("%1: Field '%2' not found").arg(m_schema.tableName, name));
        }
        order.append(index);
    }
    if (isOpen()) {
        postPending();
    }
    m_orderNames = names;
    m_order = order;
    if (isOpen()) {
        startView();
        first();
        emit viewChanged();
    }
}

void SqliteTable::setFilter(const TableFilter &filter) {
    if (isOpen() && m_filtered) {
        postPending();
    }
    m_filter = filter;
    if (isOpen() && m_filtered) {
        startView();
        first();
        emit viewChanged();
    }
}

void SqliteTable::setFiltered(bool on) {
    if (on == m_filtered) {
        return;
    }
    if (isOpen()) {
        postPending();
    }
    m_filtered = on;
    if (isOpen()) {
        startView();
        first();
        emit viewChanged();
    }
}

TableRow SqliteTable::currentRow() const {
    return m_hasRow ? m_row : TableRow();
}

void SqliteTable::flush() {
    if (!isOpen()) {
        return;
    }
    releaseCursor();
    m_db.flush();
}

} // namespace corvane

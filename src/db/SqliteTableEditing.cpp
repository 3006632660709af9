// The navigational table's changes: field writes, append, edit and post (with strict change detection),
// delete with the following row becoming current, empty, and the whole-table lock.
#include "db/EngineError.h"
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"
#include "db/TableQuery.h"

namespace corvane {

void SqliteTable::setField(int index, const QVariant &value) {
    requireOpen();
    if (index < 0 || index >= m_schema.fields.size()) {
        throw CorvaneError(QStringLiteral("%1: no field number %2").arg(m_schema.tableName).arg(index));
    }
    const TableSchema::Field &definition = m_schema.fields.at(index);
    if (definition.kind == TableSchema::Kind::AutoIncrement) {
        throw CorvaneError(
            QStringLiteral("%1: the field %2 cannot be modified").arg(m_schema.tableName, definition.name));
    }
    const QVariant stored = TableSchema::storable(definition, value);
    if (m_state == State::Browse) {
        edit();
    }
    m_buffer[index] = TableSchema::readable(definition, stored);
    m_changed[index] = true;
}

void SqliteTable::edit() {
    requireOpen();
    if (m_state != State::Browse) {
        return;
    }
    if (!m_hasRow) {
        throw CorvaneError(QStringLiteral("%1: there is no current record to edit").arg(m_schema.tableName));
    }
    m_buffer = m_row.values;
    m_changed = QList<bool>(m_schema.fields.size(), false);
    m_state = State::Edit;
}

void SqliteTable::append() {
    requireOpen();
    postPending();
    m_buffer.clear();
    for (const TableSchema::Field &definition : m_schema.fields) {
        m_buffer.append(TableSchema::readable(definition, TableSchema::storable(definition, QVariant())));
    }
    m_changed = QList<bool>(m_schema.fields.size(), false);
    m_state = State::Insert;
}

void SqliteTable::appendRecord(const QVariantList &values) {
    requireOpen();
    postPending();
    QList<int> writable;
    for (int i = 0; i < m_schema.fields.size(); ++i) {
        if (m_schema.fields.at(i).kind != TableSchema::Kind::AutoIncrement) {
            writable.append(i);
        }
    }
    if (values.size() > writable.size()) {
        throw CorvaneError(QStringLiteral("%1: %2 values given for %3 fields")
                               .arg(m_schema.tableName)
                               .arg(values.size())
                               .arg(writable.size()));
    }
    append();
    try {
        for (int i = 0; i < values.size(); ++i) {
            setField(writable.at(i), values.at(i));
        }
        post();
    } catch (...) {
        cancel();
        throw;
    }
}

void SqliteTable::postInsert() {
    QStringList columns;
    QStringList params;
    QList<int> fields;
    for (int i = 0; i < m_schema.fields.size(); ++i) {
        if (m_schema.fields.at(i).kind != TableSchema::Kind::AutoIncrement) {
            columns.append(TableSchema::quote(m_schema.fields.at(i).name));
            params.append(QLatin1Char('?') + QString::number(fields.size() + 1));
            fields.append(i);
        }
    }
    SqliteStatement &insert =
        statement(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(TableSchema::quote(m_schema.tableName), columns.join(QStringLiteral(", ")),
                           params.join(QStringLiteral(", "))));
    for (int i = 0; i < fields.size(); ++i) {
        insert.bind(i + 1, TableSchema::storable(m_schema.fields.at(fields.at(i)), m_buffer.at(fields.at(i))));
    }
    insert.execute();
    releaseCursor();
    m_row.rowid = m_db.lastInsertRowid();
    m_row.values = m_buffer;
    const int key = m_schema.autoIncrementField();
    if (key >= 0) {
        m_row.values[key] = static_cast<int>(m_row.rowid);
    }
}

QString SqliteTable::strictCondition(int firstParam) const {
    QString condition;
    int param = firstParam;
    for (const TableSchema::Field &definition : m_schema.fields) {
        if (definition.kind != TableSchema::Kind::AutoIncrement) {
            condition +=
                QStringLiteral(" AND %1 IS ?%2 COLLATE BINARY").arg(TableSchema::quote(definition.name)).arg(param++);
        }
    }
    return condition;
}

void SqliteTable::bindStrict(SqliteStatement &query, int firstParam) const {
    int param = firstParam;
    for (int i = 0; i < m_schema.fields.size(); ++i) {
        const TableSchema::Field &definition = m_schema.fields.at(i);
        if (definition.kind != TableSchema::Kind::AutoIncrement) {
            query.bind(param++, TableSchema::storable(definition, m_row.values.at(i)));
        }
    }
}

bool SqliteTable::rowExists(qint64 rowid) {
    SqliteStatement &query =
        statement(QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?1").arg(TableSchema::quote(m_schema.tableName)));
    StatementReset guard(query);
    query.bindInt(1, rowid);
    return query.step();
}

void SqliteTable::postEdit() {
    QStringList assignments;
    QList<int> fields;
    bool moves = false;
    for (int i = 0; i < m_schema.fields.size(); ++i) {
        if (m_changed.at(i)) {
            fields.append(i);
            assignments.append(
                QStringLiteral("%1 = ?%2").arg(TableSchema::quote(m_schema.fields.at(i).name)).arg(fields.size()));
            moves = moves || m_order.contains(i);
        }
    }
    if (fields.isEmpty()) {
        return;
    }
    const int keyParam = static_cast<int>(fields.size()) + 1;
    QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                      .arg(TableSchema::quote(m_schema.tableName), assignments.join(QStringLiteral(", ")))
                      .arg(keyParam);
    if (m_strict) {
        sql += strictCondition(keyParam + 1);
    }
    SqliteStatement &update = statement(sql);
    for (int i = 0; i < fields.size(); ++i) {
        update.bind(i + 1, TableSchema::storable(m_schema.fields.at(fields.at(i)), m_buffer.at(fields.at(i))));
    }
    update.bindInt(keyParam, m_row.rowid);
    if (m_strict) {
        bindStrict(update, keyParam + 1);
    }
    update.execute();
    if (m_db.changes() == 0) {
        if (!rowExists(m_row.rowid)) {
            throw CorvaneError(QStringLiteral("%1: the record was deleted by another user").arg(m_schema.tableName),
                               EngineError::RecordDeleted);
        }
        throw CorvaneError(QStringLiteral("%1: the record was changed by another user").arg(m_schema.tableName),
                           EngineError::RecordChanged);
    }
    m_row.values = m_buffer;
    if (moves) {
        releaseCursor();
    }
}

void SqliteTable::post() {
    requireOpen();
    if (m_state == State::Insert) {
        postInsert();
    } else if (m_state == State::Edit) {
        postEdit();
    } else {
        return;
    }
    m_state = State::Browse;
    m_hasRow = true;
    m_eof = false;
    m_buffer.clear();
    emit afterPost();
}

void SqliteTable::cancel() {
    if (m_state == State::Edit || m_state == State::Insert) {
        m_state = State::Browse;
        m_buffer.clear();
    }
}

void SqliteTable::deleteRecord() {
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    cancel();
    if (!m_hasRow) {
        throw CorvaneError(QStringLiteral("%1: there is no current record to delete").arg(m_schema.tableName));
    }
    emit beforeDelete();
    releaseCursor();
    QString sql = QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(TableSchema::quote(m_schema.tableName));
    if (m_strict) {
        sql += strictCondition(2);
    }
    SqliteStatement &remove = statement(sql);
    remove.bindInt(1, m_row.rowid);
    if (m_strict) {
        bindStrict(remove, 2);
    }
    remove.execute();
    if (m_db.changes() == 0 && m_strict && rowExists(m_row.rowid)) {
        throw CorvaneError(QStringLiteral("%1: the record was changed by another user").arg(m_schema.tableName),
                           EngineError::RecordChanged);
    }
    const TableRow deleted = m_row;
    if (!seekFrom(deleted, true)) {
        if (seekFrom(deleted, false)) {
            m_eof = true;
        } else {
            m_hasRow = false;
            m_row = TableRow();
            m_eof = true;
        }
    }
    emit afterDelete();
}

void SqliteTable::emptyTable() {
    requireOpen();
    cancel();
    releaseCursor();
    m_db.exec(QStringLiteral("DELETE FROM ") + TableSchema::quote(m_schema.tableName));
    m_hasRow = false;
    m_row = TableRow();
    m_eof = true;
    emit viewChanged();
}

void SqliteTable::changedDirectly() {
    requireOpen();
    cancel();
    releaseCursor();
    first();
    emit viewChanged();
    emit afterDelete();
}

void SqliteTable::lockTable() {
    requireOpen();
    if (m_lockDepth == 0) {
        releaseCursor();
        m_db.begin();
    }
    ++m_lockDepth;
}

void SqliteTable::unlockTable() {
    if (m_lockDepth == 0 || --m_lockDepth > 0) {
        return;
    }
    releaseCursor();
    if (!m_db.inTransaction()) {
        throw CorvaneError(QStringLiteral("%1: the engine undid the changes made under the table lock after a failure")
                               .arg(m_schema.tableName));
    }
    try {
        m_db.commit();
    } catch (const CorvaneError &error) {
        m_db.rollback();
        throw CorvaneError(
            QStringLiteral("%1: the changes made under the table lock could not be saved and were undone: %2")
                .arg(m_schema.tableName, error.message()),
            error.code());
    }
}

} // namespace corvane

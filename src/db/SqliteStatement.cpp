// Prepared statements over the SQLite C API.
#include "db/SqliteStatement.h"

#include "db/EngineError.h"

#include <QDate>
#include <sqlite3.h>

namespace corvane {

SqliteStatement::SqliteStatement(sqlite3 *db, const QString &sql) : m_db(db) {
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_PREPARE_PERSISTENT,
                                      &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        m_stmt = nullptr;
        throw EngineError::fromConnection(db, rc, QStringLiteral("preparing \"%1\"").arg(sql));
    }
}

SqliteStatement::~SqliteStatement() {
    release();
}

SqliteStatement::SqliteStatement(SqliteStatement &&other) noexcept : m_db(other.m_db), m_stmt(other.m_stmt) {
    other.m_stmt = nullptr;
}

SqliteStatement &SqliteStatement::operator=(SqliteStatement &&other) noexcept {
    if (this != &other) {
        release();
        m_db = other.m_db;
        m_stmt = other.m_stmt;
        other.m_stmt = nullptr;
    }
    return *this;
}

void SqliteStatement::release() {
    if (m_stmt != nullptr) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

void SqliteStatement::bind(int index, const QVariant &value) {
    if (value.isNull()) {
        bindNull(index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        bindInt(index, value.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
        bindInt(index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    case QMetaType::QDate:
        bindText(index, value.toDate().toString(Qt::ISODate));
        break;
    default:
        bindText(index, value.toString());
        break;
    }
}

void SqliteStatement::bindText(int index, const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bindInt(int index, qint64 value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void SqliteStatement::bindNull(int index) {
    sqlite3_bind_null(m_stmt, index);
}

void SqliteStatement::clearBindings() {
    sqlite3_clear_bindings(m_stmt);
}

bool SqliteStatement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    const CorvaneError error = EngineError::fromConnection(m_db, rc, QString());
    sqlite3_reset(m_stmt);
    throw error;
}

void SqliteStatement::reset() {
    if (m_stmt != nullptr) {
        sqlite3_reset(m_stmt);
    }
}

bool SqliteStatement::isActive() const {
    return m_stmt != nullptr && sqlite3_stmt_busy(m_stmt) != 0;
}

int SqliteStatement::columnCount() const {
    return sqlite3_column_count(m_stmt);
}

bool SqliteStatement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 SqliteStatement::columnInt(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QString SqliteStatement::columnText(int column) const {
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    if (text == nullptr) {
        return QString();
    }
    return QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column));
}

QVariant SqliteStatement::columnValue(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(columnInt(column));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    default:
        return QVariant(columnText(column));
    }
}

void SqliteStatement::execute() {
    StatementReset guard(*this);
    while (step()) {
    }
}

} // namespace corvane

// SQLite connections in exclusive, shared and in-memory modes.
#include "db/SqliteDatabase.h"

#include "base/LetterCase.h"

#include "db/DamageNote.h"
#include "db/EngineError.h"
#include "db/SqliteStatement.h"

#include <sqlite3.h>

namespace corvane {

namespace {
int busyHandler(void *, int count) {
    if (count >= SqliteDatabase::BusyRetries) {
        return 0;
    }
    sqlite3_sleep(SqliteDatabase::BusyIntervalMs);
    return 1;
}
} // namespace

SqliteDatabase::~SqliteDatabase() {
    close();
}

void SqliteDatabase::open(const QString &path, Access access, bool create) {
    close();
    m_access = access;
    m_path = access == Access::Memory ? QStringLiteral(":memory:") : path;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE;
    if (create || access == Access::Memory) {
        flags |= SQLITE_OPEN_CREATE;
    }
    const QByteArray file = m_path.toUtf8();
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(file.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const CorvaneError error = EngineError::fromConnection(db, rc, m_path);
        sqlite3_close(db);
        throw error;
    }
    m_db = db;
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_handler(m_db, busyHandler, nullptr);
    try {
        const int registered =
            sqlite3_create_collation_v2(m_db, CaseCollation, SQLITE_UTF8, nullptr, compareCase, nullptr);
        if (registered != SQLITE_OK) {
            throw EngineError::fromConnection(m_db, registered, m_path);
        }
        applyMode();
    } catch (const CorvaneError &error) {
        close();
        if (EngineError::isBusy(error.code())) {
            throw EngineError::heldByAnotherUser(path);
        }
        throw;
    }
}

int SqliteDatabase::compareCase(void *, int aSize, const void *a, int bSize, const void *b) {
    return LetterCase::compareUtf8(static_cast<const char *>(a), aSize, static_cast<const char *>(b), bSize);
}

void SqliteDatabase::applyMode() {
    if (m_access == Access::Recovery) {
        // Lets SQLite read what it can of a file shorter than its header says, as its own recovery does.
        // Nothing is ever written through a recovery connection.
        exec(QStringLiteral("PRAGMA writable_schema=ON"));
        return;
    }
    exec(QStringLiteral("PRAGMA page_size=4096; PRAGMA secure_delete=ON; PRAGMA cache_size=-65536;"));
    switch (m_access) {
    case Access::Exclusive:
        // Exclusive locking before the WAL is first touched keeps its index in heap memory; the immediate
        // transaction takes the write lock now, so that a second process is refused at once and not only
        // after this one's first write.
        exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"
                            "PRAGMA mmap_size=1073741824; BEGIN IMMEDIATE; COMMIT;"));
        break;
    case Access::Shared:
        exec(QStringLiteral("PRAGMA locking_mode=NORMAL; PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;"
                            "PRAGMA mmap_size=0;"));
        queryInt(QStringLiteral("SELECT count(*) FROM sqlite_schema"));
        break;
    case Access::Memory:
    case Access::Recovery:
        break;
    }
}

void SqliteDatabase::close() noexcept {
    if (m_db == nullptr) {
        return;
    }
    if (m_access == Access::Exclusive) {
        sqlite3_exec(m_db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    }
    if (sqlite3_close(m_db) != SQLITE_OK) {
        sqlite3_close_v2(m_db);
    }
    m_db = nullptr;
    m_progress = nullptr;
}

void SqliteDatabase::exec(const QString &sql) {
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_exec(m_db, utf8.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        throw EngineError::fromConnection(m_db, rc, sql);
    }
}

qint64 SqliteDatabase::queryInt(const QString &sql, qint64 fallback) {
    SqliteStatement statement(m_db, sql);
    StatementReset guard(statement);
    return statement.step() ? statement.columnInt(0) : fallback;
}

QStringList SqliteDatabase::columnNames(const QString &table) {
    SqliteStatement statement(m_db, QStringLiteral("SELECT name FROM pragma_table_info(?1) ORDER BY cid"));
    StatementReset guard(statement);
    statement.bindText(1, table);
    QStringList names;
    while (statement.step()) {
        names.append(statement.columnText(0));
    }
    return names;
}

void SqliteDatabase::begin() {
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void SqliteDatabase::commit() {
    exec(QStringLiteral("COMMIT"));
}

void SqliteDatabase::rollback() noexcept {
    if (m_db != nullptr && sqlite3_get_autocommit(m_db) == 0) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

bool SqliteDatabase::inTransaction() const {
    return m_db != nullptr && sqlite3_get_autocommit(m_db) == 0;
}

void SqliteDatabase::flush() {
    if (m_access != Access::Exclusive) {
        return;
    }
    SqliteStatement statement(m_db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    StatementReset guard(statement);
    if (statement.step() && statement.columnInt(0) != 0) {
        throw CorvaneError(
            QStringLiteral("The changes to %1 could not all be written to disk: the file is busy").arg(m_path),
            SQLITE_BUSY);
    }
}

void SqliteDatabase::checkIntegrity() {
    SqliteStatement statement(m_db, QStringLiteral("PRAGMA quick_check(1)"));
    StatementReset guard(statement);
    if (statement.step()) {
        const QString result = statement.columnText(0);
        if (result != QLatin1String("ok")) {
            DamageNote::note(m_path, result);
            throw CorvaneError(QStringLiteral("%1 is damaged: %2").arg(m_path, result), EngineError::FileDamaged);
        }
    }
}

void SqliteDatabase::checkOpening() {
    if (m_access == Access::Memory || m_access == Access::Recovery) {
        return;
    }
    // An index whose collation this program does not have would make every later change of its table
    // fail: the engine's own error for it is raised now, by naming each collation once.
    QStringList collations;
    {
        SqliteStatement statement(m_db, QStringLiteral("SELECT DISTINCT x.coll FROM sqlite_schema AS s, "
                                                       "pragma_index_xinfo(s.name) AS x WHERE s.type = 'index' "
                                                       "AND x.coll IS NOT NULL"));
        StatementReset guard(statement);
        while (statement.step()) {
            collations.append(statement.columnText(0));
        }
    }
    for (const QString &collation : collations) {
        QString quoted = collation;
        SqliteStatement probe(m_db, QStringLiteral("SELECT '' < '' COLLATE \"%1\"")
                                        .arg(quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""))));
    }
    // SQLite itself refuses a file shorter than its header says when it first reads it; what it cannot see
    // without reading every page is left to the full check, run only when damage was noted.
    if (DamageNote::noted(m_path)) {
        checkIntegrity();
        DamageNote::clear(m_path);
    }
}

int SqliteDatabase::progressCallback(void *self) {
    auto *database = static_cast<SqliteDatabase *>(self);
    if (database->m_progress) {
        database->m_progress();
    }
    return 0;
}

void SqliteDatabase::setProgressHandler(int interval, std::function<void()> handler) {
    m_progress = std::move(handler);
    if (m_progress) {
        sqlite3_progress_handler(m_db, interval, progressCallback, this);
    } else {
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
    }
}

qint64 SqliteDatabase::lastInsertRowid() const {
    return sqlite3_last_insert_rowid(m_db);
}

int SqliteDatabase::changes() const {
    return sqlite3_changes(m_db);
}

} // namespace corvane

// One SQLite connection to one table file (or to memory) in one of Corvane's three access modes, with the
// lock retries, journal, sync and cache settings of that mode, transactions, the durable flush and the
// integrity check used when a table is opened.
//
// Exclusive: locking_mode EXCLUSIVE with the write lock taken at once, so that every other process is
//   refused; WAL journal (its index in heap memory, no shared-memory file) with synchronous NORMAL, a 64 MB
//   page cache and memory-mapped reads. A committed change survives a crash of the program at once and a
//   crash of the system after the next checkpoint, which SaveDatabase forces (and SQLite runs by itself
//   every 1000 pages). Closing checkpoints, returns the file to the rollback journal and drops the WAL.
// Shared: normal locking, rollback journal, synchronous FULL (every commit is on disk when it returns),
//   no memory mapping (the file may be on a network share), the same page cache.
// Memory: a private in-memory database.
// Recovery: the file as it is found, with normal locking and none of the settings above changed, for
//   reading a damaged file without writing to it (beyond SQLite's own rollback of an interrupted change).
// Every mode retries a refused lock 15 times, 100 ms apart, before failing, and every connection knows the
// collation CORVANECASE (LetterCase: letter case ignored beyond ASCII too), which the text fields that
// ignore letter case are declared with.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

struct sqlite3;

namespace corvane {

class SqliteDatabase {
public:
    enum class Access { Exclusive, Shared, Memory, Recovery };

    // The name of Corvane's collation, for COLLATE clauses.
    static constexpr const char *CaseCollation = "CORVANECASE";

    static constexpr int BusyRetries = 15;
    static constexpr int BusyIntervalMs = 100;

    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase &) = delete;
    SqliteDatabase &operator=(const SqliteDatabase &) = delete;

    // Opens `path` (ignored for Memory), creating the file when `create` is set. Raises CorvaneError:
    // 11013 when another process holds the file, a damage code when the file is not a readable database,
    // SQLite's code for anything else (14 when the file is missing and `create` is off). On failure the
    // connection stays closed.
    void open(const QString &path, Access access, bool create);
    // Closes the connection; in exclusive mode first checkpoints and returns the file to the rollback
    // journal. Never raises; a failed checkpoint leaves the WAL file for SQLite to recover at the next open.
    void close() noexcept;

    bool isOpen() const { return m_db != nullptr; }
    sqlite3 *handle() const { return m_db; }
    Access access() const { return m_access; }
    QString path() const { return m_path; }

    // Runs one or more statements that return no rows. Raises CorvaneError.
    void exec(const QString &sql);
    // The first column of the first row of `sql`, or `fallback` when there is no row. Raises CorvaneError.
    qint64 queryInt(const QString &sql, qint64 fallback = 0);
    // The column names of `table` in order; empty when there is no such table. Raises CorvaneError.
    QStringList columnNames(const QString &table);

    // BEGIN IMMEDIATE (the write lock, holding off other writers), COMMIT and ROLLBACK. begin and commit
    // raise CorvaneError; rollback never raises.
    void begin();
    void commit();
    void rollback() noexcept;
    bool inTransaction() const;

    // Makes every committed change durable: in exclusive mode a full WAL checkpoint (WAL synced, then the
    // file synced, WAL truncated); in shared mode every commit already is. Raises CorvaneError when the
    // checkpoint could not complete.
    void flush();
    // Runs SQLite's structural check of every b-tree of the file. Raises CorvaneError with code 8962 when
    // the file is damaged, or the engine's error when the check cannot run.
    void checkIntegrity();
    // The check at opening, which costs the same for any size of file: the full structural check runs only
    // when an earlier operation noted damage (DamageNote); the note is removed when the file passes it.
    // Raises CorvaneError. (A file shorter than its header says is refused by SQLite at its first read.)
    void checkOpening();

    // Called about every `interval` virtual-machine instructions while a statement runs (null to remove).
    void setProgressHandler(int interval, std::function<void()> handler);

    qint64 lastInsertRowid() const;
    int changes() const;

private:
    void applyMode();
    static int compareCase(void *, int aSize, const void *a, int bSize, const void *b);
    static int progressCallback(void *self);
    sqlite3 *m_db = nullptr;
    Access m_access = Access::Shared;
    QString m_path;
    std::function<void()> m_progress;
};

} // namespace corvane

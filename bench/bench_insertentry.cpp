// Adding addresses one request at a time through insertentry (locate, validity and blocked-address checks,
// append, one commit and one activity-log line each) into a list that already holds a million entries,
// against a plain SQLite loop doing a case-insensitive SELECT and an INSERT per address, each committed on
// its own, in the same journal, locking and sync mode as the list database. Both run in the same process on
// the same disk, taking turns in blocks (the rounds). Prints min / median / max of both rates and of their ratio.
//
// Usage: bench_insertentry [existing entries] [added addresses] [blocked addresses]
//        (defaults 1000000, 100000 and 100000: a list that has seen many unsubscribers)
#include "BenchPrompt.h"
#include "BenchRounds.h"
#include "base/AppPaths.h"
#include "db/SqliteDatabase.h"
#include "db/TableSchema.h"
#include "db/TdmML.h"
#include "requests/EntryRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

using namespace corvane;

namespace {

QString newAddress(int i) {
    return QStringLiteral("new%1.reader@new-members.example.org").arg(i);
}

// The SQL that fills tblML with `count` entries in one statement (one transaction).
QString fillSql(qint64 count) {
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                          "INSERT INTO tblML (Item, Category, Bounces, Comments, Name, Salutation, SendRights) "
                          "SELECT 'member' || i || '@list.example.com', 'Cat' || (i % 20), 0, 'imported', "
                          "'Member ' || i, 'Member', 1 FROM n")
        .arg(count);
}

// The plain loop: its own database file built like the list database, opened with the same pragmas as an
// exclusive opening, with one prepared SELECT and INSERT reused for every address.
class PlainLoop {
public:
    bool open(const QString &file, qint64 existing) {
        // Opened like the list (same pragmas, and the list's collation registered), then used directly.
        try {
            m_database.open(file, SqliteDatabase::Access::Exclusive, true);
        } catch (const CorvaneError &error) {
            std::printf("open failed: %s\n", qPrintable(error.message()));
            return false;
        }
        m_db = m_database.handle();
        const QByteArray setup = (TableSchema::listTable().createTableSql() + QLatin1Char(';') +
                                  TableSchema::listTable().createIndexesSql() + QStringLiteral("BEGIN;") +
                                  fillSql(existing) + QStringLiteral("; COMMIT;"))
                                     .toUtf8();
        return check(sqlite3_exec(m_db, setup.constData(), nullptr, nullptr, nullptr), "fill") &&
               check(
                   sqlite3_prepare_v2(m_db, "SELECT rowid FROM tblML WHERE Item = ?1 LIMIT 1", -1, &m_select, nullptr),
                   "prepare") &&
               check(sqlite3_prepare_v2(m_db,
                                        "INSERT INTO tblML (Item, Category, Bounces, Comments, Name, Salutation, "
                                        "SendRights) VALUES (?1, ?2, 0, ?3, '', '', 0)",
                                        -1, &m_insert, nullptr),
                     "prepare");
    }

    ~PlainLoop() {
        sqlite3_finalize(m_select);
        sqlite3_finalize(m_insert);
    }

    // Looks the address up and inserts it when missing, committing on its own. False on failure.
    bool add(const QString &address) {
        const QByteArray utf8 = address.toUtf8();
        sqlite3_bind_text(m_select, 1, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
        const bool found = sqlite3_step(m_select) == SQLITE_ROW;
        sqlite3_reset(m_select);
        if (found) {
            return true;
        }
        sqlite3_bind_text(m_insert, 1, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 2, "News", 4, SQLITE_STATIC);
        sqlite3_bind_text(m_insert, 3, "bench", 5, SQLITE_STATIC);
        const bool ok = check(sqlite3_step(m_insert), "insert");
        sqlite3_reset(m_insert);
        return ok;
    }

private:
    bool check(int rc, const char *what) {
        if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
            std::printf("%s failed: %s\n", what, sqlite3_errmsg(m_db));
            return false;
        }
        return true;
    }

    SqliteDatabase m_database;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_select = nullptr;
    sqlite3_stmt *m_insert = nullptr;
};

// The number of lines in the activity log.
qint64 logLines() {
    QFile file(ActivityLog::fileName());
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    return file.readAll().count("\r\n");
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 existing = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1'000'000;
    const int added = argc > 2 ? QByteArray(argv[2]).toInt() : 100'000;
    const int blocked = argc > 3 ? QByteArray(argv[3]).toInt() : 100'000;

    QTemporaryDir work(QDir::currentPath() + QStringLiteral("/bench_insertentry-XXXXXX"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path() + QStringLiteral("/settings"));
    AppPaths::setApplicationDirectory(work.path() + QStringLiteral("/home"));
    QDir().mkpath(work.path() + QStringLiteral("/db"));

    BenchPrompt prompt;
    TdmML dm(prompt);
    dm.OpenDatabase(work.path() + QStringLiteral("/db"));
    if (!dm.DatabaseLoaded()) {
        std::printf("the list database could not be created\n");
        return 1;
    }
    SqliteTable &table = dm.tblML();
    QElapsedTimer fill;
    fill.start();
    table.database().exec(QStringLiteral("BEGIN;") + fillSql(existing) + QStringLiteral("; COMMIT;"));
    table.first();
    std::printf("list database: %lld entries in %.1f s\n", static_cast<long long>(table.recordCount()),
                double(fill.elapsed()) / 1000);

    Settings settings;
    settings.MaintainLog = true;
    QStringList blockedAddresses;
    for (int i = 0; i < blocked; ++i) {
        blockedAddresses.append(QStringLiteral("gone%1@unsubscribed.example").arg(i));
    }
    settings.BlockedAddresses.setItems(blockedAddresses);
    ActivityLog log(settings);
    ErrorsList errors;
    Acknowledger acknowledger;
    EntryRules rules(table, settings, log, errors, prompt, acknowledger);

    PlainLoop plain;
    if (!plain.open(work.path() + QStringLiteral("/plain.db"), existing)) {
        std::printf("the plain database could not be built\n");
        return 1;
    }

    // The two loops take turns in blocks, so that a burst of other load on the machine or a checkpoint of the
    // disk cache falls on both alike; each block is a round.
    constexpr int Block = 2000;
    std::vector<double> entrySeconds;
    std::vector<double> plainSeconds;
    bool failed = false;
    for (int start = 0; start < added && !failed; start += Block) {
        const int end = std::min(added, start + Block);
        entrySeconds.push_back(bench::seconds([&] {
            for (int i = start; i < end; ++i) {
                rules.insertentry(true, newAddress(i), QStringLiteral("News"), QString(), QString(),
                                  QStringLiteral("bench"), 0, false, false);
            }
        }));
        plainSeconds.push_back(bench::seconds([&] {
            for (int i = start; i < end && !failed; ++i) {
                failed = !plain.add(newAddress(i));
            }
        }));
    }
    if (failed) {
        return 1;
    }
    std::printf("insertentry: %d addresses (%lld entries now, %lld errors-list lines, %lld log lines), %zu rounds of "
                "%d\n",
                added, static_cast<long long>(table.recordCount()), static_cast<long long>(errors.lines().size()),
                static_cast<long long>(logLines()), entrySeconds.size(), Block);
    bench::printSpread("insertentry (adds/s)", bench::rates(entrySeconds, Block), "");
    bench::printSpread("plain SQLite loop (adds/s)", bench::rates(plainSeconds, Block), "");
    bench::printSpread("insertentry / plain loop (%)", bench::ratios(plainSeconds, entrySeconds), "%", 100);
    return 0;
}

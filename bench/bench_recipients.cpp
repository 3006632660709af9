// Computing the unique recipients of a send: the send dialog's computation (every entry, personalisation on,
// one ordered walk of the list appended to tblTemp with duplicates dropping out by its key) against a plain
// SQLite loop doing the same ordered walk with INSERT OR IGNORE into an in-memory table in one transaction,
// on the same connection. The two sides alternate over several rounds; prints rows per second of each per
// round and the min / median / max of their ratio.
//
// Usage: bench_recipients [entries] [rounds]   (defaults 1000000 and 3)
#include "BenchPrompt.h"
#include "BenchRounds.h"
#include "base/AppPaths.h"
#include "db/SqliteStatement.h"
#include "db/TdmML.h"
#include "send/RecipientChoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <vector>

using namespace corvane;

namespace {

// Fills the list with `entries` rows in one transaction: one address in ten appears a second time, in
// another category and in capitals, so that a tenth of the walk is dropped by the key.
void fill(SqliteTable &table, qint64 entries) {
    SqliteDatabase &db = table.database();
    db.begin();
    SqliteStatement insert(db.handle(), QStringLiteral("INSERT INTO tblML (Item, Category, Bounces, Comments, Name, "
                                                       "Salutation, SendRights) VALUES (?1, ?2, 0, ?3, ?4, ?5, 1)"));
    const qint64 unique = entries - entries / 10;
    for (qint64 i = 0; i < entries; ++i) {
        const bool repeat = i >= unique;
        const qint64 n = repeat ? (i - unique) * 9 : i;
        QString address = QStringLiteral("member%1.reader@list%2.example.org").arg(n).arg(n % 37);
        if (repeat) {
            address = address.toUpper();
        }
        insert.bindText(1, address);
        insert.bindText(2, repeat ? QStringLiteral("Second") : QStringLiteral("News%1").arg(n % 5));
        insert.bindText(3, QStringLiteral("Imported"));
        insert.bindText(4, QStringLiteral(" Member Number %1 ").arg(n));
        insert.bindText(5, QStringLiteral("Reader%1").arg(n % 1000));
        insert.execute();
    }
    db.commit();
}

// The trimmed bytes of a text column (blanks and control characters cut at both ends).
void trimmed(sqlite3_stmt *statement, int column, const char *&text, int &size) {
    text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    size = sqlite3_column_bytes(statement, column);
    while (size > 0 && static_cast<unsigned char>(*text) <= ' ') {
        ++text;
        --size;
    }
    while (size > 0 && static_cast<unsigned char>(text[size - 1]) <= ' ') {
        --size;
    }
}

// The plain loop: the same ordered walk of tblML, each row trimmed and inserted with INSERT OR IGNORE into
// an in-memory table keyed like tblTemp, in one transaction. Returns the rows walked; `kept` the rows stored.
qint64 rawRun(sqlite3 *handle, qint64 &kept) {
    char *error = nullptr;
    const auto run = [&](const char *sql) {
        if (sqlite3_exec(handle, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            std::fprintf(stderr, "%s: %s\n", sql, error);
            sqlite3_free(error);
            std::exit(1);
        }
    };
    run("DROP TABLE IF EXISTS rawtemp.recipients");
    run("CREATE TABLE rawtemp.recipients (Email TEXT COLLATE CORVANECASE PRIMARY KEY, Name TEXT, Salutation TEXT)");
    run("BEGIN");
    sqlite3_stmt *walk = nullptr;
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(handle, "SELECT Item, Name, Salutation FROM tblML ORDER BY Item, rowid", -1, &walk, nullptr);
    sqlite3_prepare_v2(handle, "INSERT OR IGNORE INTO rawtemp.recipients (Email, Name, Salutation) VALUES (?, ?, ?)",
                       -1, &insert, nullptr);
    qint64 rows = 0;
    while (sqlite3_step(walk) == SQLITE_ROW) {
        for (int column = 0; column < 3; ++column) {
            const char *text = nullptr;
            int size = 0;
            trimmed(walk, column, text, size);
            sqlite3_bind_text(insert, column + 1, text, size, SQLITE_TRANSIENT);
        }
        sqlite3_step(insert);
        sqlite3_reset(insert);
        ++rows;
    }
    sqlite3_finalize(walk);
    sqlite3_finalize(insert);
    run("COMMIT");
    sqlite3_stmt *count = nullptr;
    sqlite3_prepare_v2(handle, "SELECT count(*) FROM rawtemp.recipients", -1, &count, nullptr);
    sqlite3_step(count);
    kept = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
    return rows;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 entries = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1'000'000;
    const int rounds = std::max(1, argc > 2 ? QByteArray(argv[2]).toInt() : 3);
    QTemporaryDir work(QDir::currentPath() + QStringLiteral("/bench_recipients-XXXXXX"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path() + QStringLiteral("/settings"));
    AppPaths::setApplicationDirectory(work.path() + QStringLiteral("/home"));
    BenchPrompt prompt;
    TdmML dm(prompt);
    const QString dir = work.path() + QStringLiteral("/list");
    QDir().mkpath(dir);
    dm.OpenDatabase(dir);
    if (!dm.DatabaseLoaded()) {
        std::printf("the list database could not be created\n");
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    fill(dm.tblML(), entries);
    std::printf("%lld entries written in %.1f s\n", static_cast<long long>(entries), timer.nsecsElapsed() / 1e9);
    dm.tblML().setIndexFieldNames(QStringLiteral("Item"));
    dm.CreateTemporaryTables();
    sqlite3 *handle = dm.tblML().database().handle();
    if (sqlite3_exec(handle, "ATTACH DATABASE ':memory:' AS rawtemp", nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::printf("cannot attach the in-memory table of the plain loop\n");
        return 1;
    }

    RecipientChoice recipients(dm.tblML(), dm.tblTemp(), prompt);
    recipients.setChoice(RecipientChoice::Choice::All);
    recipients.rdballClick();
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        timer.start();
        recipients.btnrecalcClick(true);
        const double corvaneSeconds = timer.nsecsElapsed() / 1e9;
        const qint64 corvaneKept = dm.tblTemp().recordCount();
        if (recipients.stale()) {
            std::printf("the computation failed: %s\n", qPrintable(recipients.lblcount()));
            return 1;
        }
        qint64 rawKept = 0;
        timer.start();
        const qint64 rawRows = rawRun(handle, rawKept);
        const double rawSeconds = timer.nsecsElapsed() / 1e9;
        const double corvaneRate = entries / corvaneSeconds;
        const double rawRate = rawRows / rawSeconds;
        ratios.push_back(corvaneRate / rawRate);
        std::printf("round %d: Corvane %9.0f rows/s (%lld recipients)   plain SQLite %9.0f rows/s (%lld recipients)"
                    "   ratio %5.1f %%\n",
                    round + 1, corvaneRate, static_cast<long long>(corvaneKept), rawRate,
                    static_cast<long long>(rawKept), 100 * corvaneRate / rawRate);
        std::fflush(stdout);
        if (corvaneKept != rawKept) {
            std::printf("the two sides kept different numbers of recipients\n");
            return 1;
        }
    }
    std::printf("Corvane / plain SQLite over %d rounds: min %.1f %%, median %.1f %%, max %.1f %% (target >= 50 %%)\n",
                rounds, 100 * *std::min_element(ratios.begin(), ratios.end()), 100 * bench::spread(ratios).median,
                100 * *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}

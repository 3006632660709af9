// Benchmark of the list table on 1,000,000 entries: the navigational table against plain SQLite loops over
// the same statements on the same connection. (a) walking in the default order (Item, letter case
// ignored) reading every field; (b) locating by Item, letter case ignored, 100,000 times; (c) appending
// 100,000 entries each committed on its own, in exclusive mode (WAL, synchronous NORMAL), and 2,000 in
// shared mode (rollback journal, synchronous FULL); (d) a category prefix filter (count and the first 1,000
// rows of the filtered view) against a full scan of the table. Prints rows per second and the ratio to
// plain SQLite, and for (d) the times and min / median / max of the ratio over alternating rounds; (e) the
// time to open a million-row file written with SQLite's NOCASE, which rebuilds it with CORVANECASE.
// (f) to (h), the list view's filter changes, pages and groups, are in ListGridBench.h and run (alone) with
// --grid. Categories: every other entry is in "news", one in 1,000 in "small", one in 40 in "edge", the rest
// in "list0" to "list12".
// Usage: bench_listdb [--filter-only | --grid] [directory for the 150 MB test file]
#include "ListGridBench.h"
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

using namespace corvane;

namespace {
constexpr int Entries = 1000000;
constexpr int Locates = 100000;
constexpr int ExclusiveAppends = 100000;
constexpr int SharedAppends = 2000;

QString item(int i) {
    return QStringLiteral("user%1.%2@example%3.com")
        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
        .arg(i)
        .arg(i % 97);
}

// Seconds taken by `work`.
double timed(const std::function<void()> &work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// The shorter of two runs of each, alternating, so that a busy machine and a cold cache favour neither.
void bestOfTwo(const std::function<void()> &api, const std::function<void()> &raw, double &apiTime, double &rawTime) {
    apiTime = timed(api);
    rawTime = timed(raw);
    apiTime = std::min(apiTime, timed(api));
    rawTime = std::min(rawTime, timed(raw));
}

void report(const char *what, qint64 rows, double api, double raw) {
    const double apiRate = static_cast<double>(rows) / api;
    const double rawRate = static_cast<double>(rows) / raw;
    std::printf("%s\n    table API %10.0f rows/s   plain SQLite %10.0f rows/s   ratio %3.0f%%\n", what, apiRate,
                rawRate, 100.0 * apiRate / rawRate);
    std::fflush(stdout);
}

// Writes the million-row list file: the table and its rows in one transaction, the indexes built after.
// `oldCollation` declares the text fields as files written before CORVANECASE did (NOCASE).
void generate(const QString &file, bool oldCollation = false) {
    SqliteDatabase db;
    db.open(file, SqliteDatabase::Access::Exclusive, true);
    db.begin();
    QString create = TableSchema::listTable().createTableSql();
    if (oldCollation) {
        create.replace(QLatin1String(SqliteDatabase::CaseCollation), QStringLiteral("NOCASE"));
    }
    db.exec(create);
    SqliteStatement insert(db.handle(), QStringLiteral("INSERT INTO tblML (Item, Category, Bounces, Comments, Name, "
                                                       "Salutation, SendRights) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
    for (int i = 0; i < Entries; ++i) {
        insert.bindText(1, item(i));
        insert.bindText(2, i % 2 == 0      ? QStringLiteral("news")
                           : i % 1000 == 1 ? QStringLiteral("small")
                           : i % 40 == 3   ? QStringLiteral("edge")
                                           : QStringLiteral("list%1").arg(i % 13));
        insert.bindInt(3, i % 5);
        insert.bindText(4, QStringLiteral("Entered %1").arg(i));
        insert.bindText(5, QStringLiteral("Member %1").arg(i % 1000));
        insert.bindText(6, QStringLiteral("Member"));
        insert.bindInt(7, i % 2);
        insert.execute();
    }
    db.exec(TableSchema::listTable().createIndexesSql());
    db.commit();
}

void benchWalk(SqliteTable &table) {
    const QStringList names{"Index", "Item", "Category", "Bounces", "Comments", "Name", "Salutation", "SendRights"};
    qint64 apiRows = 0;
    qint64 checksum = 0;
    const auto apiWalk = [&] {
        apiRows = 0;
        for (table.first(); !table.eof(); table.next()) {
            for (const QString &name : names) {
                const QVariant value = table.field(name);
                checksum += value.typeId() == QMetaType::QString ? value.toString().size() : value.toInt();
            }
            ++apiRows;
        }
    };
    qint64 rawRows = 0;
    qint64 rawChecksum = 0;
    const auto rawWalk = [&] {
        rawRows = 0;
        SqliteStatement walk(table.database().handle(),
                             QStringLiteral("SELECT rowid, %1 FROM tblML ORDER BY Item, rowid")
                                 .arg(TableSchema::listTable().columnList()));
        sqlite3_stmt *statement = walk.handle();
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 1; column <= 8; ++column) {
                if (sqlite3_column_type(statement, column) == SQLITE_TEXT) {
                    sqlite3_column_text(statement, column);
                    rawChecksum += sqlite3_column_bytes(statement, column);
                } else {
                    rawChecksum += sqlite3_column_int(statement, column);
                }
            }
            ++rawRows;
        }
    };
    double api = 0;
    double raw = 0;
    bestOfTwo(apiWalk, rawWalk, api, raw);
    if (apiRows != Entries || rawRows != Entries) {
        std::printf("walk saw %lld and %lld rows\n", static_cast<long long>(apiRows), static_cast<long long>(rawRows));
    }
    report("(a) walk 1,000,000 entries in Item order (letter case ignored), reading every field", Entries, api, raw);
}

void benchLocate(SqliteTable &table) {
    QStringList wanted;
    for (const TableRow &row : table.rowsAt(0, Entries)) {
        if (QRandomGenerator::global()->bounded(10) == 0 && wanted.size() < Locates) {
            wanted.append(row.values.at(1).toString().toUpper());
        }
    }
    while (wanted.size() < Locates) {
        wanted.append(wanted.at(wanted.size() % 1000));
    }
    std::shuffle(wanted.begin(), wanted.end(), *QRandomGenerator::global());
    int found = 0;
    const auto apiLocate = [&] {
        found = 0;
        for (const QString &value : wanted) {
            found += table.locate(QStringLiteral("Item"), value) ? 1 : 0;
        }
    };
    int rawFound = 0;
    const auto rawLocate = [&] {
        rawFound = 0;
        SqliteStatement query(
            table.database().handle(),
            QStringLiteral("SELECT rowid, %1 FROM tblML WHERE Item = ?1 COLLATE %2 ORDER BY Item, "
                           "rowid LIMIT 1")
                .arg(TableSchema::listTable().columnList(), QLatin1String(SqliteDatabase::CaseCollation)));
        sqlite3_stmt *statement = query.handle();
        for (const QString &value : wanted) {
            const QByteArray utf8 = value.toUtf8();
            sqlite3_bind_text(statement, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_STATIC);
            if (sqlite3_step(statement) == SQLITE_ROW) {
                for (int column = 1; column <= 8; ++column) {
                    sqlite3_column_text(statement, column);
                }
                ++rawFound;
            }
            sqlite3_reset(statement);
        }
    };
    double api = 0;
    double raw = 0;
    bestOfTwo(apiLocate, rawLocate, api, raw);
    if (found != Locates || rawFound != Locates) {
        std::printf("locate found %d and %d\n", found, rawFound);
    }
    report("(b) locate by Item (letter case ignored) 100,000 times", Locates, api, raw);
}

// (d) The filtered view of the categories beginning with "LIST7" (letter case ignored, about 37,000 rows): its
// record count and its first 1,000 rows, against the same count taken by a scan of every row.
// (e) A filter that keeps many rows (categories beginning with "LIST1": about 146,000) in a view ordered by the
// address: the time to the first 256 rows of the view after the filter is switched on.
void benchBroadFilter(SqliteTable &table) {
    constexpr int Rounds = 7;
    table.setIndexFieldNames(QStringLiteral("Item"));
    table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("LIST1")));
    QList<double> times;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        table.setFiltered(false);
        table.setFiltered(true);
        int read = 0;
        for (table.first(); !table.eof() && read < 256; table.next()) {
            ++read;
        }
        times.append(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("(e) filter \"LIST1\" ordered by address: first 256 rows min %.1f ms median %.1f ms max %.1f ms\n",
                times.first(), times.at(Rounds / 2), times.last());
    table.setFiltered(false);
    std::fflush(stdout);
}

void benchFilter(SqliteTable &table) {
    constexpr int Rounds = 7;
    constexpr int PageRows = 1000;
    table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("LIST7")));
    table.setIndexFieldNames(QStringLiteral("Category"));
    qint64 apiCount = 0;
    const auto api = [&] {
        table.setFiltered(false);
        table.setFiltered(true);
        apiCount = table.recordCount();
        int read = 0;
        for (table.first(); !table.eof() && read < PageRows; table.next()) {
            ++read;
        }
    };
    qint64 scanCount = 0;
    const auto scan = [&] {
        scanCount = table.database().queryInt(QStringLiteral(
            "SELECT count(*) FROM tblML WHERE lower(+Category) >= 'list7' AND lower(+Category) < 'list8'"));
    };
    QList<double> apiTimes;
    QList<double> ratios;
    double scanTime = 0;
    for (int round = 0; round < Rounds; ++round) {
        const double a = timed(api);
        const double s = timed(scan);
        apiTimes.append(a);
        scanTime = round == 0 ? s : std::min(scanTime, s);
        ratios.append(s / a);
    }
    table.setFiltered(false);
    table.setIndexFieldNames(QStringLiteral("Item"));
    std::sort(apiTimes.begin(), apiTimes.end());
    std::sort(ratios.begin(), ratios.end());
    if (apiCount != scanCount) {
        std::printf("filter counted %lld and %lld rows\n", static_cast<long long>(apiCount),
                    static_cast<long long>(scanCount));
    }
    std::printf("(d) category prefix filter \"LIST7\" (%lld of 1,000,000 rows): count and first %d rows\n"
                "    filtered view min %.1f ms median %.1f ms max %.1f ms   full scan %.1f ms\n"
                "    scan time / view time: min %.1f median %.1f max %.1f\n",
                static_cast<long long>(apiCount), PageRows, apiTimes.first() * 1e3, apiTimes.at(Rounds / 2) * 1e3,
                apiTimes.last() * 1e3, scanTime * 1e3, ratios.first(), ratios.at(Rounds / 2), ratios.last());
    std::fflush(stdout);
}

void benchAppend(SqliteTable &table, int count, const char *what) {
    const double api = timed([&] {
        for (int i = 0; i < count; ++i) {
            table.appendRecord({item(i), QStringLiteral("appended"), 0, QStringLiteral("api"),
                                QStringLiteral("New Member"), QStringLiteral("New"), true});
        }
    });
    const double raw = timed([&] {
        SqliteStatement insert(table.database().handle(),
                               QStringLiteral("INSERT INTO tblML (Item, Category, Bounces, Comments, Name, Salutation, "
                                              "SendRights) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
        sqlite3_stmt *statement = insert.handle();
        for (int i = 0; i < count; ++i) {
            const QByteArray utf8 = item(i).toUtf8();
            sqlite3_bind_text(statement, 1, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_STATIC);
            sqlite3_bind_text(statement, 2, "appended", -1, SQLITE_STATIC);
            sqlite3_bind_int(statement, 3, 0);
            sqlite3_bind_text(statement, 4, "raw", -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 5, "New Member", -1, SQLITE_STATIC);
            sqlite3_bind_text(statement, 6, "New", -1, SQLITE_STATIC);
            sqlite3_bind_int(statement, 7, 1);
            if (sqlite3_step(statement) != SQLITE_DONE) {
                std::printf("raw insert failed: %s\n", sqlite3_errmsg(table.database().handle()));
                return;
            }
            sqlite3_reset(statement);
        }
    });
    report(what, count, api, raw);
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool filterOnly = arguments.removeAll(QStringLiteral("--filter-only")) > 0;
    const bool gridOnly = arguments.removeAll(QStringLiteral("--grid")) > 0;
    QTemporaryDir dir(!arguments.isEmpty() ? arguments.first() + QStringLiteral("/bench-XXXXXX") : QString());
    const QString file = dir.filePath(QStringLiteral("mailist.DAT"));
    try {
        std::printf("generating 1,000,000 entries in one transaction: %.1f s\n", timed([&] { generate(file); }));
        SqliteTable table(TableSchema::listTable());
        table.open(file, SqliteDatabase::Access::Exclusive);
        if (gridOnly) {
            constexpr int Rounds = 5;
            gridbench::benchFilteredGrid(table, QStringLiteral("news"), false, Rounds);
            gridbench::benchFilteredGrid(table, QStringLiteral("small"), true, Rounds);
            gridbench::benchFilteredGrid(table, QStringLiteral("edge"), true, Rounds);
            gridbench::benchGroup(table, QStringLiteral("news"), false, 3, 30000);
            gridbench::benchGroup(table, QStringLiteral("small"), true, 3, 30000);
            return 0;
        }
        benchFilter(table);
        benchBroadFilter(table);
        if (filterOnly) {
            return 0;
        }
        benchWalk(table);
        benchLocate(table);
        benchAppend(table, ExclusiveAppends,
                    "(c) append 100,000 entries, each committed on its own, exclusive (WAL, synchronous NORMAL)");
        table.close();
        table.open(file, SqliteDatabase::Access::Shared);
        benchAppend(table, SharedAppends,
                    "(c) append 2,000 entries, each committed on its own, shared (rollback journal, synchronous FULL)");
        table.close();
        const QString old = dir.filePath(QStringLiteral("old.DAT"));
        generate(old, true);
        std::printf("(e) opening a 1,000,000-entry file declared with NOCASE (rebuilt with CORVANECASE): %.1f s\n",
                    timed([&] { table.open(old, SqliteDatabase::Access::Exclusive); }));
    } catch (const CorvaneError &error) {
        std::printf("failed: %s (%d)\n", qPrintable(error.message()), error.code());
        return 1;
    }
    return 0;
}

// The list table's view as the grid reads it: the count taken once and reused until the table changes,
// pages in view order whichever way they are reached (by key from a neighbour, by position from either
// end), equal addresses across page boundaries, rows changed by another copy between pages, and the
// keyset pages of a group.
#include "DbTestSupport.h"

#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

using namespace corvane;
using namespace corvane::test;

namespace {
constexpr int Rows = 3000;
constexpr int Page = 256;

struct Entry {
    qint64 rowid;
    QString item;
    QString category;
};

// Each address three times (in either letter case), in "news", "News" (or, one time in five, "rare") and
// "sports", appended in reverse address order so that key order and address order differ.
QList<Entry> fill(SqliteTable &table) {
    QList<Entry> entries;
    table.lockTable();
    for (int i = Rows - 1; i >= 0; --i) {
        const QString item =
            QString::fromLatin1(i % 2 == 0 ? "user%1@x.org" : "USER%1@x.org").arg(i / 3, 4, 10, QLatin1Char('0'));
        const QString category = i % 3 == 0    ? QStringLiteral("news")
                                 : i % 3 == 2  ? QStringLiteral("sports")
                                 : i % 15 == 1 ? QStringLiteral("rare")
                                               : QStringLiteral("News");
        table.appendRecord({item, category, 0});
        entries.append({table.currentRow().rowid, item, category});
    }
    table.unlockTable();
    return entries;
}

// The rowids of `entries` that `keep` takes, in address order, equal addresses by rowid.
QList<qint64> expected(QList<Entry> entries, const std::function<bool(const Entry &)> &keep) {
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        const int order = a.item.compare(b.item, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.rowid < b.rowid;
    });
    QList<qint64> rowids;
    for (const Entry &entry : entries) {
        if (keep(entry)) {
            rowids.append(entry.rowid);
        }
    }
    return rowids;
}

bool inPrefixes(const Entry &entry, const QStringList &prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const QString &p) { return entry.category.startsWith(p, Qt::CaseInsensitive); });
}

QList<qint64> rowids(const QList<TableRow> &rows) {
    QList<qint64> result;
    for (const TableRow &row : rows) {
        result.append(row.rowid);
    }
    return result;
}
} // namespace

class TestTableView : public QObject {
    Q_OBJECT

private slots:
    void countReusedUntilChange_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("difference");
        QTest::newRow("append through the table") << "append" << 1;
        QTest::newRow("delete through the table") << "delete" << -1;
        QTest::newRow("statement on the table's connection") << "direct" << -1;
        QTest::newRow("another copy of the program") << "other" << -1;
        QTest::newRow("inside the table lock") << "locked" << 1;
    }
    void countReusedUntilChange() {
        QFETCH(QString, change);
        QFETCH(int, difference);
        QTemporaryDir dir;
        SqliteTable table(TableSchema::listTable());
        openListFile(table, dir, SqliteDatabase::Access::Shared);
        const QList<Entry> entries = fill(table);
        table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("news")));
        table.setFiltered(true);
        QCOMPARE(table.recordCount(), 1800);
        const quint64 taken = table.countsTaken();
        QCOMPARE(table.recordCount(), 1800);
        table.setIndexFieldNames(QStringLiteral("Category"));
        QCOMPARE(table.recordCount(), 1800);
        QCOMPARE(table.countsTaken(), taken);
        const qint64 newsRow = std::find_if(entries.begin(), entries.end(), [](const Entry &e) {
                                   return e.category == QLatin1String("news");
                               })->rowid;
        if (change == QLatin1String("append")) {
            table.appendRecord({QStringLiteral("z@x.org"), QStringLiteral("NEWS"), 0});
        } else if (change == QLatin1String("delete")) {
            QVERIFY(table.gotoRowid(newsRow));
            table.deleteRecord();
        } else if (change == QLatin1String("direct")) {
            table.database().exec(QStringLiteral("UPDATE tblML SET Category = 'sports' WHERE rowid = %1").arg(newsRow));
        } else if (change == QLatin1String("other")) {
            QCOMPARE(rawExec(dir.filePath(QStringLiteral("mailist.DAT")),
                             QStringLiteral("DELETE FROM tblML WHERE rowid = %1").arg(newsRow)),
                     SQLITE_OK);
        } else {
            table.lockTable();
            table.appendRecord({QStringLiteral("z@x.org"), QStringLiteral("news"), 0});
            QCOMPARE(table.recordCount(), 1801);
            table.database().exec(QStringLiteral("DELETE FROM tblML WHERE Item = 'z@x.org'"));
            // Counted afresh inside the pass: what it did may still change.
            QCOMPARE(table.recordCount(), 1800);
            table.appendRecord({QStringLiteral("z@x.org"), QStringLiteral("news"), 0});
            table.unlockTable();
        }
        QCOMPARE(table.recordCount(), 1800 + difference);
        const quint64 after = table.countsTaken();
        QVERIFY(after > taken);
        QCOMPARE(table.recordCount(), 1800 + difference);
        QCOMPARE(table.countsTaken(), after);
        table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("sp")));
        QCOMPARE(table.recordCount(), 1000 + (change == QLatin1String("direct") ? 1 : 0));
    }

    void pagesInViewOrder_data() {
        QTest::addColumn<QStringList>("prefixes");
        QTest::addColumn<QString>("reading");
        for (const char *reading : {"forward by key", "backward by key from the end", "jumps by position"}) {
            QTest::addRow("keeps many, %s", reading) << QStringList{"news"} << QString::fromLatin1(reading);
            QTest::addRow("keeps few, %s", reading) << QStringList{"rare"} << QString::fromLatin1(reading);
            QTest::addRow("two prefixes, %s", reading) << QStringList{"rare", "sp"} << QString::fromLatin1(reading);
            QTest::addRow("no filter, %s", reading) << QStringList{} << QString::fromLatin1(reading);
        }
    }
    void pagesInViewOrder() {
        QFETCH(QStringList, prefixes);
        QFETCH(QString, reading);
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        const QList<Entry> entries = fill(table);
        table.setFilter(TableFilter::prefixes(QStringLiteral("Category"), TableFilter::Mode::Include, prefixes));
        table.setFiltered(true);
        const QList<qint64> view =
            expected(entries, [&](const Entry &e) { return prefixes.isEmpty() || inPrefixes(e, prefixes); });
        const qint64 n = view.size();
        QCOMPARE(table.recordCount(), n);
        if (reading == QLatin1String("forward by key")) {
            QList<qint64> read;
            for (QList<TableRow> rows = table.rowsAt(0, Page); !rows.isEmpty();
                 rows = table.rowsAfter(rows.last(), Page)) {
                read += rowids(rows);
            }
            QCOMPARE(read, view);
            QList<qint64> walked;
            for (table.first(); !table.eof(); table.next()) {
                walked.append(table.currentRow().rowid);
            }
            QCOMPARE(walked, view);
        } else if (reading == QLatin1String("backward by key from the end")) {
            QList<qint64> read;
            for (QList<TableRow> rows = table.rowsFromEnd(0, Page); !rows.isEmpty();
                 rows = table.rowsBefore(rows.first(), Page)) {
                read = rowids(rows) + read;
            }
            QCOMPARE(read, view);
        } else {
            for (const qint64 offset : {qint64(3), qint64(Page * 2 + 5), n / 2, n - 100}) {
                QCOMPARE(rowids(table.rowsAt(offset, Page)), view.mid(offset, Page));
            }
            for (const qint64 position : {qint64(0), n / 3, n - 1}) {
                QCOMPARE(table.positionOf(view.at(position)), position);
            }
            for (const Entry &entry : entries) {
                if (!view.contains(entry.rowid)) {
                    QCOMPARE(table.positionOf(entry.rowid), -1);
                    break;
                }
            }
            for (const qint64 fromEnd : {qint64(7), n / 2, n - 10}) {
                const qint64 first = std::max<qint64>(0, n - fromEnd - Page);
                QCOMPARE(rowids(table.rowsFromEnd(fromEnd, Page)), view.mid(first, n - fromEnd - first));
            }
        }
    }

    void changesBetweenPages_data() {
        QTest::addColumn<QString>("prefix");
        QTest::newRow("keeps many") << "news";
        QTest::newRow("keeps few") << "rare";
    }
    void changesBetweenPages() {
        QFETCH(QString, prefix);
        QTemporaryDir dir;
        SqliteTable table(TableSchema::listTable());
        openListFile(table, dir, SqliteDatabase::Access::Shared);
        QList<Entry> entries = fill(table);
        table.setFilter(TableFilter::categories(TableFilter::Mode::Include, prefix));
        table.setFiltered(true);
        const auto keep = [&](const Entry &e) { return e.category.startsWith(prefix, Qt::CaseInsensitive); };
        QList<qint64> view = expected(entries, keep);
        const qint64 middle = view.size() / 2;
        const QList<TableRow> page = table.rowsAt(middle, 20);
        QCOMPARE(rowids(page), view.mid(middle, 20));
        // Another copy deletes the first row of the view and adds one in front of it, then one after the
        // page; the next reads see the table as it now is.
        const QString file = dir.filePath(QStringLiteral("mailist.DAT"));
        QCOMPARE(rawExec(file, QStringLiteral("DELETE FROM tblML WHERE rowid = %1; "
                                              "INSERT INTO tblML (Item, Category) VALUES ('a@x.org', '%2'), "
                                              "('user0000@x.org', '%2'), ('zz@x.org', '%2')")
                                   .arg(view.first())
                                   .arg(prefix)),
                 SQLITE_OK);
        entries.removeIf([&](const Entry &e) { return e.rowid == view.first(); });
        const qint64 next = Rows + 1;
        entries += {{next, QStringLiteral("a@x.org"), prefix},
                    {next + 1, QStringLiteral("user0000@x.org"), prefix},
                    {next + 2, QStringLiteral("zz@x.org"), prefix}};
        view = expected(entries, keep);
        QCOMPARE(table.recordCount(), view.size());
        QCOMPARE(rowids(table.rowsAt(middle, 20)), view.mid(middle, 20));
        const qint64 after = view.indexOf(page.last().rowid) + 1;
        QCOMPARE(rowids(table.rowsAfter(page.last(), Page)), view.mid(after, Page));
        QCOMPARE(rowids(table.rowsFromEnd(0, 2)), view.mid(view.size() - 2));
    }

    void groupPagesByKey_data() {
        QTest::addColumn<qint64>("groupRows");
        QTest::addColumn<QStringList>("viewPrefixes");
        QTest::newRow("along the address index") << qint64(Rows) << QStringList{};
        QTest::newRow("through the category index") << qint64(1) << QStringList{};
        QTest::newRow("within a filtered view") << qint64(Rows) << QStringList{"news", "sp"};
    }
    void groupPagesByKey() {
        QFETCH(qint64, groupRows);
        QFETCH(QStringList, viewPrefixes);
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        const QList<Entry> entries = fill(table);
        table.setFilter(TableFilter::prefixes(QStringLiteral("Category"), TableFilter::Mode::Include, viewPrefixes));
        table.setFiltered(true);
        // The group "NEWS" holds "news" and "News": every address twice, so pages of 7 split equal addresses.
        const TableFilter group = TableFilter::equals(QStringLiteral("Category"), QStringLiteral("NEWS"));
        QList<qint64> read;
        for (QList<TableRow> rows = table.rowsOfPart(group, groupRows, TableRow(), 7); !rows.isEmpty();
             rows = table.rowsOfPart(group, groupRows, rows.last(), 7)) {
            read += rowids(rows);
        }
        QCOMPARE(read, expected(entries, [&](const Entry &e) {
                     return e.category.compare(QStringLiteral("news"), Qt::CaseInsensitive) == 0 &&
                            (viewPrefixes.isEmpty() || inPrefixes(e, viewPrefixes));
                 }));
    }
};

QTEST_GUILESS_MAIN(TestTableView)
#include "tst_tableview.moc"

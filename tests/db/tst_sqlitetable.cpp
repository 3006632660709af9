// The navigational table: order, category filters, locate, walking with resumption, pages, changes and
// their events, field widths, the recipient table's case-insensitive key, and the statistics table.
#include "DbTestSupport.h"
#include "base/CorvaneError.h"
#include "db/EngineError.h"
#include "db/TableLock.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

class TestSqliteTable : public QObject {
    Q_OBJECT

private slots:
    void order_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QVariantList>("indexes");
        // Rows 1..5: b@x/news/9, A@x/Sport/10, c@x/art/2, a@x/news/2, B@X/Art/0
        QTest::newRow("default: Item, letter case ignored, ties by Index") << "Item" << QVariantList{2, 4, 1, 5, 3};
        QTest::newRow("Category") << "Category" << QVariantList{3, 5, 1, 4, 2};
        QTest::newRow("Bounces as numbers") << "Bounces" << QVariantList{5, 3, 4, 1, 2};
        QTest::newRow("none: key order") << "" << QVariantList{1, 2, 3, 4, 5};
        QTest::newRow("Category then Item") << "Category;Item" << QVariantList{5, 3, 4, 1, 2};
    }
    void order() {
        QFETCH(QString, order);
        QFETCH(QVariantList, indexes);
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        appendEntries(table, {"b@x", "A@x", "c@x", "a@x", "B@X"}, {"news", "Sport", "art", "news", "Art"},
                      {9, 10, 2, 2, 0});
        table.setIndexFieldNames(order);
        QCOMPARE(walkField(table, QStringLiteral("Index")), indexes);
        table.last();
        QCOMPARE(table.field(QStringLiteral("Index")), indexes.last());
        QVERIFY(!table.eof());
        table.next();
        QVERIFY(table.eof());
        QCOMPARE(table.field(QStringLiteral("Index")), indexes.last());
    }

    void unknownOrderFieldIsRefused() {
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.setIndexFieldNames(QStringLiteral("Item;Nonsense")));
        QCOMPARE(table.indexFieldNames(), QStringLiteral("Item"));
    }

    void categoryFilter_data() {
        QTest::addColumn<bool>("include");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("include news") << true << "news" << QStringList{"news", "News", "newsletter", "NEWS"};
        QTest::newRow("include typed in capitals")
            << true << "NeWs" << QStringList{"news", "News", "newsletter", "NEWS"};
        QTest::newRow("exclude a,b in any case")
            << false << "a,b"
            << QStringList{"news", "News", "newsletter", "technews", "NEWS", "it's", "100%", "1000", "x_y", "xzy", ""};
        QTest::newRow("items trimmed, empty ones dropped")
            << true << " art , ,Bob " << QStringList{"art", "Art", "Bob"};
        QTest::newRow("apostrophe filters for itself") << true << "it's" << QStringList{"it's"};
        QTest::newRow("exclude apostrophe") << false << "it's,n,a,b,1,x,back,t" << QStringList{""};
        QTest::newRow("percent is literal") << true << "100%" << QStringList{"100%"};
        QTest::newRow("underscore is literal") << true << "x_y" << QStringList{"x_y"};
        QTest::newRow("backslash is literal") << true << "back\\" << QStringList{"back\\slash"};
        QTest::newRow("only commas: no condition")
            << true << " , "
            << QStringList{"news", "News", "newsletter", "technews", "NEWS", "art",         "Art", "Bob",
                           "it's", "100%", "1000",       "x_y",      "xzy",  "back\\slash", ""};
    }
    void categoryFilter() {
        QFETCH(bool, include);
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        const QStringList categories{"news", "News", "newsletter", "technews", "NEWS", "art",         "Art", "Bob",
                                     "it's", "100%", "1000",       "x_y",      "xzy",  "back\\slash", ""};
        QStringList items;
        for (int i = 0; i < categories.size(); ++i) {
            items.append(QStringLiteral("user%1@example.com").arg(i));
        }
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        table.setIndexFieldNames(QString());
        appendEntries(table, items, categories);
        table.setFilter(
            TableFilter::categories(include ? TableFilter::Mode::Include : TableFilter::Mode::Exclude, text));
        table.setFiltered(true);
        QCOMPARE(walkText(table, QStringLiteral("Category")), shown);
        QCOMPARE(table.recordCount(), qint64(shown.size()));
        table.setFiltered(false);
        QCOMPARE(table.recordCount(), qint64(categories.size()));
    }

    void locate_data() {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<bool>("caseInsensitive");
        QTest::addColumn<int>("found"); // Index found, 0 for none
        // Rows 1..4: b@x/news, A@x/Sport, a@x/Sport, a@x/news
        QTest::newRow("Item ignoring case: first in order") << "Item" << QVariantList{"A@X"} << true << 2;
        QTest::newRow("Item exact case") << "Item" << QVariantList{"a@x"} << false << 3;
        QTest::newRow("Item exact case, none") << "Item" << QVariantList{"B@x"} << false << 0;
        QTest::newRow("Item;Category ignoring case") << "Item;Category" << QVariantList{"A@x", "NEWS"} << true << 4;
        QTest::newRow("Item;Category, none") << "Item;Category" << QVariantList{"b@x", "sport"} << true << 0;
        QTest::newRow("Index exactly") << "Index" << QVariantList{3} << true << 3;
        QTest::newRow("Index not a number") << "Index" << QVariantList{"x"} << true << 0;
        QTest::newRow("apostrophe in the value") << "Item" << QVariantList{"o'neil@x"} << true << 0;
    }
    void locate() {
        QFETCH(QString, fields);
        QFETCH(QVariantList, values);
        QFETCH(bool, caseInsensitive);
        QFETCH(int, found);
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        appendEntries(table, {"b@x", "A@x", "a@x", "a@x"}, {"news", "Sport", "Sport", "news"});
        table.locate(QStringLiteral("Index"), 1);
        QCOMPARE(table.locate(fields, values, caseInsensitive), found != 0);
        QCOMPARE(table.integer(QStringLiteral("Index")), found != 0 ? found : 1);
    }

    void locateRespectsFilter() {
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        appendEntries(table, {"a@x", "a@x"}, {"news", "sport"});
        table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("sport")));
        table.setFiltered(true);
        QVERIFY(table.locate(QStringLiteral("Item"), QStringLiteral("A@X")));
        QCOMPARE(table.integer(QStringLiteral("Index")), 2);
        QVERIFY(!table.locate(QStringLiteral("Index"), 1));
    }

    // Resuming a walk from the current row (after the stepping statement was given up), reading pages by
    // offset and reading pages after a row must all give exactly the uninterrupted walk, ties included.
    void walkResumption_data() {
        QTest::addColumn<QString>("order");
        QTest::addColumn<bool>("filtered");
        for (const QString order : {"Item", "Category", "Bounces", "", "Category;Item"}) {
            QTest::newRow(qPrintable(QStringLiteral("order '%1'").arg(order))) << order << false;
            QTest::newRow(qPrintable(QStringLiteral("order '%1', filtered").arg(order))) << order << true;
        }
    }
    void walkResumption() {
        QFETCH(QString, order);
        QFETCH(bool, filtered);
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        QStringList items;
        for (int i = 0; i < 150; ++i) {
            const QString item = QStringLiteral("Same%1@X").arg(i % 7);
            items.append(i % 2 == 0 ? item.toLower() : item);
        }
        appendEntries(table, items, {"news", "Art", "NEWS", "sport", "art"}, {3, 1, 3, 0});
        table.setIndexFieldNames(order);
        table.setFilter(TableFilter::categories(TableFilter::Mode::Exclude, QStringLiteral("sport")));
        table.setFiltered(filtered);

        const QVariantList walked = walkField(table, QStringLiteral("Index"));
        QCOMPARE(walked.size(), filtered ? 120 : 150);

        QVariantList resumed;
        for (table.first(); !table.eof(); table.releaseCursor(), table.next()) {
            resumed.append(table.field(QStringLiteral("Index")));
        }
        QCOMPARE(resumed, walked);

        QVariantList paged;
        for (qint64 offset = 0;; offset += 11) {
            const QList<TableRow> rows = table.rowsAt(offset, 11);
            for (const TableRow &row : rows) {
                paged.append(row.values.at(0));
            }
            if (rows.size() < 11) {
                break;
            }
        }
        QCOMPARE(paged, walked);

        QVariantList chained;
        QList<TableRow> page = table.rowsAt(0, 13);
        while (!page.isEmpty()) {
            for (const TableRow &row : page) {
                chained.append(row.values.at(0));
            }
            page = table.rowsAfter(page.last(), 13);
        }
        QCOMPARE(chained, walked);
    }

    void appendPostAndEvents() {
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        QSignalSpy posted(&table, &SqliteTable::afterPost);
        table.appendRecord({"zed@x", "news", 2, "c", "Zed Zulu", "Zed", true});
        QCOMPARE(posted.count(), 1);
        QCOMPARE(table.integer(QStringLiteral("Index")), 1);
        QCOMPARE(table.text(QStringLiteral("Name")), QStringLiteral("Zed Zulu"));
        QVERIFY(table.boolean(QStringLiteral("SendRights")));

        table.appendRecord({"amy@x"});
        QCOMPARE(table.integer(QStringLiteral("Index")), 2);
        QCOMPARE(table.integer(QStringLiteral("Bounces")), 0);
        QVERIFY(!table.boolean(QStringLiteral("SendRights")));

        table.setField(QStringLiteral("Category"), QStringLiteral("sport"));
        QCOMPARE(table.state(), SqliteTable::State::Edit);
        table.post();
        QCOMPARE(posted.count(), 3);
        table.first();
        QCOMPARE(walkText(table, QStringLiteral("Category")), QStringList({"sport", "news"}));

        table.first();
        table.setField(QStringLiteral("Comments"), QStringLiteral("dropped"));
        table.cancel();
        QCOMPARE(table.text(QStringLiteral("Comments")), QString());
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.setField(QStringLiteral("Index"), 7));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.setField(QStringLiteral("Nonsense"), 7));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.setField(QStringLiteral("Bounces"), QStringLiteral("many")));
        QCOMPARE(table.state(), SqliteTable::State::Browse);
    }

    void widthsAreEnforcedByCutting_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("width");
        QTest::newRow("Item") << "Item" << 80;
        QTest::newRow("Comments") << "Comments" << 80;
        QTest::newRow("Name") << "Name" << 50;
        QTest::newRow("Salutation") << "Salutation" << 25;
    }
    void widthsAreEnforcedByCutting() {
        QFETCH(QString, field);
        QFETCH(int, width);
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        table.append();
        // A character outside the basic plane straddling the limit is dropped whole, never halved.
        const QString text =
            QString(width - 1, QLatin1Char('x')) + QString::fromUcs4(U"\U0001F600") + QStringLiteral("tail");
        table.setField(field, text);
        table.post();
        table.first();
        QCOMPARE(table.text(field), QString(width - 1, QLatin1Char('x')));
        table.edit();
        table.setField(field, QString(width, QLatin1Char('y')));
        table.post();
        table.first();
        QCOMPARE(table.text(field).size(), width);
    }

    void deletePositionsAndSignals_data() {
        QTest::addColumn<int>("deleted"); // Index of the deleted row, rows 1..3 in order
        QTest::addColumn<int>("current"); // Index current afterwards, 0 for none
        QTest::addColumn<bool>("eof");
        QTest::addColumn<int>("rows");
        QTest::newRow("first: the next one") << 1 << 2 << false << 3;
        QTest::newRow("middle: the next one") << 2 << 3 << false << 3;
        QTest::newRow("last: the one before, at the end") << 3 << 2 << true << 3;
        QTest::newRow("only row: none") << 1 << 0 << true << 1;
    }
    void deletePositionsAndSignals() {
        QFETCH(int, deleted);
        QFETCH(int, current);
        QFETCH(bool, eof);
        QFETCH(int, rows);
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        appendEntries(table, QStringList({"a@x", "b@x", "c@x"}).mid(0, rows));
        QStringList events;
        connect(&table, &SqliteTable::beforeDelete, this,
                [&] { events.append(QStringLiteral("before %1").arg(table.integer(QStringLiteral("Index")))); });
        connect(&table, &SqliteTable::afterDelete, this, [&] { events.append(QStringLiteral("after")); });
        QVERIFY(table.locate(QStringLiteral("Index"), deleted));
        table.deleteRecord();
        QCOMPARE(events, QStringList({QStringLiteral("before %1").arg(deleted), QStringLiteral("after")}));
        QCOMPARE(table.hasRow(), current != 0);
        QCOMPARE(table.eof(), eof);
        if (current != 0) {
            QCOMPARE(table.integer(QStringLiteral("Index")), current);
        }
        QCOMPARE(table.recordCount(), qint64(rows - 1));
    }

    // Passes that change or delete rows while walking visit every row once.
    void passesVisitEveryRowOnce() {
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        QStringList items;
        for (int i = 0; i < 300; ++i) {
            items.append(QStringLiteral("m%1@x").arg(i, 3, 10, QLatin1Char('0')));
        }
        appendEntries(table, items, {"news", "art"});
        TableLock lock(table);
        int visited = 0;
        for (table.first(); !table.eof();) {
            ++visited;
            if (table.text(QStringLiteral("Category")) == QLatin1String("art")) {
                table.deleteRecord();
            } else {
                table.setField(QStringLiteral("Category"), QStringLiteral("NEWS"));
                table.setField(QStringLiteral("Bounces"), table.integer(QStringLiteral("Bounces")) + 1);
                table.next();
            }
        }
        lock.release();
        QCOMPARE(visited, 300);
        QCOMPARE(table.recordCount(), qint64(150));
        table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("NEWS")));
        table.setFiltered(true);
        QCOMPARE(walkField(table, QStringLiteral("Bounces")), QVariantList(150, 1));
    }

    void emptyTable() {
        SqliteTable table(TableSchema::listTable());
        table.openInMemory();
        appendEntries(table, {"a@x", "b@x"});
        QSignalSpy changed(&table, &SqliteTable::viewChanged);
        table.emptyTable();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(table.recordCount(), qint64(0));
        table.first();
        QVERIFY(table.eof());
        QVERIFY(!table.hasRow());
        QCOMPARE(table.text(QStringLiteral("Item")), QString());
    }

    void recipientTableKeyIgnoresCase_data() {
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("refused");
        QTest::newRow("same letters, other case") << "ANN@Example.COM" << true;
        QTest::newRow("same text") << "ann@example.com" << true;
        QTest::newRow("another address") << "anne@example.com" << false;
    }
    void recipientTableKeyIgnoresCase() {
        QFETCH(QString, second);
        QFETCH(bool, refused);
        SqliteTable table(TableSchema::tempTable());
        table.openInMemory();
        table.appendRecord({"ann@example.com", "Ann Smith", "A salutation longer than twenty"});
        QCOMPARE(table.text(QStringLiteral("Salutation")), QStringLiteral("A salutation longer "));
        bool failed = false;
        try {
            table.appendRecord({second, "Other"});
        } catch (const CorvaneError &) {
            failed = true;
        }
        QCOMPARE(failed, refused);
        QCOMPARE(table.state(), SqliteTable::State::Browse);
        QCOMPARE(table.recordCount(), qint64(refused ? 1 : 2));
        table.first();
        QCOMPARE(table.text(QStringLiteral("Name")), QStringLiteral("Ann Smith"));
    }

    void statisticsTable() {
        SqliteTable table(TableSchema::statsTable());
        table.openInMemory();
        const QDate day(2024, 3, 9);
        table.appendRecord({day, 1, 0, 0});
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.appendRecord({day, 0, 1, 0}));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.appendRecord({QVariant(), 0, 1, 0}));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.appendRecord({QStringLiteral("not a date")}));
        table.appendRecord({QDate(2024, 3, 8)});
        QVERIFY(table.locate(QStringLiteral("Date"), day));
        table.setField(QStringLiteral("Subscribes"), table.integer(QStringLiteral("Subscribes")) + 1);
        table.post();
        QVERIFY(!table.locate(QStringLiteral("Date"), QDate(2024, 3, 10)));
        QCOMPARE(walkField(table, QStringLiteral("Date")), QVariantList({QDate(2024, 3, 8), day}));
        QCOMPARE(walkField(table, QStringLiteral("Subscribes")), QVariantList({0, 2}));
    }

    void strictChangeDetection_data() {
        QTest::addColumn<bool>("strict");
        QTest::addColumn<bool>("otherDeletes");
        QTest::addColumn<int>("code"); // 0: the post succeeds
        QTest::newRow("strict, changed by another") << true << false << EngineError::RecordChanged;
        QTest::newRow("strict, deleted by another") << true << true << EngineError::RecordDeleted;
        QTest::newRow("last writer wins") << false << false << 0;
        QTest::newRow("deleted by another, not strict") << false << true << EngineError::RecordDeleted;
    }
    void strictChangeDetection() {
        QFETCH(bool, strict);
        QFETCH(bool, otherDeletes);
        QFETCH(int, code);
        QTemporaryDir dir;
        SqliteTable mine(TableSchema::listTable());
        openListFile(mine, dir, SqliteDatabase::Access::Shared);
        mine.setStrictChangeDetection(strict);
        appendEntries(mine, {"a@x"});
        mine.releaseCursor();
        SqliteTable theirs(TableSchema::listTable());
        theirs.open(dir.filePath(QStringLiteral("mailist.DAT")), SqliteDatabase::Access::Shared);
        if (otherDeletes) {
            theirs.deleteRecord();
        } else {
            theirs.setField(QStringLiteral("Comments"), QStringLiteral("theirs"));
            theirs.post();
        }
        theirs.close();
        mine.setField(QStringLiteral("Category"), QStringLiteral("mine"));
        int raised = 0;
        try {
            mine.post();
        } catch (const CorvaneError &error) {
            raised = error.code();
        }
        QCOMPARE(raised, code);
        if (code == 0) {
            QCOMPARE(walkText(mine, QStringLiteral("Category")), QStringList{"mine"});
            QCOMPARE(walkText(mine, QStringLiteral("Comments")), QStringList{"theirs"});
        }
    }

    // The whole-table lock holds off other writers until released, and what was done under it is then there.
    void tableLockHoldsOffWriters() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("mailist.DAT"));
        SqliteTable table(TableSchema::listTable());
        openListFile(table, dir, SqliteDatabase::Access::Shared);
        const QString otherWrite = QStringLiteral("INSERT INTO tblML (Item) VALUES ('other@x')");
        table.lockTable();
        appendEntries(table, {"a@x", "b@x"});
        QCOMPARE(rawExec(file, otherWrite), SQLITE_BUSY);
        table.unlockTable();
        QCOMPARE(rawExec(file, otherWrite), SQLITE_OK);
        QCOMPARE(rawQueryInt(file, QStringLiteral("SELECT count(*) FROM tblML")), 3);
    }

    // A walk paused while the event loop runs gives up its read lock, then carries on where it was.
    void pausedWalkLetsOthersWrite() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("mailist.DAT"));
        SqliteTable table(TableSchema::listTable());
        openListFile(table, dir, SqliteDatabase::Access::Shared);
        appendEntries(table, {"a@x", "b@x", "c@x"});
        table.first();
        table.next();
        const QString otherWrite = QStringLiteral("INSERT INTO tblML (Item) VALUES ('z@x')");
        QCOMPARE(rawExec(file, otherWrite), SQLITE_BUSY);
        QTRY_COMPARE_WITH_TIMEOUT(rawExec(file, otherWrite), SQLITE_OK, 1000);
        QCOMPARE(table.text(QStringLiteral("Item")), QStringLiteral("b@x"));
        table.next();
        QCOMPARE(table.text(QStringLiteral("Item")), QStringLiteral("c@x"));
        table.next();
        QCOMPARE(table.text(QStringLiteral("Item")), QStringLiteral("z@x"));
    }

    void closedTableRefusesWork() {
        SqliteTable table(TableSchema::listTable());
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.first());
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.recordCount());
        QVERIFY_THROWS_EXCEPTION(CorvaneError, table.appendRecord({"a@x"}));
    }
};

QTEST_GUILESS_MAIN(TestSqliteTable)
#include "tst_sqlitetable.moc"

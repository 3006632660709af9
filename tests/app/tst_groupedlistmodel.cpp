// The grouped list view over a real list table: one group per value ignoring letter case, with its count,
// entries read when a group is opened, the filter in force, and a refresh after changes.
#include "TestDatabase.h"
#include "app/GroupedListModel.h"

#include <QTest>

using namespace corvane;

class TestGroupedListModel : public QObject {
    Q_OBJECT

private:
    TestDatabase m_db;

private slots:
    void init() {
        m_db.setUp();
        SqliteTable &table = m_db.dm->tblML();
        table.lockTable();
        for (int i = 0; i < 1200; ++i) {
            table.appendRecord({QStringLiteral("n%1@x.org").arg(i, 4, 10, QLatin1Char('0')),
                                i % 2 == 0 ? QStringLiteral("News") : QStringLiteral("news"), 0});
        }
        table.appendRecord({QStringLiteral("s@x.org"), QStringLiteral("Sports"), 3});
        table.unlockTable();
    }
    void cleanup() { m_db.tearDown(); }

    void groupsIgnoreLetterCaseAndCount() {
        GroupedListModel model;
        model.setSource(&m_db.dm->tblML(), 1);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.groupCount(0), 1200);
        QCOMPARE(model.groupValue(1).toString(), QStringLiteral("Sports"));
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("List Category : Sports (1 entry)"));
        const QModelIndex news = model.index(0, 0);
        QVERIFY(model.hasChildren(news));
        QCOMPARE(model.rowCount(news), 0);
        QVERIFY(model.canFetchMore(news));
        model.fetchMore(news);
        QCOMPARE(model.rowCount(news), GroupedListModel::kPageSize);
        model.fetchMore(news);
        model.fetchMore(news);
        QCOMPARE(model.rowCount(news), 1200);
        QVERIFY(!model.canFetchMore(news));
        // Entries in address order, with their fields in grid columns.
        QCOMPARE(model.data(model.index(0, 0, news)).toString(), QStringLiteral("n0000@x.org"));
        QCOMPARE(model.data(model.index(1199, 0, news)).toString(), QStringLiteral("n1199@x.org"));
        QCOMPARE(model.parent(model.index(5, 2, news)), news);
    }

    void walkContinuesByKey() {
        // A second n0499 puts equal addresses on both sides of the first page's end.
        SqliteTable &table = m_db.dm->tblML();
        table.appendRecord({QStringLiteral("n0499@x.org"), QStringLiteral("NEWS"), 0});
        GroupedListModel model;
        model.setSource(&table, 1);
        const QModelIndex news = model.index(0, 0);
        QCOMPARE(model.groupCount(0), 1201);
        model.fetchMore(news);
        QCOMPARE(model.rowCount(news), GroupedListModel::kPageSize);
        // Another copy deletes an entry already shown and one not yet read; the walk goes on after the
        // last entry it showed, skipping and repeating none.
        table.database().exec(QStringLiteral("DELETE FROM tblML WHERE Item IN ('n0010@x.org', 'n0700@x.org')"));
        for (int before = -1; model.canFetchMore(news) && before != model.rowCount(news);) {
            before = model.rowCount(news);
            model.fetchMore(news);
        }
        QCOMPARE(model.rowCount(news), 1200);
        QStringList addresses;
        QList<qint64> keys;
        for (int row = 0; row < model.rowCount(news); ++row) {
            addresses.append(model.entryAt(0, row).values.at(1).toString());
            keys.append(model.entryAt(0, row).rowid);
        }
        QCOMPARE(addresses.at(499), QStringLiteral("n0499@x.org"));
        QCOMPARE(addresses.at(500), QStringLiteral("n0499@x.org"));
        QVERIFY(keys.at(499) < keys.at(500));
        QCOMPARE(addresses.at(501), QStringLiteral("n0500@x.org"));
        QVERIFY(!addresses.mid(500).contains(QStringLiteral("n0700@x.org")));
        QCOMPARE(addresses.last(), QStringLiteral("n1199@x.org"));
    }

    void filterAndChangesAreFollowed() {
        GroupedListModel model;
        SqliteTable &table = m_db.dm->tblML();
        model.setSource(&table, 2);
        QCOMPARE(model.rowCount(), 2);
        table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("sp")));
        table.setFiltered(true);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.groupValue(0).toInt(), 3);
        table.setFiltered(false);
        table.appendRecord({QStringLiteral("t@x.org"), QStringLiteral("Travel"), 7});
        QCOMPARE(model.rowCount(), 3);
        model.setSource(nullptr, -1);
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestGroupedListModel)
#include "tst_groupedlistmodel.moc"

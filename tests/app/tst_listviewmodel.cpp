// The grid's paged model over a real list table: rows in the table's order, pages read lazily and by
// keyset when scrolling on, and the view following filters, posts and deletions.
#include "TestDatabase.h"
#include "app/ListViewModel.h"

#include <QTest>

using namespace corvane;

class TestListViewModel : public QObject {
    Q_OBJECT

private:
    TestDatabase m_db;

private slots:
    void init() {
        m_db.setUp();
        SqliteTable &table = m_db.dm->tblML();
        table.lockTable();
        // 1000 entries inserted in reverse address order, categories alternating in letter case.
        for (int i = 999; i >= 0; --i) {
            table.appendRecord({QStringLiteral("user%1@example.org").arg(i, 4, 10, QLatin1Char('0')),
                                i % 2 == 0 ? QStringLiteral("News") : QStringLiteral("sports"), i % 7, QString(),
                                QString(), QString(), i % 3 == 0});
        }
        table.unlockTable();
        table.setIndexFieldNames(QStringLiteral("Item"));
    }
    void cleanup() { m_db.tearDown(); }

    void rowsInTableOrderReadLazily() {
        ListViewModel model;
        model.setTable(&m_db.dm->tblML());
        QCOMPARE(model.rowCount(), 1000);
        QCOMPARE(model.pagesRead(), 0);
        QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("user0000@example.org"));
        QCOMPARE(model.data(model.index(999, 0)).toString(), QStringLiteral("user0999@example.org"));
        QCOMPARE(model.pagesRead(), 2);
        // Scrolling on from page 0 reads each following page once.
        for (int row = 0; row < 1000; ++row) {
            QCOMPARE(model.data(model.index(row, 0)).toString(),
                     QStringLiteral("user%1@example.org").arg(row, 4, 10, QLatin1Char('0')));
        }
        QCOMPARE(model.pagesRead(), 4);
        QCOMPARE(model.data(model.index(3, 2)).toInt(), 3);
        QCOMPARE(model.data(model.index(3, 6), Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(model.data(model.index(4, 6), Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QVERIFY(!model.data(model.index(1000, 0)).isValid());
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("List Category"));
        // Entries were appended in reverse address order, so user0700 has Index 300.
        QCOMPARE(model.rowOfKey(300), 700);
        QCOMPARE(model.rowOfKey(5000), -1);
    }

    void pagesFromTheEndAndBackwards() {
        ListViewModel model;
        SqliteTable &table = m_db.table();
        model.setTable(&table);
        const auto address = [](int i) { return QStringLiteral("user%1@example.org").arg(i, 4, 10, QLatin1Char('0')); };
        QCOMPARE(model.data(model.index(700, 0)).toString(), address(700));
        QCOMPARE(model.data(model.index(300, 0)).toString(), address(300));
        QCOMPARE(model.data(model.index(512, 0)).toString(), address(512));
        QCOMPARE(model.data(model.index(256, 0)).toString(), address(256));
        QCOMPARE(model.data(model.index(255, 0)).toString(), address(255));
        QCOMPARE(model.pagesRead(), 3);
        table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("news")));
        table.setFiltered(true);
        QCOMPARE(model.rowCount(), 500);
        QCOMPARE(model.data(model.index(499, 0)).toString(), address(998));
        QCOMPARE(model.data(model.index(300, 0)).toString(), address(600));
        QCOMPARE(model.data(model.index(255, 0)).toString(), address(510));
    }

    void followsFilterAndDeletion() {
        ListViewModel model;
        SqliteTable &table = m_db.dm->tblML();
        model.setTable(&table);
        table.setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("news")));
        table.setFiltered(true);
        QCOMPARE(model.rowCount(), 500);
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("user0002@example.org"));
        QVERIFY(table.locate(QStringLiteral("Item"), QStringLiteral("USER0002@example.org")));
        table.deleteRecord();
        QCOMPARE(model.rowCount(), 499);
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("user0004@example.org"));
        model.setTable(nullptr);
        QCOMPARE(model.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestListViewModel)
#include "tst_listviewmodel.moc"

// The list view's rules on a real list table: category filters and the count line, the pending refresh,
// sorting clicks with limited caching, the preparation around modal windows, and the member cache.
#include "TestDatabase.h"
#include "app/ListView.h"

#include <QSignalSpy>
#include <QTest>

using namespace corvane;

class TestListView : public QObject {
    Q_OBJECT

private:
    TestDatabase m_db;
    std::unique_ptr<ListView> m_view;

    QStringList shownCategories() {
        QStringList result;
        ListViewModel &model = m_view->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            result.append(model.data(model.index(row, 1)).toString());
        }
        result.sort();
        return result;
    }

    QStringList shownAddresses() {
        QStringList result;
        ListViewModel &model = m_view->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            result.append(model.data(model.index(row, 0)).toString());
        }
        return result;
    }

private slots:
    void init() {
        m_db.setUp();
        const QList<QStringList> entries = {{"c@x.org", "news", "3"},       {"a@x.org", "News", "1"},
                                            {"d@x.org", "newsletter", "0"}, {"b@x.org", "technews", "2"},
                                            {"e@x.org", "Apples", "5"},     {"f@x.org", "bikes", "4"},
                                            {"A@x.org", "Work", "9"}};
        for (const QStringList &e : entries) {
            m_db.dm->tblML().appendRecord({e.at(0), e.at(1), e.at(2).toInt(), QString(), QString(), QString(), false});
        }
        m_view = std::make_unique<ListView>(*m_db.prompt);
        m_view->setTable(&m_db.dm->tblML());
    }
    void cleanup() {
        m_view.reset();
        m_db.tearDown();
    }

    void filters_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("include");
        QTest::addColumn<QString>("exclude");
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QString>("count");
        // The view's rows counted per refresh: once when the filter changes (the grid, the count line and the
        // choice of how to read pages share it), never when it stays.
        QTest::addColumn<int>("counts");
        const QStringList all = {"Apples", "bikes", "news", "News", "newsletter", "technews", "Work"};
        QTest::newRow("all") << 0 << "news"
                             << "a" << all << "  7 Records" << 0;
        QTest::newRow("include news") << 1 << "news"
                                      << "" << QStringList{"news", "News", "newsletter"} << "  3 Records Displayed"
                                      << 1;
        QTest::newRow("include two") << 1 << " work , bik"
                                     << "" << QStringList{"bikes", "Work"} << "  2 Records Displayed" << 1;
        QTest::newRow("exclude a,b") << 2 << ""
                                     << "a,b" << QStringList{"news", "News", "newsletter", "technews", "Work"}
                                     << "  5 Records Displayed" << 1;
        QTest::newRow("empty include field") << 1 << ""
                                             << "" << all << "  7 Records Displayed" << 0;
        QTest::newRow("apostrophe") << 1 << "o'brien"
                                    << "" << QStringList{} << "  0 Records Displayed" << 1;
    }
    void filters() {
        QFETCH(int, choice);
        QFETCH(QString, include);
        QFETCH(QString, exclude);
        QFETCH(QStringList, categories);
        QFETCH(QString, count);
        QFETCH(int, counts);
        const quint64 taken = m_db.dm->tblML().countsTaken();
        m_view->edtfilterChange(include);
        m_view->edtnotfilterChange(exclude);
        QVERIFY(m_view->refreshPending());
        m_view->rdballClick(ListView::FilterChoice(choice));
        QVERIFY(!m_view->refreshPending());
        QCOMPARE(m_db.dm->tblML().countsTaken() - taken, quint64(counts));
        categories.sort();
        QCOMPARE(shownCategories(), categories);
        QCOMPARE(m_view->countText(), count);
    }

    void editingAFieldWaitsForIdle() {
        m_view->edtfilterChange(QStringLiteral("apples"));
        QCOMPARE(m_view->filterChoice(), ListView::FilterChoice::Include);
        QCOMPARE(m_view->model().rowCount(), 7);
        m_view->DoIdle();
        QCOMPARE(m_view->model().rowCount(), 1);
        m_view->DoIdle();
        QCOMPARE(m_view->countText(), QStringLiteral("  1 Records Displayed"));
    }

    void headerClicksWithLimitedCaching() {
        QSignalSpy spy(m_view.get(), &ListView::sortMarksChanged);
        m_view->columnHeaderClick(ListView::BouncesColumn, true);
        QCOMPARE(m_view->sortMark(ListView::BouncesColumn), 1);
        QCOMPARE(shownAddresses().first(), QStringLiteral("d@x.org"));
        m_view->columnHeaderClick(ListView::EmailColumn, true);
        QCOMPARE(m_view->sortMark(ListView::BouncesColumn), 0);
        QCOMPARE(m_view->sortMark(ListView::EmailColumn), 1);
        QCOMPARE(m_db.dm->tblML().indexFieldNames(), QStringLiteral("Item"));
        m_view->columnHeaderClick(ListView::EmailColumn, true);
        QCOMPARE(m_view->sortMark(ListView::EmailColumn), 0);
        QCOMPARE(m_db.dm->tblML().indexFieldNames(), QString());
        QCOMPARE(shownAddresses().first(), QStringLiteral("c@x.org"));
        const int beeps = m_db.prompt->beeps;
        m_view->columnHeaderClick(3, true);
        QCOMPARE(m_db.prompt->beeps, beeps + 1);
        m_view->columnHeaderClick(ListView::CategoryColumn, false);
        QCOMPARE(m_view->sortMark(ListView::CategoryColumn), 0);
        QCOMPARE(spy.count(), 3);
    }

    void sortMenuWithoutLimitedCachingTogglesTheMark() {
        m_view->sortMenuChoice(ListView::CategoryColumn, false);
        QCOMPARE(m_view->sortMark(ListView::CategoryColumn), 2);
        m_view->sortMenuChoice(ListView::CategoryColumn, false);
        QCOMPARE(m_view->sortMark(ListView::CategoryColumn), 1);
        QCOMPARE(m_db.dm->tblML().indexFieldNames(), QStringLiteral("Category"));
    }

    void modalPreparationDropsAndRestoresTheFilter() {
        m_view->edtfilterChange(QStringLiteral("news"));
        m_view->DoIdle();
        QCOMPARE(m_db.dm->tblML().recordCount(), 3);
        m_view->newformpreparation(true);
        QCOMPARE(m_db.dm->tblML().recordCount(), 7);
        QCOMPARE(m_view->model().rowCount(), 7);
        // A job deleting meanwhile is not followed until the window closes.
        QVERIFY(m_db.dm->tblML().locate(QStringLiteral("Item"), QStringLiteral("e@x.org")));
        m_db.dm->tblML().deleteRecord();
        QCOMPARE(m_view->model().rowCount(), 7);
        m_view->newformpreparation(false);
        QCOMPARE(m_db.dm->tblML().recordCount(), 3);
        QCOMPARE(m_view->model().rowCount(), 3);
        m_view->rdballClick(ListView::FilterChoice::All);
        QCOMPARE(m_view->model().rowCount(), 6);
    }

    void memberCache() {
        m_view->LoadCacheEntries(QString());
        m_view->LoadCacheEntries(QString());
        QCOMPARE(m_view->cacheWalks(), 1);
        QCOMPARE(m_view->edtCachedGroup(), QStringLiteral("ALL"));
        QCOMPARE(m_view->lbCache().size(), 6);
        m_view->LoadCacheEntries(QStringLiteral("news"));
        QCOMPARE(m_view->cacheWalks(), 2);
        QCOMPARE(m_view->lbCache(), QStringList({"a@x.org", "c@x.org"}));
        m_view->LoadCacheEntries(QStringLiteral("NEWS"));
        QCOMPARE(m_view->cacheWalks(), 2);
        m_db.dm->tblML().appendRecord({QStringLiteral("z@x.org"), QStringLiteral("News"), 0});
        QCOMPARE(m_view->edtCachedGroup(), QString());
        m_view->LoadCacheEntries(QStringLiteral("news"));
        QCOMPARE(m_view->cacheWalks(), 3);
        QCOMPARE(m_view->lbCache().size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestListView)
#include "tst_listview.moc"

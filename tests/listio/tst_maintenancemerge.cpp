// The list-wide maintenance commands on a real list table: merging all categories into "Default" with
// removal of duplicate addresses (survivors, questions, failures mid-walk), resetting every bounce count,
// and deleting every entry (also when another connection holds the file).
#include "db/SqliteDatabase.h"
#include "db/TableFilter.h"
#include "tst_maintenancefixture.h"

using namespace corvane;

class TestMaintenanceMerge : public QObject {
    Q_OBJECT

private:
    MaintenanceFixture f;

    // Adds "item,category,name" entries, each with its position as bounce count.
    QList<int> addAll(const QStringList &entries) {
        QList<int> indexes;
        for (int i = 0; i < entries.size(); ++i) {
            const QStringList parts = entries.at(i).split(QLatin1Char(','));
            indexes.append(f.add(parts.at(0), parts.at(1), i, parts.value(2), i % 2 == 1));
        }
        return indexes;
    }

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    // expected: the surviving entries as "position of the original entry|item|category|name".
    void mergeKeepsOneEntryPerAddress_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("survivor in Default, else the oldest")
            << QStringList{"x@e.org,Friends,X1", "x@e.org,Default,X2", "y@e.org,Friends,Y1", "y@e.org,Work,Y2"}
            << QStringList{"1|x@e.org|Default|X2", "2|y@e.org|Default|Y1"};
        QTest::newRow("last of several Default entries survives")
            << QStringList{"x@e.org,Default,A", "x@e.org,Default,B", "x@e.org,Other,C"}
            << QStringList{"1|x@e.org|Default|B"};
        QTest::newRow("letter case of the address counts")
            << QStringList{"x@e.org,News,A", "X@E.org,News,B", "x@e.org,Work,C"}
            << QStringList{"0|x@e.org|Default|A", "1|X@E.org|Default|B"};
        QTest::newRow("letter case of Default counts")
            << QStringList{"x@e.org,news,A", "x@e.org,DEFAULT,B"} << QStringList{"0|x@e.org|Default|A"};
        QTest::newRow("no duplicates") << QStringList{"a@e.org,News,A", "b@e.org,Work,B"}
                                       << QStringList{"0|a@e.org|Default|A", "1|b@e.org|Default|B"};
        QTest::newRow("empty list") << QStringList{} << QStringList{};
    }
    void mergeKeepsOneEntryPerAddress() {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, expected);
        const QList<int> indexes = addAll(entries);
        // The view is ordered by address and filtered; the merge works on every entry in insertion order.
        f.table().setIndexFieldNames(QStringLiteral("Item"));
        f.table().setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("Work")));
        f.table().setFiltered(true);
        f.prompt->answer(UserPrompt::Ok);
        f.prompt->answer(UserPrompt::Yes);
        const ListMaintenance::Outcome outcome = f.maintenance->MergeCategories();
        QCOMPARE(outcome, ListMaintenance::Outcome::Completed);
        QStringList survivors;
        for (const QString &row : f.rows()) {
            const QStringList parts = row.split(QLatin1Char('|'));
            const int position = static_cast<int>(indexes.indexOf(parts.at(0).toInt()));
            // Bounce count and sending right stay those of the surviving entry.
            QCOMPARE(parts.at(3).toInt(), position);
            QCOMPARE(parts.at(5) == QLatin1String("1"), position % 2 == 1);
            survivors.append(QStringList{QString::number(position), parts.at(1), parts.at(2), parts.at(4)}.join('|'));
        }
        QCOMPARE(survivors, expected);
        QCOMPARE(f.maintenance->deletedCount(), entries.size() - expected.size());
        QCOMPARE(f.prompt->texts(),
                 (QStringList{ListMaintenance::mergeQuestion(), ListMaintenance::mergeBackupQuestion()}));
        QCOMPARE(f.table().indexFieldNames(), QStringLiteral("Item"));
        QVERIFY(f.table().filtered());
        QVERIFY(!f.table().isLocked());
        QVERIFY(!f.prompt->progressVisible);
        QCOMPARE(f.prompt->busyDepth, 0);
        if (entries.size() > 1) {
            QCOMPARE(f.prompt->progress.last(), QStringLiteral("100|Merging Entries"));
        }
    }

    void mergeDeclined_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::newRow("cancel first question") << QList<int>{int(UserPrompt::Cancel)};
        QTest::newRow("no to second question") << QList<int>{int(UserPrompt::Ok), int(UserPrompt::No)};
    }
    void mergeDeclined() {
        QFETCH(QList<int>, answers);
        addAll({QStringLiteral("x@e.org,News"), QStringLiteral("x@e.org,Work")});
        const QStringList before = f.rows();
        for (const int answer : answers) {
            f.prompt->answer(static_cast<UserPrompt::Button>(answer));
        }
        QCOMPARE(f.maintenance->MergeCategories(), ListMaintenance::Outcome::NotRun);
        QCOMPARE(f.rows(), before);
        QVERIFY(f.prompt->allAnswersUsed());
    }

    // A trigger makes the move of "bad@e.org" to "Default" fail after the marker was written. The entry
    // gets its category back instead of keeping the marker; Yes goes on with the next entry, No stops and
    // keeps what was done.
    void mergeFailureAsksWhetherToGoOn_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("outcome");
        QTest::newRow("go on") << int(UserPrompt::Yes)
                               << QStringList{"a@e.org|Default", "bad@e.org|News", "c@e.org|Default"}
                               << int(ListMaintenance::Outcome::CompletedWithErrors);
        QTest::newRow("stop") << int(UserPrompt::No)
                              << QStringList{"a@e.org|Default", "bad@e.org|News", "c@e.org|Work", "c@e.org|News"}
                              << int(ListMaintenance::Outcome::Stopped);
    }
    void mergeFailureAsksWhetherToGoOn() {
        QFETCH(int, answer);
        QFETCH(QStringList, expected);
        QFETCH(int, outcome);
        addAll({QStringLiteral("a@e.org,News"), QStringLiteral("bad@e.org,News"), QStringLiteral("c@e.org,Work"),
                QStringLiteral("c@e.org,News")});
        f.table().database().exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE UPDATE OF Category ON tblML WHEN NEW.Item = 'bad@e.org' AND NEW.Category = "
            "'Default' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        f.prompt->answer(UserPrompt::Ok);
        f.prompt->answer(UserPrompt::Yes);
        f.prompt->answer(static_cast<UserPrompt::Button>(answer));
        QCOMPARE(int(f.maintenance->MergeCategories()), outcome);
        QStringList left;
        for (const QString &row : f.rows()) {
            left.append(row.section(QLatin1Char('|'), 1, 2));
        }
        QCOMPARE(left, expected);
        QCOMPARE(f.prompt->shown.at(2).text, ListMaintenance::mergeContinueQuestion());
        QCOMPARE(f.prompt->shown.at(2).kind, UserPrompt::Kind::Warning);
        QVERIFY(!f.table().isLocked());
        QCOMPARE(f.prompt->busyDepth, 0);
    }

    void resetAllBouncesReachesHiddenEntries() {
        addAll({QStringLiteral("a@e.org,News"), QStringLiteral("b@e.org,Work"), QStringLiteral("c@e.org,Work")});
        f.table().setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("news")));
        f.table().setFiltered(true);
        QCOMPARE(f.maintenance->ResetAllBounces(), ListMaintenance::Outcome::Completed);
        for (const QString &row : f.rows()) {
            QCOMPARE(row.section(QLatin1Char('|'), 3, 3), QStringLiteral("0"));
        }
        QVERIFY(f.table().filtered());
        QCOMPARE(f.table().recordCount(), 1);
        QVERIFY(f.prompt->shown.isEmpty());
    }

    void deleteAllEmptiesAndReopensInTheConfiguredMode_data() {
        QTest::addColumn<bool>("exclusive");
        QTest::newRow("exclusive") << true;
        QTest::newRow("shared") << false;
    }
    void deleteAllEmptiesAndReopensInTheConfiguredMode() {
        QFETCH(bool, exclusive);
        f.tearDown();
        f.setUp(exclusive);
        addAll({QStringLiteral("a@e.org,News"), QStringLiteral("b@e.org,Work")});
        f.prompt->answer(UserPrompt::Yes);
        QCOMPARE(f.maintenance->DeleteAllEntries(), ListMaintenance::Outcome::Completed);
        QVERIFY(f.table().isOpen());
        QCOMPARE(f.table().recordCount(), 0);
        QCOMPARE(f.table().database().access(),
                 exclusive ? SqliteDatabase::Access::Exclusive : SqliteDatabase::Access::Shared);
        QCOMPARE(f.prompt->texts(), QStringList{ListMaintenance::deleteAllQuestion()});
        // The emptied list takes new entries.
        f.add(QStringLiteral("c@e.org"), QStringLiteral("News"));
        QCOMPARE(f.rows().size(), 1);
    }

    void deleteAllDeclinedKeepsEverything() {
        addAll({QStringLiteral("a@e.org,News")});
        f.prompt->answer(UserPrompt::No);
        QCOMPARE(f.maintenance->DeleteAllEntries(), ListMaintenance::Outcome::NotRun);
        QCOMPARE(f.rows().size(), 1);
    }

    // Another connection writing to the file keeps the exclusive opening from succeeding: the failure is
    // reported, nothing is lost, and the list is open again as before.
    void deleteAllFailsWhileAnotherHolderWrites() {
        f.tearDown();
        f.setUp(false);
        addAll({QStringLiteral("a@e.org,News"), QStringLiteral("b@e.org,Work")});
        SqliteDatabase other;
        other.open(f.table().database().path(), SqliteDatabase::Access::Shared, false);
        other.begin();
        f.prompt->answer(UserPrompt::Yes);
        QCOMPARE(f.maintenance->DeleteAllEntries(), ListMaintenance::Outcome::Stopped);
        other.rollback();
        other.close();
        QCOMPARE(f.prompt->texts(),
                 (QStringList{ListMaintenance::deleteAllQuestion(), QStringLiteral("Error empying your table!")}));
        QVERIFY(f.table().isOpen());
        QCOMPARE(f.table().database().access(), SqliteDatabase::Access::Shared);
        QCOMPARE(f.rows().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestMaintenanceMerge)
#include "tst_maintenancemerge.moc"

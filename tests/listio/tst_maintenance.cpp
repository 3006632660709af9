// The list maintenance commands on selected entries, on a real list table: deletion, the blocked list,
// the field-setting batch, the change of category, and what happens with nothing selected.
#include "base/CorvaneError.h"
#include "db/TableFilter.h"
#include "tst_maintenancefixture.h"

using namespace corvane;

class TestMaintenance : public QObject {
    Q_OBJECT

private:
    MaintenanceFixture f;

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDown(); }

    // Every command that needs a selection only beeps without one: no question, no change, no progress.
    void emptySelectionOnlyBeeps_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("delete") << 0;
        QTest::newRow("reset bounces") << 1;
        QTest::newRow("enable sending") << 2;
        QTest::newRow("disable sending") << 3;
        QTest::newRow("change category") << 4;
        QTest::newRow("set category") << 5;
    }
    void emptySelectionOnlyBeeps() {
        QFETCH(int, command);
        f.add(QStringLiteral("a@example.org"), QStringLiteral("News"), 4, QString(), true);
        const QStringList before = f.rows();
        bool asked = false;
        ListMaintenance &m = *f.maintenance;
        ListMaintenance::Outcome outcome = ListMaintenance::Outcome::Completed;
        if (command == 0) {
            outcome = m.DeleteSelected({});
        } else if (command <= 3) {
            outcome = m.BatchProcess(command, {});
        } else if (command == 4) {
            outcome = m.ChangeCategory(
                {},
                [&asked](const QString &, const QStringList &, const QString &) {
                    asked = true;
                    return QStringLiteral("Other");
                },
                1);
        } else {
            outcome = m.SetCategory({}, QStringLiteral("Other"));
        }
        QCOMPARE(outcome, ListMaintenance::Outcome::NotRun);
        QCOMPARE(f.prompt->beeps, 1);
        QVERIFY(f.prompt->shown.isEmpty());
        QVERIFY(f.prompt->progress.isEmpty());
        QVERIFY(!asked);
        QCOMPARE(f.rows(), before);
    }

    void deleteSelectedAsksWithTheCount_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("yes") << int(UserPrompt::Yes) << 1;
        QTest::newRow("no") << int(UserPrompt::No) << 3;
    }
    void deleteSelectedAsksWithTheCount() {
        QFETCH(int, answer);
        QFETCH(int, left);
        const int a = f.add(QStringLiteral("a@example.org"), QStringLiteral("News"));
        const int b = f.add(QStringLiteral("b@example.org"), QStringLiteral("News"));
        f.add(QStringLiteral("c@example.org"), QStringLiteral("News"));
        f.prompt->answer(static_cast<UserPrompt::Button>(answer));
        // 999 stands for a row another user deleted meanwhile: it is simply gone already.
        f.maintenance->DeleteSelected({b, 999, a});
        QCOMPARE(f.prompt->texts(),
                 QStringList{QStringLiteral("Are you sure you want to delete the 3 selected entries?")});
        QCOMPARE(f.rows().size(), left);
        QCOMPARE(f.prompt->busyDepth, 0);
    }

    void moveToBlockedAddsLowerCaseEvenWhenAlreadyThere() {
        f.settings->BlockedAddresses.setItems({QStringLiteral("dup@example.org")});
        const int a = f.add(QStringLiteral("Dup@Example.org"), QStringLiteral("News"));
        const int b = f.add(QStringLiteral("other@example.org"), QStringLiteral("News"));
        const int kept = f.add(QStringLiteral("kept@example.org"), QStringLiteral("News"));
        f.prompt->answer(UserPrompt::Yes);
        QCOMPARE(f.maintenance->MoveToBlocked({a, 4242, b}), ListMaintenance::Outcome::CompletedWithErrors);
        QCOMPARE(f.settings->BlockedAddresses.items(),
                 (QStringList{QStringLiteral("dup@example.org"), QStringLiteral("dup@example.org"),
                              QStringLiteral("other@example.org")}));
        QCOMPARE(f.rows().size(), 1);
        QVERIFY(f.rows().first().startsWith(QString::number(kept) + QLatin1Char('|')));
        QCOMPARE(f.prompt->texts(),
                 (QStringList{QStringLiteral("Are you sure you want to move the 3 selected entries to your never send "
                                             "list?"),
                              QStringLiteral("Error moving record!")}));
        QCOMPARE(f.prompt->progress, (QStringList{QStringLiteral("33|Moving Record, Dup@Example.org"),
                                                  QStringLiteral("100|Moving Record, other@example.org")}));
        QVERIFY(!f.prompt->progressVisible);
    }

    void moveToBlockedWithNothingSelectedAsksAndDoesNothing() {
        f.add(QStringLiteral("a@example.org"), QStringLiteral("News"));
        f.prompt->answer(UserPrompt::Yes);
        QCOMPARE(f.maintenance->MoveToBlocked({}), ListMaintenance::Outcome::NotRun);
        QCOMPARE(f.prompt->shown.size(), 1);
        QCOMPARE(f.rows().size(), 1);
        QCOMPARE(f.settings->BlockedAddresses.size(), 1);
    }

    void batchProcessSetsTheFieldOfSelectedEntriesOnly_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selectedAfter");
        // Bounces|Name|SendRights of the selected entries after the run; the entries start with 7 bounces and
        // the sending right that the kind changes (granted for all but kind 2).
        QTest::newRow("reset bounces") << 1 << "Resetting Bounce Count"
                                       << "0||1";
        QTest::newRow("enable sending") << 2 << "Enabling Sending Rights"
                                        << "7||1";
        QTest::newRow("disable sending") << 3 << "Disabling Sending Rights"
                                         << "7||0";
    }
    void batchProcessSetsTheFieldOfSelectedEntriesOnly() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, selectedAfter);
        const bool startRights = kind != 2;
        const int a = f.add(QStringLiteral("a@example.org"), QStringLiteral("News"), 7, QString(), startRights);
        f.add(QStringLiteral("b@example.org"), QStringLiteral("News"), 7, QString(), startRights);
        const int c = f.add(QStringLiteral("c@example.org"), QStringLiteral("News"), 7, QString(), startRights);
        QCOMPARE(f.maintenance->BatchProcess(kind, {c, a}), ListMaintenance::Outcome::Completed);
        const QStringList rows = f.rows();
        const QString unselected = startRights ? QStringLiteral("7||1") : QStringLiteral("7||0");
        QVERIFY2(rows.at(0).endsWith(selectedAfter), qPrintable(rows.at(0)));
        QVERIFY2(rows.at(1).endsWith(unselected), qPrintable(rows.at(1)));
        QVERIFY2(rows.at(2).endsWith(selectedAfter), qPrintable(rows.at(2)));
        QCOMPARE(f.prompt->progress, (QStringList{QStringLiteral("50|") + text, QStringLiteral("100|") + text}));
        QVERIFY(f.prompt->shown.isEmpty());
    }

    void batchProcessReportsAMissingEntryAndGoesOn() {
        const int a = f.add(QStringLiteral("a@example.org"), QStringLiteral("News"), 3);
        QCOMPARE(f.maintenance->BatchProcess(1, {777, a}), ListMaintenance::Outcome::CompletedWithErrors);
        QCOMPARE(f.prompt->texts(), QStringList{QStringLiteral("Error Encountered Resetting Bounce Count")});
        QVERIFY(f.rows().at(0).contains(QLatin1String("|0||")));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, f.maintenance->BatchProcess(4, {a}));
    }

    // Rows: "item,category" in insertion order; selected: their positions; expected: "item,category" left.
    void setCategory_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("plain change") << QStringList{"a@x.org,News", "b@x.org,News"} << QList<int>{1} << "Work"
                                      << QStringList{"a@x.org,News", "b@x.org,Work"};
        QTest::newRow("two entries of one address, new category")
            << QStringList{"a@x.org,News", "A@X.org,Sport", "b@x.org,News"} << QList<int>{0, 1} << "Work"
            << QStringList{"a@x.org,Work", "b@x.org,News"};
        QTest::newRow("own category in other letter case changes nothing")
            << QStringList{"a@x.org,Friends"} << QList<int>{0} << "FRIENDS" << QStringList{"a@x.org,Friends"};
        QTest::newRow("address already in the category, letter case ignored")
            << QStringList{"a@x.org,work", "A@x.ORG,News"} << QList<int>{1} << "Work" << QStringList{"a@x.org,work"};
        QTest::newRow("taken as typed") << QStringList{"a@x.org,News"} << QList<int>{0} << "  odd Cat"
                                        << QStringList{"a@x.org,  odd Cat"};
    }
    void setCategory() {
        QFETCH(QStringList, entries);
        QFETCH(QList<int>, selected);
        QFETCH(QString, category);
        QFETCH(QStringList, expected);
        QList<int> indexes;
        for (const QString &entry : entries) {
            indexes.append(f.add(entry.section(QLatin1Char(','), 0, 0), entry.section(QLatin1Char(','), 1)));
        }
        QList<int> selection;
        for (const int position : selected) {
            selection.append(indexes.at(position));
        }
        QCOMPARE(f.maintenance->SetCategory(selection, category), ListMaintenance::Outcome::Completed);
        QStringList left;
        for (const QString &row : f.rows()) {
            left.append(row.section(QLatin1Char('|'), 1, 1) + QLatin1Char(',') + row.section(QLatin1Char('|'), 2, 2));
        }
        QCOMPARE(left, expected);
        // A single entry shows no progress (a maximum of 1 shows nothing).
        QCOMPARE(f.prompt->progress.isEmpty(), selection.size() == 1);
        if (selection.size() > 1) {
            QCOMPARE(f.prompt->progress.last(), QStringLiteral("100|Setting category to ") + category);
        }
    }

    // The duplicate check sees the whole list even while the view shows only some categories, and the
    // view's filter is back afterwards.
    void setCategoryChecksEntriesHiddenByTheFilter() {
        f.add(QStringLiteral("a@x.org"), QStringLiteral("Work"));
        const int shown = f.add(QStringLiteral("a@x.org"), QStringLiteral("News"));
        f.table().setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("news")));
        f.table().setFiltered(true);
        int frozen = 0;
        int thawed = 0;
        f.maintenance->setViewHooks({[&frozen] { ++frozen; }, [&thawed] { ++thawed; }});
        f.maintenance->SetCategory({shown}, QStringLiteral("Work"));
        QCOMPARE(f.rows().size(), 1);
        QVERIFY(f.table().filtered());
        QCOMPARE(f.table().recordCount(), 0);
        QCOMPARE(frozen, 1);
        QCOMPARE(thawed, 1);
        QCOMPARE(f.prompt->busyDepth, 0);
    }

    void changeCategoryAsksWithTheFocusedCategory_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("expected");
        QTest::newRow("chosen") << "Work"
                                << "Work";
        QTest::newRow("cancelled") << ""
                                   << "Sport";
    }
    void changeCategoryAsksWithTheFocusedCategory() {
        QFETCH(QString, answer);
        QFETCH(QString, expected);
        f.settings->AllowedCategories = {QStringLiteral("News"), QStringLiteral("Work")};
        const int a = f.add(QStringLiteral("a@x.org"), QStringLiteral("News"));
        const int b = f.add(QStringLiteral("b@x.org"), QStringLiteral("Sport"));
        QString prompt;
        QStringList categories;
        QString current;
        f.maintenance->ChangeCategory(
            {b, a},
            [&](const QString &p, const QStringList &c, const QString &cur) {
                prompt = p;
                categories = c;
                current = cur;
                return answer;
            },
            b);
        QCOMPARE(prompt, QStringLiteral("Please enter a List Category for these 2 entries"));
        QCOMPARE(categories, f.settings->AllowedCategories);
        QCOMPARE(current, QStringLiteral("Sport"));
        QCOMPARE(f.rows().at(1).section(QLatin1Char('|'), 2, 2), expected);
    }
};

QTEST_GUILESS_MAIN(TestMaintenance)
#include "tst_maintenance.moc"

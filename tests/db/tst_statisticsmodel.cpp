// The statistics window's model over a real statistics table: rows by date, edits posted and kept across
// reopening, refused values, the totals, the date of a new row, deletion after the question, the chart
// points, changes made elsewhere, and failures caused by another copy of the program.
#include "DbTestSupport.h"
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/Statistics.h"
#include "db/StatisticsModel.h"
#include "db/TdmML.h"

#include <QDateTime>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace corvane;

class TestStatisticsModel : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_db;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<TdmML> m_dm;

    QString statsFile() const { return m_db->filePath(QStringLiteral("mailstat.DAT")); }

    void addDay(const QDate &date, int subscribes, int unsubscribes, int bounces, const QString &notes = {}) {
        m_dm->tblStats().appendRecord({date, subscribes, unsubscribes, bounces, notes});
    }

    // Opens the database of this test again in a fresh data module (exclusive unless `shared`).
    void reopen(bool shared = false) {
        m_dm.reset();
        m_dm = std::make_unique<TdmML>(*m_prompt);
        m_dm->setDBExclusive(!shared);
        m_dm->OpenDatabase(m_db->path());
        QVERIFY(m_dm->DatabaseLoaded());
    }

    // The model's rows as "date|subscribes|unsubscribes|bounces|notes".
    static QStringList modelRows(const StatisticsModel &model) {
        QStringList rows;
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList fields{model.dateAt(row).toString(Qt::ISODate)};
            for (int column = 1; column < StatisticsModel::ColumnCount; ++column) {
                fields.append(model.data(model.index(row, column)).toString());
            }
            rows.append(fields.join(QLatin1Char('|')));
        }
        return rows;
    }

    // Three days inserted out of date order.
    void addThreeDays() {
        addDay(QDate(2024, 3, 15), 5, 1, 0, QStringLiteral("newsletter"));
        addDay(QDate(2023, 12, 31), 2, 0, 7);
        addDay(QDate(2024, 1, 2), 0, 3, 1);
    }

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        m_db = std::make_unique<QTemporaryDir>();
        AppPaths::setApplicationDirectory(m_home->path());
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_dm = std::make_unique<TdmML>(*m_prompt);
        m_prompt->answer(UserPrompt::Yes);
        m_dm->OpenDatabase(m_db->path());
        QVERIFY(m_dm->DatabaseLoaded());
    }
    void cleanup() {
        QVERIFY(m_prompt->allAnswersUsed());
        m_dm.reset();
        m_prompt.reset();
        AppPaths::setApplicationDirectory(QString());
    }

    void rowsByDateWithReadOnlyDate() {
        addThreeDays();
        StatisticsModel model(*m_prompt, m_dm->tblStats());
        model.reload();
        QCOMPARE(modelRows(model),
                 (QStringList{"2023-12-31|2|0|7|", "2024-01-02|0|3|1|", "2024-03-15|5|1|0|newsletter"}));
        QStringList headings;
        for (int column = 0; column < model.columnCount(); ++column) {
            headings.append(model.headerData(column, Qt::Horizontal).toString());
        }
        QCOMPARE(headings, (QStringList{"Date", "Subscribes", "Unsubscribes", "Bounces", "Notes"}));
        QVERIFY(!(model.flags(model.index(0, StatisticsModel::DateColumn)) & Qt::ItemIsEditable));
        for (int column = StatisticsModel::SubscribesColumn; column < StatisticsModel::ColumnCount; ++column) {
            QVERIFY(model.flags(model.index(0, column)) & Qt::ItemIsEditable);
        }
        QVERIFY(!model.setData(model.index(0, StatisticsModel::DateColumn), QDate(2024, 1, 1)));
        QCOMPARE(model.dateAt(0), QDate(2023, 12, 31));
        QCOMPARE(model.rowOf(QDate(2024, 1, 2)), 1);
        QCOMPARE(model.rowOf(QDate(2024, 1, 1)), -1);
    }

    void editsArePostedAndKept_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("row"); // the edited day after reopening

        const QString longNotes = QString(150, QLatin1Char('a')) + QString(100, QLatin1Char('b'));
        QTest::newRow("subscribes") << int(StatisticsModel::SubscribesColumn) << QVariant(12) << "2024-01-02|12|3|1|";
        QTest::newRow("unsubscribes to zero")
            << int(StatisticsModel::UnsubscribesColumn) << QVariant(0) << "2024-01-02|0|0|1|";
        QTest::newRow("largest count") << int(StatisticsModel::BouncesColumn) << QVariant(2147483647)
                                       << "2024-01-02|0|3|2147483647|";
        QTest::newRow("count typed as text")
            << int(StatisticsModel::BouncesColumn) << QVariant(QStringLiteral("44")) << "2024-01-02|0|3|44|";
        QTest::newRow("notes on two lines")
            << int(StatisticsModel::NotesColumn) << QVariant(QStringLiteral("server down\nrecounted by hand"))
            << "2024-01-02|0|3|1|server down\nrecounted by hand";
        QTest::newRow("notes cut to 200 characters")
            << int(StatisticsModel::NotesColumn) << QVariant(longNotes) << "2024-01-02|0|3|1|" + longNotes.left(200);
    }
    void editsArePostedAndKept() {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, row);
        addThreeDays();
        {
            StatisticsModel model(*m_prompt, m_dm->tblStats());
            model.reload();
            QVERIFY(model.setData(model.index(1, column), value));
            QCOMPARE(modelRows(model).at(1), row);
        }
        reopen();
        StatisticsModel reopened(*m_prompt, m_dm->tblStats());
        reopened.reload();
        QCOMPARE(modelRows(reopened), (QStringList{"2023-12-31|2|0|7|", row, "2024-03-15|5|1|0|newsletter"}));
    }

    void refusedCounts_data() {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("negative") << QVariant(-1);
        QTest::newRow("beyond 32 bits") << QVariant(qlonglong(2147483648LL));
        QTest::newRow("not a number") << QVariant(QStringLiteral("many"));
        QTest::newRow("empty") << QVariant(QString());
    }
    void refusedCounts() {
        QFETCH(QVariant, value);
        addThreeDays();
        StatisticsModel model(*m_prompt, m_dm->tblStats());
        model.reload();
        QVERIFY(!model.setData(model.index(0, StatisticsModel::SubscribesColumn), value));
        reopen();
        StatisticsModel reopened(*m_prompt, m_dm->tblStats());
        reopened.reload();
        QCOMPARE(modelRows(reopened).value(0), QStringLiteral("2023-12-31|2|0|7|"));
    }

    void totalsOverAllRows() {
        // More rows than a grid shows at once, and sums beyond 32 bits.
        SqliteTable &table = m_dm->tblStats();
        table.lockTable();
        for (int day = 0; day < 400; ++day) {
            addDay(QDate(2023, 1, 1).addDays(day), day, 1, day % 3);
        }
        addDay(QDate(2022, 6, 1), 2147483647, 2147483647, 0);
        table.unlockTable();
        StatisticsModel model(*m_prompt, table);
        model.reload();
        QSignalSpy counts(&model, &StatisticsModel::countsChanged);
        StatisticsModel::Totals sums = model.totals();
        QCOMPARE(sums.subscribes, 2147483647LL + 399 * 400 / 2);
        QCOMPARE(sums.unsubscribes, 2147483647LL + 400);
        QCOMPARE(sums.bounces, 399LL);

        QVERIFY(model.setData(model.index(model.rowOf(QDate(2023, 1, 1)), StatisticsModel::BouncesColumn), 1000));
        QCOMPARE(model.totals().bounces, 1399LL);
        m_prompt->answer(UserPrompt::Yes);
        QVERIFY(model.DeleteRecord(0));
        sums = model.totals();
        QCOMPARE(sums.subscribes, 399LL * 400 / 2);
        QCOMPARE(sums.unsubscribes, 400LL);
        QCOMPARE(counts.count(), 2);
    }

    void newRowNeverRepeatsADate_data() {
        QTest::addColumn<QList<int>>("taken"); // days from today that already have a row
        QTest::addColumn<QList<int>>("added"); // days from today of three rows inserted one after the other

        QTest::newRow("empty table") << QList<int>{} << QList<int>{0, 1, 2};
        QTest::newRow("only past days") << QList<int>{-30, -1} << QList<int>{0, 1, 2};
        QTest::newRow("today taken") << QList<int>{0} << QList<int>{1, 2, 3};
        QTest::newRow("a run of days from today") << QList<int>{-1, 0, 1, 2} << QList<int>{3, 4, 5};
        QTest::newRow("gap after today") << QList<int>{0, 2, 4} << QList<int>{1, 3, 5};
        QTest::newRow("only later days") << QList<int>{1, 5} << QList<int>{0, 2, 3};
    }
    void newRowNeverRepeatsADate() {
        QFETCH(QList<int>, taken);
        QFETCH(QList<int>, added);
        const QDate today(2024, 2, 28); // the run crosses the leap day
        for (int day : taken) {
            addDay(today.addDays(day), 1, 1, 1);
        }
        StatisticsModel model(*m_prompt, m_dm->tblStats());
        model.reload();
        for (int day : added) {
            const int row = model.InsertRecord(today);
            QVERIFY(row >= 0);
            QCOMPARE(model.dateAt(row), today.addDays(day));
            QCOMPARE(modelRows(model).at(row), today.addDays(day).toString(Qt::ISODate) + "|0|0|0|");
        }
        QCOMPARE(m_dm->tblStats().recordCount(), qint64(taken.size() + added.size()));
        for (int row = 1; row < model.rowCount(); ++row) {
            QVERIFY(model.dateAt(row - 1) < model.dateAt(row));
        }
    }

    void deleteAsksFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("remaining");
        QTest::newRow("Yes deletes") << int(UserPrompt::Yes)
                                     << QStringList{"2023-12-31|2|0|7|", "2024-03-15|5|1|0|newsletter"};
        QTest::newRow("No keeps the row")
            << int(UserPrompt::No)
            << QStringList{"2023-12-31|2|0|7|", "2024-01-02|0|3|1|", "2024-03-15|5|1|0|newsletter"};
    }
    void deleteAsksFirst() {
        QFETCH(int, answer);
        QFETCH(QStringList, remaining);
        addThreeDays();
        StatisticsModel model(*m_prompt, m_dm->tblStats());
        model.reload();
        m_prompt->answer(UserPrompt::Button(answer));
        QCOMPARE(model.DeleteRecord(1), answer == UserPrompt::Yes);
        QCOMPARE(m_prompt->shown.size(), 2); // the creation offer of init(), then the question
        QCOMPARE(m_prompt->shown.last().kind, UserPrompt::Kind::Confirmation);
        QCOMPARE(m_prompt->shown.last().text, QStringLiteral("Delete this record?"));
        QCOMPARE(m_prompt->shown.last().buttons, UserPrompt::Buttons(UserPrompt::Yes | UserPrompt::No));
        QCOMPARE(modelRows(model), remaining);
        reopen();
        StatisticsModel reopened(*m_prompt, m_dm->tblStats());
        reopened.reload();
        QCOMPARE(modelRows(reopened), remaining);
    }

    void chartFollowsTheRows() {
        addThreeDays();
        StatisticsModel model(*m_prompt, m_dm->tblStats());
        model.reload();
        const auto x = [](const QDate &date) { return qreal(date.startOfDay().toMSecsSinceEpoch()); };
        QCOMPARE(model.chartPoints(StatisticsModel::SubscribesColumn),
                 (QList<QPointF>{{x(QDate(2023, 12, 31)), 2}, {x(QDate(2024, 1, 2)), 0}, {x(QDate(2024, 3, 15)), 5}}));
        QVERIFY(model.setData(model.index(2, StatisticsModel::BouncesColumn), 9));
        QCOMPARE(model.chartPoints(StatisticsModel::BouncesColumn),
                 (QList<QPointF>{{x(QDate(2023, 12, 31)), 7}, {x(QDate(2024, 1, 2)), 1}, {x(QDate(2024, 3, 15)), 9}}));
        const int row = model.InsertRecord(QDate(2024, 1, 1));
        QCOMPARE(row, 1);
        QCOMPARE(model.chartPoints(StatisticsModel::UnsubscribesColumn), (QList<QPointF>{{x(QDate(2023, 12, 31)), 0},
                                                                                         {x(QDate(2024, 1, 1)), 0},
                                                                                         {x(QDate(2024, 1, 2)), 3},
                                                                                         {x(QDate(2024, 3, 15)), 1}}));
        QVERIFY(model.chartPoints(StatisticsModel::NotesColumn).isEmpty());
        QVERIFY(model.chartPoints(StatisticsModel::DateColumn).isEmpty());
    }

    void followsCountingElsewhere() {
        addThreeDays();
        StatisticsModel model(*m_prompt, m_dm->tblStats());
        model.reload();
        Statistics::AddStatRecord(m_dm->tblStats(), Statistics::Bounce, QStringLiteral("1/1/24 10:00 AM"));
        Statistics::AddStatRecord(m_dm->tblStats(), Statistics::Subscribe, QStringLiteral("3/15/24 10:00 AM"));
        QCOMPARE(modelRows(model), (QStringList{"2023-12-31|2|0|7|", "2024-01-01|0|0|1|", "2024-01-02|0|3|1|",
                                                "2024-03-15|6|1|0|newsletter"}));
        QCOMPARE(model.totals().bounces, 9LL);
        m_dm->CloseDatabase();
        QCOMPARE(model.rowCount(), 0);
    }

    // Another copy of the program sharing the database changes the table behind the model's back.
    void failuresCausedByAnotherCopy_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("edit of a day deleted elsewhere")
            << "DELETE FROM tblStats WHERE Date = '2024-01-02'"
            << "edit" << QStringList{"2023-12-31|2|0|7|", "2024-03-15|5|1|0|newsletter"};
        QTest::newRow("delete of a day deleted elsewhere")
            << "DELETE FROM tblStats WHERE Date = '2024-01-02'"
            << "delete" << QStringList{"2023-12-31|2|0|7|", "2024-03-15|5|1|0|newsletter"};
        QTest::newRow("new row for a day added elsewhere")
            << "INSERT INTO tblStats VALUES ('2024-01-01', 4, 0, 0, 'other copy')"
            << "insert"
            << QStringList{"2023-12-31|2|0|7|", "2024-01-01|4|0|0|other copy", "2024-01-02|0|3|1|",
                           "2024-03-15|5|1|0|newsletter"};
    }
    void failuresCausedByAnotherCopy() {
        QFETCH(QString, sql);
        QFETCH(QString, action);
        QFETCH(QStringList, rows);
        addThreeDays();
        reopen(true);
        StatisticsModel model(*m_prompt, m_dm->tblStats());
        model.reload();
        QCOMPARE(test::rawExec(statsFile(), sql), 0);
        const qsizetype shownBefore = m_prompt->shown.size();
        if (action == QLatin1String("edit")) {
            QVERIFY(!model.setData(model.index(1, StatisticsModel::SubscribesColumn), 3));
        } else if (action == QLatin1String("delete")) {
            m_prompt->answer(UserPrompt::Yes);
            QVERIFY(!model.DeleteRecord(1));
        } else {
            QCOMPARE(model.InsertRecord(QDate(2024, 1, 1)), -1);
            QCOMPARE(m_prompt->shown.last().text, QStringLiteral("There is already a record for 2024-01-01."));
        }
        QCOMPARE(m_prompt->shown.last().kind, UserPrompt::Kind::Warning);
        QCOMPARE(m_prompt->shown.size(), shownBefore + (action == QLatin1String("delete") ? 2 : 1));
        QCOMPARE(m_dm->tblStats().state(), SqliteTable::State::Browse);
        QCOMPARE(modelRows(model), rows);
    }
};

QTEST_GUILESS_MAIN(TestStatisticsModel)
#include "tst_statisticsmodel.moc"

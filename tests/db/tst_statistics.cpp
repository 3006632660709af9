// The daily statistics: one row per day, counters raised by event kind, the day read from a date-and-time
// text in the locale's short date format, and every failure swallowed.
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/Statistics.h"
#include "db/TdmML.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace corvane;

class TestStatistics : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_db;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<TdmML> m_dm;

    // Every row as "date|subscribes|unsubscribes|bounces|notes", in date order.
    QStringList rows() {
        SqliteTable &table = m_dm->tblStats();
        QStringList result;
        for (table.first(); !table.eof(); table.next()) {
            result.append(QStringList{table.date(QStringLiteral("Date")).toString(Qt::ISODate),
                                      QString::number(table.integer(QStringLiteral("Subscribes"))),
                                      QString::number(table.integer(QStringLiteral("Unsubscribes"))),
                                      QString::number(table.integer(QStringLiteral("Bounces"))),
                                      table.text(QStringLiteral("Notes"))}
                              .join(QLatin1Char('|')));
        }
        return result;
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
        m_dm.reset();
        m_prompt.reset();
        AppPaths::setApplicationDirectory(QString());
    }

    void addStatRecord_data() {
        QTest::addColumn<QStringList>("events"); // "kind|date text"
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("first event of a day creates the row")
            << QStringList{"1|3/14/24"} << QStringList{"2024-03-14|1|0|0|"};
        QTest::newRow("two events of one kind on one day")
            << QStringList{"-1|3/14/24 9:05 AM", "-1|3/14/24 11:59 PM"} << QStringList{"2024-03-14|0|2|0|"};
        QTest::newRow("each kind its counter")
            << QStringList{"9|3/14/24", "1|3/14/24", "9|3/14/24", "-1|3/14/24"} << QStringList{"2024-03-14|1|1|2|"};
        QTest::newRow("days apart, rows in date order") << QStringList{"1|3/15/24", "9|3/14/24", "1|3/15/24"}
                                                        << QStringList{"2024-03-14|0|0|1|", "2024-03-15|2|0|0|"};
        QTest::newRow("time part in the long form, with and without zone")
            << QStringList{"1|3/14/24 10:15:30 AM UTC", "1|3/14/24 10:15:30 PM"} << QStringList{"2024-03-14|2|0|0|"};
        QTest::newRow("four-digit year") << QStringList{"9|12/31/2023 11:00 PM"} << QStringList{"2023-12-31|0|0|1|"};
        QTest::newRow("two-digit year of the last century")
            << QStringList{"1|7/4/95"} << QStringList{"1995-07-04|1|0|0|"};
        QTest::newRow("unconvertible texts count nothing")
            << QStringList{"1|", "1|yesterday", "1|14/3/24", "1|3/14/24 noon", "1|2024-03-14", "9|3/14"}
            << QStringList{};
        QTest::newRow("other kinds create the day's row only")
            << QStringList{"0|3/14/24", "5|3/14/24", "1|3/15/24", "5|3/15/24"}
            << QStringList{"2024-03-14|0|0|0|", "2024-03-15|1|0|0|"};
    }

    void addStatRecord() {
        QFETCH(QStringList, events);
        for (const QString &event : events) {
            Statistics::AddStatRecord(m_dm->tblStats(), event.section(QLatin1Char('|'), 0, 0).toInt(),
                                      event.section(QLatin1Char('|'), 1));
        }
        QTEST(rows(), "rows");
    }

    void notesAndCountsOfAnExistingRowStay() {
        m_dm->tblStats().appendRecord({QDate(2024, 3, 14), 4, 5, 6, QStringLiteral("typed by hand")});
        Statistics::AddStatRecord(m_dm->tblStats(), Statistics::Bounce, QStringLiteral("3/14/24 8:00 AM"));
        QCOMPARE(rows(), QStringList{"2024-03-14|4|5|7|typed by hand"});
    }

    void closedTableCountsNothing() {
        m_dm->CloseDatabase();
        Statistics::AddStatRecord(m_dm->tblStats(), Statistics::Subscribe, QStringLiteral("3/14/24"));
        m_dm->OpenDatabase(m_db->path());
        QVERIFY(m_dm->DatabaseLoaded());
        QCOMPARE(rows(), QStringList{});
    }

    void dateOfText_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");

        QTest::newRow("German short date and time") << "de_DE"
                                                    << "14.03.24 10:15" << QDate(2024, 3, 14);
        QTest::newRow("German long time with zone") << "de_DE"
                                                    << "01.02.2025 23:59:59 UTC" << QDate(2025, 2, 1);
        QTest::newRow("German text in US format") << "de_DE"
                                                  << "3/14/24" << QDate();
        QTest::newRow("British four-digit year") << "en_GB"
                                                 << "14/03/2024 10:15" << QDate(2024, 3, 14);
        QTest::newRow("C locale month name") << "C"
                                             << "14 Mar 2024 10:15:30" << QDate(2024, 3, 14);
        QTest::newRow("extra blanks") << "en_US"
                                      << "  3/14/24   10:15 AM " << QDate(2024, 3, 14);
    }

    void dateOfText() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QTEST(Statistics::dateOfText(text, QLocale(locale)), "date");
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"

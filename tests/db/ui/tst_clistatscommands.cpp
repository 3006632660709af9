// corvane-cli's "stats" command run in-process on a headless main window over a real database: the day
// lines in date order with their notes kept on one line, the total line, and the refusals.
#include "ScriptedPrompt.h"
#include "app/Tfrmmain.h"
#include "base/AppPaths.h"
#include "cli/CliContext.h"
#include "cli/CliStatsCommands.h"
#include "db/TdmML.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace corvane;

class TestCliStatsCommands : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<Tfrmmain> m_main;
    QStringList m_out;
    QStringList m_err;
    bool m_settingsChanged = false;
    bool m_errorsChanged = false;

    int run(const QStringList &arguments) {
        CliContext context{*m_main,
                           *m_prompt,
                           [this](const QString &line) { m_out.append(line); },
                           [this](const QString &line) { m_err.append(line); },
                           m_settingsChanged,
                           m_errorsChanged};
        return CliStatsCommands::stats(context, arguments);
    }

    // A headless main window on a fresh application directory; `create` answers the offer of a database.
    void start(bool create) {
        m_prompt->answer(create ? UserPrompt::Yes : UserPrompt::No);
        if (!create) {
            m_prompt->answerDirectory(QString());
        }
        m_main = std::make_unique<Tfrmmain>(*m_prompt);
        m_main->FormCreate({});
        m_main->createDataModule();
        QCOMPARE(m_main->dataModule()->DatabaseLoaded(), create);
    }

private slots:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path()); }
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        AppPaths::setApplicationDirectory(m_home->path());
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_out.clear();
        m_err.clear();
    }
    void cleanup() {
        QVERIFY(m_prompt->allAnswersUsed());
        if (m_main) {
            m_main->FormDestroy();
        }
        m_main.reset();
        m_prompt.reset();
        AppPaths::setApplicationDirectory(QString());
    }

    void printsDaysAndTotals_data() {
        QTest::addColumn<QList<QVariantList>>("days");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("no days") << QList<QVariantList>{} << QStringList{"Total\t0\t0\t0"};
        QTest::newRow("days in date order") << QList<QVariantList>{{QDate(2024, 3, 15), 5, 1, 0, "newsletter"},
                                                                   {QDate(2023, 12, 31), 2, 0, 7, ""},
                                                                   {QDate(2024, 1, 2), 0, 3, 1, "server down"}}
                                            << QStringList{"2023-12-31\t2\t0\t7\t", "2024-01-02\t0\t3\t1\tserver down",
                                                           "2024-03-15\t5\t1\t0\tnewsletter", "Total\t7\t4\t8"};
        QTest::newRow("notes kept on one line")
            << QList<QVariantList>{{QDate(2024, 1, 2), 1, 2, 3, "a\tb\r\nc\\d\ne"}}
            << QStringList{"2024-01-02\t1\t2\t3\ta\\tb\\r\\nc\\\\d\\ne", "Total\t1\t2\t3"};
        QTest::newRow("totals beyond 32 bits")
            << QList<QVariantList>{{QDate(2024, 1, 1), 2147483647, 0, 1, ""}, {QDate(2024, 1, 2), 2147483647, 0, 1, ""}}
            << QStringList{"2024-01-01\t2147483647\t0\t1\t", "2024-01-02\t2147483647\t0\t1\t",
                           "Total\t4294967294\t0\t2"};
    }
    void printsDaysAndTotals() {
        QFETCH(QList<QVariantList>, days);
        start(true);
        for (const QVariantList &day : days) {
            m_main->dataModule()->tblStats().appendRecord(day);
        }
        QCOMPARE(run({}), 0);
        QTEST(m_out, "lines");
        QCOMPARE(m_err, QStringList{});
        QVERIFY(!m_settingsChanged);
        QVERIFY(!m_errorsChanged);
    }

    void refusals_data() {
        QTest::addColumn<bool>("database");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("arguments") << true << QStringList{"--all"} << 2 << "stats takes no arguments";
        QTest::newRow("no database") << false << QStringList{} << 1 << "no mailing list database is open";
    }
    void refusals() {
        QFETCH(bool, database);
        QFETCH(QStringList, arguments);
        start(database);
        QTEST(run(arguments), "status");
        QCOMPARE(m_out, QStringList{});
        QCOMPARE(m_err.size(), 1);
        QTEST(m_err.first(), "message");
    }
};

QTEST_GUILESS_MAIN(TestCliStatsCommands)
#include "tst_clistatscommands.moc"

// Start-up, caption, scan timer rules and shutdown of the main window's behaviour, run headless with
// scripted answers.
#include "ScriptedPrompt.h"
#include "app/Tfrmmain.h"
#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "base/TextFile.h"
#include "db/TdmML.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestTfrmmain : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_appDir;

    void storeValue(const QString &name, const QString &value) { AppPaths::openSettings()->setValue(name, value); }

    // A main window whose database is created in the application directory on the first question.
    std::unique_ptr<Tfrmmain> started(ScriptedPrompt &prompt, const QStringList &arguments = {}) {
        auto main = std::make_unique<Tfrmmain>(prompt);
        main->FormCreate(arguments);
        if (!QFileInfo::exists(m_appDir + QStringLiteral("mailist.DAT"))) {
            prompt.answer(UserPrompt::Yes);
        }
        main->createDataModule();
        return main;
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_tmp->filePath(QStringLiteral("config")));
        m_appDir = m_tmp->filePath(QStringLiteral("app")) + QLatin1Char('/');
        AppPaths::setApplicationDirectory(m_appDir);
    }

    void cleanup() {
        AppPaths::setApplicationDirectory(QString());
        m_tmp.reset();
    }

    void debugSwitch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("debug");
        QTest::newRow("lower case") << QStringList{"/debug"} << true;
        QTest::newRow("mixed case") << QStringList{"/DeBuG", "x"} << true;
        QTest::newRow("second argument only") << QStringList{"x", "/DEBUG"} << false;
        QTest::newRow("none") << QStringList{} << false;
        QTest::newRow("dash") << QStringList{"-debug"} << false;
    }
    void debugSwitch() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, debug);
        QCOMPARE(Tfrmmain::isDebugArgument(arguments), debug);
    }

    void captionInDebugModeShowsNoPath() {
        ScriptedPrompt prompt;
        auto main = started(prompt, {QStringLiteral("/debug")});
        main->FormShow();
        QCOMPARE(main->caption(), QStringLiteral("Corvane Professional  DEBUG MODE"));
    }

    void captionShowsApplicationDirectoryForPercent() {
        storeValue(QStringLiteral("DBPath"), QStringLiteral("%"));
        ScriptedPrompt prompt;
        auto main = started(prompt);
        main->FormShow();
        QCOMPARE(main->caption(), QStringLiteral("Corvane Professional  (Database: ") + m_appDir + QLatin1Char(')'));
        QCOMPARE(main->countText(), QStringLiteral("  0 Records"));
    }

    void captionShowsDirectoryAsTyped() {
        const QString dir = m_tmp->filePath(QStringLiteral("lists"));
        QDir().mkpath(dir);
        storeValue(QStringLiteral("DBPath"), dir);
        ScriptedPrompt prompt;
        prompt.answer(UserPrompt::Yes);
        auto main = std::make_unique<Tfrmmain>(prompt);
        main->FormCreate({});
        main->createDataModule();
        main->FormShow();
        QCOMPARE(main->caption(), QStringLiteral("Corvane Professional  (Database: ") + dir + QLatin1Char(')'));
        QVERIFY(QFileInfo::exists(dir + QStringLiteral("/mailist.DAT")));
    }

    void startUpScanRunsOnceShortlyAfterShowing() {
        storeValue(QStringLiteral("AutoScanStartUp"), QStringLiteral("true"));
        storeValue(QStringLiteral("AutoScanDelayed"), QStringLiteral("False"));
        ScriptedPrompt prompt;
        auto main = started(prompt);
        main->FormShow();
        QVERIFY(main->tmrGetEntries().isActive());
        QCOMPARE(main->tmrGetEntries().interval(), 250);
        // The scan finds no mailing-list folder in the new mail store and asks whether to create it.
        prompt.answer(UserPrompt::No);
        QCOMPARE(main->scanCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(main->scanCount(), 1, 1000);
        QVERIFY(!main->tmrGetEntries().isActive());
        QTest::qWait(300);
        QCOMPARE(main->scanCount(), 1);
    }

    void periodicScanIsPostponedWhileAnotherWindowIsActive() {
        storeValue(QStringLiteral("AutoScanDelayed"), QStringLiteral("true"));
        storeValue(QStringLiteral("AutoScanDelayedTime"), QStringLiteral("1"));
        ScriptedPrompt prompt;
        auto main = started(prompt);
        bool active = false;
        main->isMainWindowActive = [&active] { return active; };
        main->FormShow();
        QVERIFY(main->tmrGetEntries().isActive());
        QCOMPARE(main->tmrGetEntries().interval(), 60000);

        main->tmrGetEntriesTimer();
        QCOMPARE(main->scanCount(), 0);
        QVERIFY(main->tmrGetEntries().isActive());
        QVERIFY(main->tmrGetEntries().remainingTime() > 59000);

        // The scan finds no mailing-list folder in the new mail store and asks whether to create it.
        prompt.answer(UserPrompt::No);
        active = true;
        main->tmrGetEntriesTimer();
        QCOMPARE(main->scanCount(), 1);
        QVERIFY(main->tmrGetEntries().isActive());
        QCOMPARE(main->tmrGetEntries().interval(), 60000);
    }

    void noTimerWithoutEitherScanOption() {
        ScriptedPrompt prompt;
        auto main = started(prompt);
        main->FormShow();
        QVERIFY(!main->tmrGetEntries().isActive());
        // The scan finds no mailing-list folder in the new mail store and asks whether to create it.
        prompt.answer(UserPrompt::No);
        main->btngetoutlookClick();
        QCOMPARE(main->scanCount(), 1);
        QVERIFY(!main->tmrGetEntries().isActive());
    }

    void backUpOnExit_data() {
        QTest::addColumn<bool>("writerFails");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("written") << false << -1 << true;
        QTest::newRow("failed, close anyway") << true << int(UserPrompt::Yes) << true;
        QTest::newRow("failed, keep running") << true << int(UserPrompt::No) << false;
    }
    void backUpOnExit() {
        QFETCH(bool, writerFails);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        storeValue(QStringLiteral("BackUpOnExit"), QStringLiteral("true"));
        ScriptedPrompt prompt;
        auto main = started(prompt);
        main->FormShow();
        int written = 0;
        main->backUp = [&] {
            if (writerFails) {
                throw CorvaneError(QStringLiteral("disk full"));
            }
            ++written;
        };
        if (answer >= 0) {
            prompt.answer(UserPrompt::Button(answer));
        }
        const int before = prompt.shown.size();
        QCOMPARE(main->FormCloseQuery(), closes);
        QCOMPARE(written, writerFails ? 0 : 1);
        if (writerFails) {
            QCOMPARE(prompt.shown.size(), before + 1);
            QCOMPARE(prompt.shown.last().text,
                     QStringLiteral("An error was encountered saving your back up file.  Do you still want to close?"));
        } else {
            QCOMPARE(prompt.shown.size(), before);
        }
    }

    void backUpOnExitWritesTheBackUpFile() {
        storeValue(QStringLiteral("BackUpOnExit"), QStringLiteral("true"));
        ScriptedPrompt prompt;
        auto main = started(prompt);
        main->FormShow();
        main->dataModule()->tblML().appendRecord({QStringLiteral("a@x.org"), QStringLiteral("News"), 2});
        QVERIFY(main->FormCloseQuery());
        QCOMPARE(TextFile::readLines(m_appDir + QStringLiteral("backup.csv")),
                 QStringList{QStringLiteral("a@x.org,News,,,,2")});
    }

    void shutdownWritesSettingsRuleFilesAndRecentList() {
        storeValue(QStringLiteral("DBPath"), m_appDir);
        ScriptedPrompt prompt;
        auto main = started(prompt);
        main->FormShow();
        QVERIFY(main->FormCloseQuery());
        main->FormClose();
        main->FormDestroy();
        const QStringList files = {"addstr.txt",    "remstr.txt",    "Modifystr.txt", "except.txt",
                                   "never.txt",     "failed.txt",    "cats.txt",      "signature.txt",
                                   "AckHeader.txt", "AckFooter.txt", "recent.txt"};
        for (const QString &file : files) {
            QVERIFY2(QFileInfo::exists(m_appDir + file), qPrintable(file));
        }
        QCOMPARE(TextFile::readLines(m_appDir + QStringLiteral("recent.txt")), QStringList{m_appDir});
        QCOMPARE(AppPaths::openSettings()->value(QStringLiteral("DBPath")).toString(), QStringLiteral("%"));
        QCOMPARE(AppPaths::openSettings()->value(QStringLiteral("SendCount ")).toString(), QStringLiteral("500"));
    }

    void reopenOfMissingDatabaseChangesNothing() {
        ScriptedPrompt prompt;
        auto main = started(prompt);
        main->FormShow();
        const QString before = main->caption();
        main->mkreopenonclick(m_tmp->filePath(QStringLiteral("gone")) + QLatin1Char('/'));
        QCOMPARE(prompt.shown.last().text, QStringLiteral("Corvane cannot locate this database.  Please use "
                                                          "File|Open Database to load it."));
        QCOMPARE(main->caption(), before);
        QVERIFY(main->dataModule()->DatabaseLoaded());
    }
};

QTEST_GUILESS_MAIN(TestTfrmmain)
#include "tst_tfrmmain.moc"

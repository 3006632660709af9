// Start-up, caption, scan timer rules and shutdown of the main window's behaviour, run headless with
// scripted answers.
#include "RecordingPrintTarget.h"
#include "ScriptedPrompt.h"
#include "app/Tfrmmain.h"
#include "base/AppPaths.h"
#include "base/CommandGuard.h"
#include "base/CorvaneError.h"
#include "base/TextFile.h"
#include "db/TdmML.h"
#include "listio/GridFileExport.h"
#include "listio/ListExport.h"
#include "requests/AddressChangeAsker.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

namespace {
// Answers the address change with `typed` and remembers the old address it was shown.
class TypingAsker : public AddressChangeAsker {
public:
    bool ask(QString &oldAddress, QString &newAddress, bool, bool &ignoreAllRules) override {
        shownOld = oldAddress;
        newAddress = typed;
        ignoreAllRules = false;
        return true;
    }
    QString typed;
    QString shownOld;
};

} // namespace

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

    // Values stored before control characters were refused, or typed into a rule list, are written so that
    // no line of a text file is forged: every line ends in CR LF, no lone CR, LF or NUL, and no line starts
    // with the text that followed a line break in a value.
    void poisonedValuesForgeNoLine_data() {
        QTest::addColumn<QString>("writer");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("lines");
        QTest::newRow("back-up") << "backup"
                                 << "backup.csv" << 2;
        QTest::newRow("export separated by tabs") << "export"
                                                  << "export.txt" << 2;
        QTest::newRow("printed lines") << "print"
                                       << "printed.txt" << 2;
        QTest::newRow("HTML page of the grid") << "html"
                                               << "list.html" << 18;
        QTest::newRow("errors list") << "errors"
                                     << "errors.txt" << 1;
        QTest::newRow("blocked addresses") << "never"
                                           << "never.txt" << 1;
        QTest::newRow("recent databases") << "recent"
                                          << "recent.txt" << 1;
    }
    void poisonedValuesForgeNoLine() {
        QFETCH(QString, writer);
        QFETCH(QString, file);
        QFETCH(int, lines);
        ScriptedPrompt prompt;
        auto main = started(prompt);
        main->FormShow();
        const QString forged = QStringLiteral("forged@x.org");
        SqliteTable &table = main->dataModule()->tblML();
        table.appendRecord({QStringLiteral("a@x.org\r\n") + forged, QStringLiteral("News\n") + forged, 0,
                            QStringLiteral("c\r") + forged, QStringLiteral("Ann") + QChar(0) + QStringLiteral("Lee"),
                            QStringLiteral("Ann") + QChar(0x2028) + forged, true});
        table.appendRecord({QStringLiteral("b@x.org"), QStringLiteral("News"), 1});
        const QString path = m_appDir + file;
        if (writer == QLatin1String("backup")) {
            main->settings().BackUpOnExit = true;
            QVERIFY(main->FormCloseQuery());
        } else if (writer == QLatin1String("export")) {
            ListExport run(prompt, table);
            QVERIFY(run.exportlist(path, QString(), ExportFields{}, false, QStringLiteral("\t")));
        } else if (writer == QLatin1String("print")) {
            ListExport run(prompt, table);
            test::RecordingPrintTarget printer;
            run.printTarget = &printer;
            QVERIFY(run.exportlist(QString(), QStringLiteral("heading"), ExportFields{}, false, QString()));
            TextFile::writeLines(path, printer.jobs.value(0));
        } else if (writer == QLatin1String("html")) {
            main->UpdateDisplay();
            GridFileExport::write(main->listModel(), {0, 1, 3, 4, 5}, path, GridFileExport::Format::Html);
        } else if (writer == QLatin1String("errors")) {
            main->errorsList().setLines({QStringLiteral("ADD a@x.org\r\n") + forged});
            main->FormClose();
        } else if (writer == QLatin1String("never")) {
            main->settings().BlockedAddresses.setItems({QStringLiteral("a@x.org\r\n") + forged});
            main->FormClose();
        } else {
            main->dataModule()->AddPathToRecent(m_tmp->filePath(QStringLiteral("new\n") + forged));
            main->FormDestroy();
        }
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY(!bytes.contains('\0'));
        QCOMPARE(bytes.count("\r\n"), lines);
        QCOMPARE(bytes.count('\r') + bytes.count('\n'), 2 * lines);
        for (const QByteArray &line : bytes.split('\n')) {
            QVERIFY2(!line.startsWith(forged.toUtf8()), line.constData());
        }
    }

    void runCommand_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no failure") << 0 << "";
        QTest::newRow("table error") << 1 << "disk I/O error";
        QTest::newRow("not a standard exception") << 2 << CommandGuard::unexpectedFailure();
    }
    void runCommand() {
        QFETCH(int, failure);
        ScriptedPrompt prompt;
        auto main = started(prompt);
        prompt.shown.clear();
        const bool ended = main->runCommand([&] {
            prompt.showProgress(40, QStringLiteral("Working"), false);
            if (failure == 1) {
                throw CorvaneError(QStringLiteral("disk I/O error"), 10);
            }
            if (failure == 2) {
                throw failure;
            }
            prompt.hideProgress();
        });
        QCOMPARE(ended, failure == 0);
        QVERIFY(!prompt.progressVisible);
        QTEST(prompt.texts().join(QString()), "shown");
        QVERIFY(ended || prompt.shown.last().kind == UserPrompt::Kind::Error);
    }

    void updateAddressChangesEveryEntryWhateverTheFilter_data() {
        QTest::addColumn<bool>("include");
        QTest::addColumn<QString>("filter");
        QTest::newRow("showing one category") << true << "News";
        QTest::newRow("hiding one category") << false << "Sports";
    }
    void updateAddressChangesEveryEntryWhateverTheFilter() {
        QFETCH(bool, include);
        QFETCH(QString, filter);
        ScriptedPrompt prompt;
        auto main = started(prompt);
        main->FormShow();
        SqliteTable &table = main->dataModule()->tblML();
        table.appendRecord({QStringLiteral("x@e.org"), QStringLiteral("Sports"), 0});
        table.appendRecord({QStringLiteral("x@e.org"), QStringLiteral("News"), 0});
        table.appendRecord({QStringLiteral("y@e.org"), QStringLiteral("News"), 0});
        QVERIFY(table.locate(QStringLiteral("Category"), QStringLiteral("News")));
        const int focused = table.integer(QStringLiteral("Index"));
        ListView &view = main->listView();
        if (include) {
            view.edtfilterChange(filter);
        } else {
            view.edtnotfilterChange(filter);
        }
        view.DoIdle();
        QVERIFY(table.filtered());

        TypingAsker asker;
        asker.typed = QStringLiteral("new@e.org");
        main->mkUpdateAddressClick(asker, focused);

        QCOMPARE(asker.shownOld, QStringLiteral("x@e.org"));
        QVERIFY(table.filtered());
        QCOMPARE(main->countText(), QStringLiteral("  2 Records Displayed"));
        table.setFiltered(false);
        QStringList items;
        for (table.first(); !table.eof(); table.next()) {
            items.append(table.text(QStringLiteral("Item")) + QLatin1Char('|') +
                         table.text(QStringLiteral("Category")));
        }
        items.sort();
        QCOMPARE(items, (QStringList{"new@e.org|News", "new@e.org|Sports", "y@e.org|News"}));
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

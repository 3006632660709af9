// The list database module: directory resolution, the create offer, reopening, the silent re-creation of
// the statistics file, start-up from the settings, the recent list and its file, load failures with their
// question, flushing, optimizing and the recipient table.
#include "DbTestSupport.h"
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {
const QString LoadQuestionStart = QStringLiteral("An error was encountered trying to load your DB file: \r\n\r\n");
const QString LoadQuestionEnd =
    QStringLiteral("\r\n\r\nDo you want to attempt to perform a repair it?\r\n\r\nIf you are upgrading from an earlier "
                   "version of Corvane, please click 'Retry' to  upgrade it.");

QString createQuestion(const QString &dir) {
    return QStringLiteral("A database cannot be located in the directory, ") + dir +
           QStringLiteral(". Do you want to create a database here?");
}
} // namespace

class TestTdmML : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_work;

    QString home() const { return m_home->path() + QLatin1Char('/'); }
    QString work(const QString &sub = QString()) const {
        const QString dir = m_work->path() + QLatin1Char('/') + sub;
        QDir().mkpath(dir);
        return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    }

    // A database with `items` in `dir`, created through the module and closed again.
    static void makeDatabase(const QString &dir, const QStringList &items = {}) {
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        prompt.answer(UserPrompt::Yes);
        dm.OpenDatabase(dir);
        QVERIFY(dm.DatabaseLoaded());
        appendEntries(dm.tblML(), items);
    }

private slots:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path()); }
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        m_work = std::make_unique<QTemporaryDir>();
        AppPaths::setApplicationDirectory(m_home->path());
        AppPaths::openSettings()->clear();
    }
    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        AppPaths::setApplicationDirectory(QString());
    }

    void resolveDirectory_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("resolved"); // "<app>": the application directory
        QTest::newRow("percent") << "%"
                                 << "<app>";
        QTest::newRow("empty") << ""
                               << "<app>";
        QTest::newRow("blanks and controls") << " \t%\r\n"
                                             << "<app>";
        QTest::newRow("percent backslash") << "%\\"
                                           << "<app>";
        QTest::newRow("percent slash") << "%/"
                                       << "<app>";
        QTest::newRow("backslash alone") << "\\"
                                         << "<app>";
        QTest::newRow("slash alone is the root") << "/"
                                                 << "/";
        QTest::newRow("separator appended") << " /data/lists "
                                            << "/data/lists/";
        QTest::newRow("slash kept") << "/data/lists/"
                                    << "/data/lists/";
        QTest::newRow("backslash counts as separator") << "/data/lists\\"
                                                       << "/data/lists\\";
    }
    void resolveDirectory() {
        QFETCH(QString, typed);
        QFETCH(QString, resolved);
        QCOMPARE(TdmML::ResolveDirectory(typed), resolved == QLatin1String("<app>") ? home() : resolved);
    }

    void createOffer_data() {
        QTest::addColumn<bool>("create");
        QTest::newRow("Yes creates both tables") << true;
        QTest::newRow("No changes nothing") << false;
    }
    void createOffer() {
        QFETCH(bool, create);
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        const QString typed = m_work->path() + QStringLiteral("/lists");
        QDir().mkpath(typed);
        prompt.answer(create ? UserPrompt::Yes : UserPrompt::No);
        dm.OpenDatabase(typed);
        QCOMPARE(prompt.texts(), QStringList{createQuestion(typed + QLatin1Char('/'))});
        QCOMPARE(prompt.shown.first().kind, UserPrompt::Kind::Information);
        QCOMPARE(dm.DatabaseLoaded(), create);
        QCOMPARE(QFile::exists(typed + QStringLiteral("/mailist.DAT")), create);
        QCOMPARE(QFile::exists(typed + QStringLiteral("/mailstat.DAT")), create);
        QCOMPARE(dm.tblML().isOpen(), create);
        QCOMPARE(dm.currentDBPath(), create ? typed : QString());
        QCOMPARE(dm.RecentDatabases(), create ? QStringList{typed + QLatin1Char('/')} : QStringList());
        QCOMPARE(prompt.busyDepth, 0);
    }

    // The same directory typed with or without its separator opens the same database without a question;
    // the path is kept as typed.
    void reopenWithoutSeparator() {
        makeDatabase(work(QStringLiteral("a")), {"one@x", "two@x"});
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        const QString typed = m_work->path() + QStringLiteral("/a");
        dm.OpenDatabase(typed);
        QVERIFY(prompt.shown.isEmpty());
        QVERIFY(dm.DatabaseLoaded());
        QCOMPARE(dm.currentDBPath(), typed);
        QCOMPARE(walkText(dm.tblML(), QStringLiteral("Item")), QStringList({"one@x", "two@x"}));
        QVERIFY(dm.tblStats().isOpen());
    }

    void missingStatisticsFileIsRecreatedSilently() {
        makeDatabase(work(QStringLiteral("a")), {"one@x"});
        QVERIFY(QFile::remove(work(QStringLiteral("a")) + QStringLiteral("mailstat.DAT")));
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.OpenDatabase(work(QStringLiteral("a")));
        QVERIFY(prompt.shown.isEmpty());
        QVERIFY(dm.DatabaseLoaded());
        QVERIFY(QFile::exists(work(QStringLiteral("a")) + QStringLiteral("mailstat.DAT")));
        QCOMPARE(dm.tblStats().recordCount(), qint64(0));
        QCOMPARE(dm.tblML().recordCount(), qint64(1));
    }

    void fileNameInOtherLetterCaseCounts() {
        makeDatabase(work(QStringLiteral("a")), {"one@x"});
        QVERIFY(QFile::rename(work(QStringLiteral("a")) + QStringLiteral("mailist.DAT"),
                              work(QStringLiteral("a")) + QStringLiteral("mailist.dat")));
        QVERIFY(TdmML::databaseexistsindirectory(work(QStringLiteral("a"))));
        QVERIFY(!TdmML::databaseexistsindirectory(work(QStringLiteral("b"))));
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.OpenDatabase(work(QStringLiteral("a")));
        QVERIFY(prompt.shown.isEmpty());
        QCOMPARE(dm.tblML().recordCount(), qint64(1));
        QVERIFY(!QFile::exists(work(QStringLiteral("a")) + QStringLiteral("mailist.DAT")));
    }

    void startUp_data() {
        QTest::addColumn<QString>("dbPath"); // null: the value is absent
        QTest::addColumn<QString>("exclusive");
        QTest::addColumn<QString>("strict");
        QTest::addColumn<bool>("existing"); // a database exists where DBPath points
        QTest::addColumn<bool>("expectExclusive");
        QTest::addColumn<bool>("expectStrict");
        QTest::newRow("nothing configured: application directory")
            << QString() << QString() << QString() << true << true << false;
        QTest::newRow("percent: application directory") << "%"
                                                        << "FALSE"
                                                        << "true" << true << false << true;
        QTest::newRow("configured directory") << "<work>"
                                              << "junk"
                                              << "False" << true << true << false;
        QTest::newRow("configured directory without a database") << "<work>"
                                                                 << ""
                                                                 << "" << false << true << false;
    }
    void startUp() {
        QFETCH(QString, dbPath);
        QFETCH(QString, exclusive);
        QFETCH(QString, strict);
        QFETCH(bool, existing);
        QFETCH(bool, expectExclusive);
        QFETCH(bool, expectStrict);
        const bool inWork = dbPath == QLatin1String("<work>");
        const QString dir = inWork ? work(QStringLiteral("db")) : home();
        if (existing) {
            makeDatabase(dir, {"member@x"});
        }
        {
            const auto settings = AppPaths::openSettings();
            if (!dbPath.isNull()) {
                settings->setValue(QStringLiteral("DBPath"), inWork ? dir : dbPath);
            }
            settings->setValue(QStringLiteral("DBExclusive"), exclusive);
            settings->setValue(QStringLiteral("StrictChangeDetection"), strict);
        }
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        if (!existing) {
            prompt.answer(UserPrompt::No);
            prompt.answerDirectory(QString());
        }
        dm.dmMLCreate();
        QCOMPARE(dm.DBExclusive(), expectExclusive);
        QCOMPARE(dm.StrictChangeDetection(), expectStrict);
        QCOMPARE(dm.DatabaseLoaded(), existing);
        if (existing) {
            QVERIFY(prompt.shown.isEmpty());
            QCOMPARE(dm.tblML().recordCount(), qint64(1));
        } else {
            QCOMPARE(prompt.texts(),
                     QStringList({createQuestion(dir), QStringLiteral("Create/Open Mailing List Database")}));
            // The configured directory is not forgotten because it could not be opened this time.
            QCOMPARE(dm.currentDBPath(), dir);
        }
        QVERIFY(prompt.allAnswersUsed());
    }

    void startUpAnsweredThroughTheDialog() {
        makeDatabase(work(QStringLiteral("other")), {"x@x", "y@x"});
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        prompt.answer(UserPrompt::No);
        prompt.answerDirectory(work(QStringLiteral("other")));
        dm.dmMLCreate();
        QVERIFY(dm.DatabaseLoaded());
        QCOMPARE(dm.tblML().recordCount(), qint64(2));
        QCOMPARE(dm.currentDBPath(), work(QStringLiteral("other")));
    }

    void recentList_data() {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");
        QStringList eleven;
        for (int i = 1; i <= 11; ++i) {
            eleven.append(QStringLiteral("/lists/%1/").arg(i));
        }
        QStringList tenNewest = eleven.mid(1);
        std::reverse(tenNewest.begin(), tenNewest.end());
        QTest::newRow("the eleventh pushes the oldest out") << eleven << tenNewest;
        QTest::newRow("reopening moves to the top")
            << QStringList{"/a/", "/b/", "/c/", "/a/"} << QStringList{"/a/", "/c/", "/b/"};
        QTest::newRow("other letter case replaces, new text wins")
            << QStringList{"/A/x/", "/b/", "/a/X/"} << QStringList{"/a/X/", "/b/"};
        QTest::newRow("empty ignored") << QStringList{"/a/", ""} << QStringList{"/a/"};
        QStringList reopenedWhenFull = eleven.mid(0, 10);
        reopenedWhenFull.append(QStringLiteral("/lists/3/"));
        QStringList expectedFull{"/lists/3/", "/lists/10/", "/lists/9/", "/lists/8/", "/lists/7/",
                                 "/lists/6/", "/lists/5/",  "/lists/4/", "/lists/2/", "/lists/1/"};
        QTest::newRow("reopening when full keeps the rest") << reopenedWhenFull << expectedFull;
    }
    void recentList() {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        QSignalSpy announced(&dm, &TdmML::recentDatabasesChanged);
        for (const QString &dir : added) {
            dm.AddPathToRecent(dir);
        }
        QCOMPARE(dm.RecentDatabases(), expected);
        QCOMPARE(announced.last().first().toStringList(), expected);

        dm.SaveRecentList();
        QFile file(home() + QStringLiteral("recent.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), (expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
        file.close();
        TdmML again(prompt);
        again.LoadRecentList();
        QCOMPARE(again.RecentDatabases(), expected);
    }

    void recentFileReadAtStartUp() {
        QFile file(home() + QStringLiteral("recent.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 1; i <= 12; ++i) {
            file.write(QStringLiteral("/lists/%1/\n").arg(i).toUtf8());
        }
        file.write("\r\n");
        file.close();
        makeDatabase(home());
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        QSignalSpy announced(&dm, &TdmML::recentDatabasesChanged);
        dm.dmMLCreate();
        QCOMPARE(announced.first().first().toStringList().size(), 10);
        QCOMPARE(dm.RecentDatabases().first(), home());
        QCOMPARE(dm.RecentDatabases().size(), 10);
        QCOMPARE(dm.RecentDatabases().last(), QStringLiteral("/lists/9/"));
    }

    void reopenRecent() {
        makeDatabase(work(QStringLiteral("a")), {"a@x"});
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.OpenDatabase(work(QStringLiteral("a")));
        QVERIFY(!dm.ReopenRecent(work(QStringLiteral("gone"))));
        QCOMPARE(prompt.texts(),
                 QStringList{QStringLiteral(
                     "Corvane cannot locate this database.  Please use File|Open Database to load it.")});
        QVERIFY(dm.tblML().isOpen());
        QCOMPARE(dm.databaseDirectory(), work(QStringLiteral("a")));
    }

    // A table the program cannot use: the question with the failure; No leaves the tables closed.
    void loadFailure_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("failure");
        // An index with a collation this program does not have: the structure check fails in the engine.
        QTest::newRow("engine error")
            << TableSchema::listTable().createTableSql() + ";" + TableSchema::listTable().createIndexesSql() +
                   "CREATE INDEX Odd ON tblML (Comments); PRAGMA writable_schema=ON; UPDATE sqlite_schema SET sql = "
                   "replace(sql, '(Comments)', '(Comments COLLATE Klingon)') WHERE name = 'Odd'; "
                   "PRAGMA writable_schema=OFF;"
            << "Unknown or unexpected database engine error # 257"; // SQLITE_ERROR_MISSING_COLLSEQ
        QTest::newRow("other fields: their own message")
            << "CREATE TABLE tblML (Foo TEXT)"
            << "The table tblML in %1 has the fields Foo instead of Index, Item, "
               "Category, Bounces, Comments, Name, Salutation, SendRights";
    }
    void loadFailure() {
        QFETCH(QString, sql);
        QFETCH(QString, failure);
        const QString dir = work(QStringLiteral("bad"));
        QCOMPARE(rawExec(dir + QStringLiteral("mailist.DAT"), QString()), SQLITE_CANTOPEN);
        QFile(dir + QStringLiteral("mailist.DAT")).open(QIODevice::WriteOnly);
        QCOMPARE(rawExec(dir + QStringLiteral("mailist.DAT"), sql), SQLITE_OK);
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        prompt.answer(UserPrompt::No);
        dm.OpenDatabase(dir);
        QCOMPARE(prompt.texts(),
                 QStringList{LoadQuestionStart +
                             failure.replace(QStringLiteral("%1"), dir + QStringLiteral("mailist.DAT")) +
                             LoadQuestionEnd});
        QCOMPARE(prompt.shown.first().kind, UserPrompt::Kind::Warning);
        QCOMPARE(prompt.shown.first().buttons, UserPrompt::Yes | UserPrompt::No | UserPrompt::Retry);
        QVERIFY(!dm.DatabaseLoaded());
        QVERIFY(!dm.tblML().isOpen());
        QVERIFY(!dm.tblStats().isOpen());
    }

    // In exclusive mode the WAL holds recent changes until SaveDatabase moves them into the file; closing
    // leaves a single file in rollback-journal mode.
    void saveDatabaseWritesEverythingToTheFile() {
        const QString dir = work(QStringLiteral("a"));
        makeDatabase(dir);
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.OpenDatabase(dir);
        appendEntries(dm.tblML(), {"a@x", "b@x", "c@x"});
        const QString wal = dir + QStringLiteral("mailist.DAT-wal");
        QVERIFY(QFileInfo(wal).size() > 0);
        dm.SaveDatabase();
        QCOMPARE(QFileInfo(wal).size(), 0);
        QCOMPARE(prompt.busyDepth, 0);
        dm.CloseDatabase();
        QVERIFY(!QFile::exists(wal));
        QCOMPARE(rawQueryInt(dir + QStringLiteral("mailist.DAT"), QStringLiteral("SELECT count(*) FROM tblML")), 3);
        QFile file(dir + QStringLiteral("mailist.DAT"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(20).at(18), char(1));
    }

    // Exclusive opening keeps every other connection out; shared opening lets them read and write.
    void exclusiveAndSharedOpening_data() {
        QTest::addColumn<bool>("exclusive");
        QTest::newRow("exclusive") << true;
        QTest::newRow("shared") << false;
    }
    void exclusiveAndSharedOpening() {
        QFETCH(bool, exclusive);
        const QString dir = work(QStringLiteral("a"));
        makeDatabase(dir, {"a@x"});
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.setDBExclusive(exclusive);
        dm.OpenDatabase(dir);
        QVERIFY(dm.DatabaseLoaded());
        const QString file = dir + QStringLiteral("mailist.DAT");
        QCOMPARE(rawQueryInt(file, QStringLiteral("SELECT count(*) FROM tblML")), exclusive ? -1 : 1);
        QCOMPARE(rawExec(file, QStringLiteral("INSERT INTO tblML (Item) VALUES ('b@x')")),
                 exclusive ? SQLITE_BUSY : SQLITE_OK);
        QCOMPARE(dm.tblML().recordCount(), qint64(exclusive ? 1 : 2));
    }

    void optimise_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Cancel leaves everything") << false;
        QTest::newRow("Ok optimizes and reopens") << true;
    }
    void optimise() {
        QFETCH(bool, confirm);
        const QString dir = work(QStringLiteral("a"));
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        prompt.answer(UserPrompt::Yes);
        dm.OpenDatabase(dir);
        QStringList items;
        for (int i = 0; i < 3000; ++i) {
            items.append(QStringLiteral("member%1@example.com").arg(i));
        }
        dm.tblML().lockTable();
        appendEntries(dm.tblML(), items);
        dm.tblML().unlockTable();
        dm.tblML().setIndexFieldNames(QString());
        dm.tblML().first();
        while (dm.tblML().integer(QStringLiteral("Index")) <= 2900) {
            dm.tblML().deleteRecord();
        }
        dm.SaveDatabase();
        const qint64 before = QFileInfo(dir + QStringLiteral("mailist.DAT")).size();
        QSignalSpy detached(&dm, &TdmML::tablesDetached);
        QSignalSpy attached(&dm, &TdmML::tablesAttached);
        prompt.shown.clear();
        prompt.answer(confirm ? UserPrompt::Ok : UserPrompt::Cancel);
        dm.OptimiseDatabase(true);
        QCOMPARE(prompt.texts(),
                 QStringList{QStringLiteral("Your database will now be optimized to reclaim unused disk space!")});
        QCOMPARE(prompt.shown.first().buttons, UserPrompt::Ok | UserPrompt::Cancel);
        QCOMPARE(detached.count(), confirm ? 1 : 0);
        QCOMPARE(attached.count(), confirm ? 1 : 0);
        QVERIFY(dm.tblML().isOpen());
        QVERIFY(dm.tblStats().isOpen());
        QCOMPARE(dm.tblML().recordCount(), qint64(100));
        const qint64 after = QFileInfo(dir + QStringLiteral("mailist.DAT")).size();
        QCOMPARE(after < before / 4, confirm);
        if (confirm) {
            QVERIFY(prompt.progress.contains(QStringLiteral("0|Optimizing Database")));
            QVERIFY(prompt.progress.contains(QStringLiteral("50|Optimizing Database")));
            QCOMPARE(prompt.progress.last(), QStringLiteral("100|Optimizing Database"));
            QVERIFY(!prompt.progressVisible);
        } else {
            QVERIFY(prompt.progress.isEmpty());
        }
    }

    void temporaryTables() {
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        dm.CreateTemporaryTables();
        QVERIFY(dm.tblTemp().isOpen());
        dm.tblTemp().appendRecord({"a@x", "Ann", "Ann"});
        dm.CreateTemporaryTables();
        QCOMPARE(dm.tblTemp().recordCount(), qint64(0));
        dm.DestroyTemporaryTables();
        QVERIFY(!dm.tblTemp().isOpen());
        QVERIFY(prompt.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTdmML)
#include "tst_tdmml.moc"

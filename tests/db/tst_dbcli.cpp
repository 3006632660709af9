// corvane-cli on databases it cannot simply open: files it cannot repair end the command with exit status 1
// after one attempt, a damaged file is repaired only with --yes and the repair is reported.
#include "CliRun.h"
#include "DbTestSupport.h"
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

class TestDbCli : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_tmp;

    QString home() const { return m_tmp->filePath(QStringLiteral("home")) + QLatin1Char('/'); }

    using Result = corvane::test::CliResult;

    Result cli(const QStringList &arguments) {
        corvane::test::CliOptions options;
        options.home = home();
        return corvane::test::runCli(QStringLiteral(CORVANE_CLI), *m_tmp, arguments, options);
    }

    // A database of `count` entries in the application directory, written through the module.
    void makeDatabase(int count) {
        ScriptedPrompt prompt;
        TdmML dm(prompt);
        prompt.answer(UserPrompt::Yes);
        dm.OpenDatabase(home());
        QVERIFY(dm.DatabaseLoaded());
        dm.tblML().lockTable();
        for (int i = 0; i < count; ++i) {
            dm.tblML().appendRecord({QStringLiteral("member%1@example.com").arg(i), QStringLiteral("list")});
        }
        dm.tblML().unlockTable();
    }

private slots:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path()); }
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QDir().mkpath(home());
        AppPaths::setApplicationDirectory(home());
    }

    // Each case once went round for ever under --yes; now one attempt, a message and exit status 1.
    void unopenableDatabaseEndsTheCommand_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::newRow("older layout") << "layout"
                                      << "still cannot be opened";
        QTest::newRow("a directory named mailist.DAT") << "directory"
                                                       << "mailist.DAT is not a file";
        QTest::newRow("read-only database directory") << "read-only"
                                                      << "still cannot be opened";
    }
    void unopenableDatabaseEndsTheCommand() {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        const QString list = home() + QStringLiteral("mailist.DAT");
        if (setup == QLatin1String("layout")) {
            QFile(list).open(QIODevice::WriteOnly);
            QCOMPARE(rawExec(list, QStringLiteral("CREATE TABLE tblML (Item TEXT, Category TEXT, Bounces INTEGER, "
                                                  "Comments TEXT); INSERT INTO tblML VALUES ('a@x', 'l', 0, '')")),
                     SQLITE_OK);
        } else if (setup == QLatin1String("directory")) {
            QVERIFY(QDir().mkpath(list));
        } else {
            if (geteuid() == 0) {
                QSKIP("the superuser writes into read-only directories");
            }
            makeDatabase(3);
            QVERIFY(QFile::setPermissions(home(), QFile::ReadOwner | QFile::ExeOwner));
        }
        const Result r = cli({QStringLiteral("--yes"), QStringLiteral("info")});
        QFile::setPermissions(home(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.size() < 4000, qPrintable(r.err.left(4000)));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("could not be opened; nothing was done")));
        QVERIFY(!r.out.contains(QStringLiteral("Entries:")));
    }

    // A cut-off file: --no and no answer at all leave it as it is and fail; --yes repairs and says so.
    void damagedDatabaseRepairedOnlyWithYes_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::newRow("--no") << QStringList{"--no"} << 1;
        QTest::newRow("no answer") << QStringList{} << 1;
        QTest::newRow("--yes") << QStringList{"--yes"} << 0;
    }
    void damagedDatabaseRepairedOnlyWithYes() {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        makeDatabase(5000);
        const QString list = home() + QStringLiteral("mailist.DAT");
        QVERIFY(QFile::resize(list, QFileInfo(list).size() / 2 / 4096 * 4096));
        const qint64 damagedSize = QFileInfo(list).size();
        const Result r = cli(options + QStringList{QStringLiteral("info")});
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(QStringLiteral("mailist.DAT is damaged")), qPrintable(r.err));
        if (status != 0) {
            QVERIFY(r.err.contains(QStringLiteral("has not been repaired")));
            QVERIFY(r.err.contains(QStringLiteral("could not be opened; nothing was done")));
            QCOMPARE(QFileInfo(list).size(), damagedSize);
            QVERIFY(!QFile::exists(list + QStringLiteral(".damaged-1")));
            return;
        }
        const qsizetype at = r.out.indexOf(QStringLiteral("Entries: "));
        QVERIFY(at >= 0);
        const int recovered = r.out.mid(at + 9).trimmed().toInt();
        QVERIFY2(recovered > 1000 && recovered < 5000, qPrintable(r.out));
        QVERIFY2(r.err.contains(QStringLiteral("%1 entries could be recovered").arg(recovered)), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("kept as ") + list + QStringLiteral(".damaged-1.")));
        QCOMPARE(QFileInfo(list + QStringLiteral(".damaged-1")).size(), damagedSize);
    }
};

QTEST_GUILESS_MAIN(TestDbCli)
#include "tst_dbcli.moc"

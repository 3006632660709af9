// corvane-cli's export and backup commands, called as the dispatcher calls them, on a headless main window
// with a real database: argument handling, the written lines, the back-up name, and failures.
#include "ScriptedPrompt.h"
#include "app/Tfrmmain.h"
#include "base/AppPaths.h"
#include "cli/CliContext.h"
#include "cli/CliExportCommands.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "settings/Settings.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestExportCli : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<Tfrmmain> m_main;
    QStringList m_out;
    QStringList m_err;
    bool m_settingsChanged = false;
    bool m_errorsChanged = false;

    CliContext context() {
        return CliContext{*m_main,
                          *m_prompt,
                          [this](const QString &line) { m_out.append(line); },
                          [this](const QString &line) { m_err.append(line); },
                          m_settingsChanged,
                          m_errorsChanged};
    }

    static QByteArray readAll(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_tmp->filePath(QStringLiteral("config")));
        AppPaths::setApplicationDirectory(m_tmp->filePath(QStringLiteral("app")) + QLatin1Char('/'));
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_main = std::make_unique<Tfrmmain>(*m_prompt);
        m_main->FormCreate({});
        m_prompt->answer(UserPrompt::Yes);
        m_main->createDataModule();
        QVERIFY(m_main->dataModule()->DatabaseLoaded());
        m_prompt->shown.clear();
        SqliteTable &table = m_main->dataModule()->tblML();
        table.appendRecord({QStringLiteral("y@e.org"), QStringLiteral("Work"), 5, QStringLiteral("a;b")});
        table.appendRecord({QStringLiteral("x@e.org"), QStringLiteral("Friends"), 3, QString(),
                            QStringLiteral("Xena X"), QStringLiteral("Xena")});
        table.setIndexFieldNames(QStringLiteral("Item"));
        m_out.clear();
        m_err.clear();
    }
    void cleanup() {
        m_main->FormDestroy();
        m_main.reset();
        m_prompt.reset();
        AppPaths::setApplicationDirectory(QString());
        m_tmp.reset();
    }

    void exportCommand_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("all fields") << QStringList() << 0
                                    << QByteArray("x@e.org,Friends,Xena X,Xena,,3\r\ny@e.org,Work,,,a;b,5\r\n");
        QTest::newRow("chosen fields, fixed order") << QStringList{"--fields", "bounces,EMAIL", "--separator", ";"} << 0
                                                    << QByteArray("x@e.org;3\r\ny@e.org;5\r\n");
        QTest::newRow("tab separator") << QStringList{"--separator", "\t", "--fields", "email,comments"} << 0
                                       << QByteArray("x@e.org\t\r\ny@e.org\ta;b\r\n");
        QTest::newRow("empty separator means comma") << QStringList{"--separator", "", "--fields", "email,category"}
                                                     << 0 << QByteArray("x@e.org,Friends\r\ny@e.org,Work\r\n");
        QTest::newRow("unknown field") << QStringList{"--fields", "email,phone"} << 2 << QByteArray("<missing>");
        QTest::newRow("long separator") << QStringList{"--separator", ";;"} << 2 << QByteArray("<missing>");
        QTest::newRow("missing value") << QStringList{"--fields"} << 2 << QByteArray("<missing>");
        QTest::newRow("extra argument") << QStringList{"other.csv"} << 2 << QByteArray("<missing>");
    }
    void exportCommand() {
        QFETCH(QStringList, options);
        QFETCH(int, status);
        QFETCH(QByteArray, expected);
        const QString file = m_tmp->filePath(QStringLiteral("list.csv"));
        auto ctx = context();
        QCOMPARE(CliExportCommands::exportList(ctx, QStringList{file} + options), status);
        QCOMPARE(readAll(file), expected);
        QCOMPARE(m_err.isEmpty(), status == 0);
    }

    void exportNeedsAFile() {
        auto ctx = context();
        QCOMPARE(CliExportCommands::exportList(ctx, {QStringLiteral("--fields"), QStringLiteral("email")}), 2);
        QCOMPARE(m_err.size(), 1);
    }

    void exportFailureIsStatusOne() {
        auto ctx = context();
        const QString file = m_tmp->filePath(QStringLiteral("none/list.csv"));
        QCOMPARE(CliExportCommands::exportList(ctx, {file}), 1);
        QCOMPARE(m_prompt->texts(), QStringList{QStringLiteral("Unable to write to the file, ") + file});
    }

    void backupCommand() {
        m_main->settings().newbackupfilename = true;
        const QString first = AppPaths::applicationDirectory() + QStringLiteral("backup.csv");
        auto ctx = context();
        QCOMPARE(CliExportCommands::backUp(ctx, {}), 0);
        QCOMPARE(CliExportCommands::backUp(ctx, {}), 0);
        QCOMPARE(m_out, (QStringList{first, AppPaths::applicationDirectory() + QStringLiteral("backup 2.csv")}));
        QCOMPARE(readAll(first), QByteArray("x@e.org,Friends,Xena X,Xena,,3\r\ny@e.org,Work,,,a;b,5\r\n"));
        QVERIFY(m_prompt->shown.isEmpty());
        QCOMPARE(CliExportCommands::backUp(ctx, {QStringLiteral("extra")}), 2);
    }

    void backupFailureIsStatusOne() {
        m_main->settings().BackUpFilename = m_tmp->path() + QLatin1Char('/');
        auto ctx = context();
        QCOMPARE(CliExportCommands::backUp(ctx, {}), 1);
        QVERIFY(m_out.isEmpty());
        QCOMPARE(m_err.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestExportCli)
#include "tst_exportcli.moc"

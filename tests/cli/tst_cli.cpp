// corvane-cli end to end: options, the database questions answered by --yes/--no, the commands and their
// exit status, each run as its own process on a throw-away application directory and settings file.
#include "../send/ScriptedSmtpServer.h"
#include "CliRun.h"
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestCli : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_home;

    using Result = corvane::test::CliResult;

    Result cli(const QStringList &arguments, const QByteArray &input = {}, const QString &workingDirectory = {}) {
        corvane::test::CliOptions options;
        options.home = m_home;
        options.input = input;
        options.workingDirectory = workingDirectory;
        return corvane::test::runCli(QStringLiteral(CORVANE_CLI), *m_tmp, arguments, options);
    }

    QString settingsFile() const { return m_tmp->filePath(QStringLiteral("config/Tavrix/Corvane.conf")); }

    static QByteArray bytesOf(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    static void makeFile(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    void set(const QString &name, const QString &value) {
        const Result r = cli({QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("set"), name, value});
        QVERIFY2(r.status == 0, qPrintable(r.err));
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        m_home = m_tmp->filePath(QStringLiteral("home"));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << "no command given";
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << "unknown command frobnicate";
        QTest::newRow("unknown option") << QStringList{"--frob", "info"} << "unknown option --frob";
        QTest::newRow("settings without verb") << QStringList{"--yes", "settings"} << "usage: settings get NAME";
    }
    void usageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Result r = cli(arguments);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    void helpExplainsTheCommands() {
        const Result r = cli({QStringLiteral("--help")});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains(QStringLiteral("settings set NAME VALUE")));
    }

    void noAnswersNoDatabase() {
        const Result r = cli({QStringLiteral("--no"), QStringLiteral("info")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("A database cannot be located in the directory, ")), qPrintable(r.err));
        QVERIFY(r.err.contains(QStringLiteral("no mailing list database is open")));
        QVERIFY(!QFileInfo::exists(m_home + QStringLiteral("/mailist.DAT")));
    }

    void yesCreatesTheDatabaseAndInfoReportsIt() {
        const Result r = cli({QStringLiteral("--yes"), QStringLiteral("info")});
        QCOMPARE(r.status, 0);
        QVERIFY(QFileInfo::exists(m_home + QStringLiteral("/mailist.DAT")));
        QVERIFY(QFileInfo::exists(m_home + QStringLiteral("/recent.txt")));
        QVERIFY2(r.out.contains(QStringLiteral("Application directory: ") + m_home + QLatin1Char('/')),
                 qPrintable(r.out));
        QVERIFY(r.out.contains(QStringLiteral("Settings file: ") + settingsFile()));
        QVERIFY(r.out.contains(QStringLiteral("Entries: 0")));
    }

    void consoleAnswerIsRead() {
        const Result r = cli({QStringLiteral("info")}, "y\n");
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.contains(QStringLiteral("[yes/no]")));
        QVERIFY(QFileInfo::exists(m_home + QStringLiteral("/mailist.DAT")));
    }

    void listPrintsEveryFieldAndFiltersByCategoryPrefix() {
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("info")}).status, 0);
        {
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                               m_tmp->filePath(QStringLiteral("config")));
            corvane::AppPaths::setApplicationDirectory(m_home);
            corvane::ScriptedPrompt prompt;
            corvane::TdmML dm(prompt);
            dm.dmMLCreate();
            QVERIFY(dm.DatabaseLoaded());
            dm.tblML().appendRecord({QStringLiteral("ann@example.org"), QStringLiteral("News"), 2,
                                     QStringLiteral("joined"), QStringLiteral("Ann Lee"), QStringLiteral("Ann"), true});
            dm.tblML().appendRecord({QStringLiteral("bob@example.org"), QStringLiteral("technews"), 0, QString(),
                                     QString(), QString(), false});
            dm.SaveDatabase();
            dm.CloseDatabase();
            corvane::AppPaths::setApplicationDirectory(QString());
        }
        Result r = cli({QStringLiteral("--yes"), QStringLiteral("list")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("1\tann@example.org\tNews\t2\tjoined\tAnn Lee\tAnn\tTrue\n"
                                       "2\tbob@example.org\ttechnews\t0\t\t\t\tFalse\n"));
        r = cli(
            {QStringLiteral("--yes"), QStringLiteral("list"), QStringLiteral("--category"), QStringLiteral("news")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.count(QLatin1Char('\n')), 1);
        QVERIFY(r.out.startsWith(QStringLiteral("1\tann@example.org")));
    }

    void requestsGoThroughTheListRules() {
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("info")}).status, 0);
        struct Step {
            QStringList arguments;
            int status;
            QString out;
        };
        const QList<Step> steps = {
            {{"add", "Ann <ann@example.org>", "--category", "News", "--name", "Ann Lee"},
             0,
             "ADD ann@example.org News [] -> Entered Successfully\n"},
            {{"add", "ann@example.org", "--category", "Sports"},
             0,
             "ADD ann@example.org Sports [] -> Entered Successfully\n"},
            {{"add", "bad@@example.org"},
             1,
             "ADD bad@@example.org Default [] -> Not Added: Invalid E-mail Address (Error: Address contains too many @ "
             "symbols)!\n"},
            {{"bounce", "ANN@example.org"}, 0, "Update Undeliverable ANN@example.org -> Bounce count incremented!\n"},
            {{"change", "ann@example.org", "anne@example.org"},
             0,
             "Changed Email Address ann@example.org to anne@example.org\n"
             "Changed Email Address ann@example.org to anne@example.org\n"},
            {{"remove", "nobody@example.org"}, 1, "REMOVE nobody@example.org  [] -> E-mail address not found!\n"},
            {{"remove", "anne@example.org", "--category", "all"},
             0,
             "REMOVE anne@example.org  [] -> Entry successfully deleted!\n"},
            {{"errors"}, 0, "ADD bad@@example.org Default\n"},
        };
        for (const Step &step : steps) {
            const Result r = cli(QStringList{QStringLiteral("--yes")} + step.arguments);
            QCOMPARE(r.out, step.out);
            QCOMPARE(r.status, step.status);
        }
        const Result log = cli({QStringLiteral("--yes"), QStringLiteral("log")});
        QCOMPARE(log.out.count(QLatin1Char('\n')), 8);
        QVERIFY(log.out.startsWith(QStringLiteral("ADD ann@example.org News [] -> Entered Successfully\n")));
        const Result notAnAddress = cli({QStringLiteral("--yes"), QStringLiteral("add"), QStringLiteral("nobody")});
        QCOMPARE(notAnAddress.status, 1);
        QVERIFY(notAnAddress.err.contains(QStringLiteral("nobody is not an e-mail address")));
    }

    void maintenanceAndStatisticsCommandsAreDispatched() {
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("add"), QStringLiteral("a@x.org"),
                      QStringLiteral("--category"), QStringLiteral("News")})
                     .status,
                 0);
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("add"), QStringLiteral("a@x.org"),
                      QStringLiteral("--category"), QStringLiteral("Sports")})
                     .status,
                 0);
        const Result declined = cli({QStringLiteral("--no"), QStringLiteral("merge")});
        QCOMPARE(declined.status, 1);
        const Result merged = cli({QStringLiteral("--yes"), QStringLiteral("merge")});
        QCOMPARE(merged.status, 0);
        const Result listed = cli({QStringLiteral("--yes"), QStringLiteral("list")});
        QCOMPARE(listed.out.count(QLatin1Char('\n')), 1);
        QVERIFY(listed.out.contains(QStringLiteral("\tDefault\t")));
        const QString exported = m_tmp->filePath(QStringLiteral("out.csv"));
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("export"), exported, QStringLiteral("--fields"),
                      QStringLiteral("email,category"), QStringLiteral("--separator"), QStringLiteral(";")})
                     .status,
                 0);
        QFile file(exported);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("a@x.org;Default\r\n"));
        const Result backup = cli({QStringLiteral("--yes"), QStringLiteral("backup")});
        QCOMPARE(backup.status, 0);
        QVERIFY2(backup.out.contains(m_home + QStringLiteral("/backup.csv")), qPrintable(backup.out));
        const Result stats = cli({QStringLiteral("--yes"), QStringLiteral("stats")});
        QCOMPARE(stats.status, 0);
        QVERIFY2(stats.out.contains(QStringLiteral("Total")), qPrintable(stats.out));
    }

    void foldersListsTheMailStore() {
        const QString store = m_tmp->filePath(QStringLiteral("Maildir"));
        for (const QString &dir :
             {QStringLiteral("/new"), QStringLiteral("/cur"), QStringLiteral("/tmp"), QStringLiteral("/.Lists/new"),
              QStringLiteral("/.Lists/cur"), QStringLiteral("/.Lists/tmp")}) {
            QVERIFY(QDir().mkpath(store + dir));
        }
        QFile(store + QStringLiteral("/.Lists/maildirfolder")).open(QIODevice::WriteOnly);
        const QByteArray message =
            "From: a@x.org\r\nSubject: hi\r\nDate: Tue, 1 Dec 2026 10:00:00 +0000\r\n\r\nbody\r\n";
        for (const QString &name :
             {QStringLiteral("/new/1700000000.1.host"), QStringLiteral("/.Lists/cur/1700000001.2.host:2,S"),
              QStringLiteral("/.Lists/new/1700000002.3.host")}) {
            QFile file(store + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(message);
        }
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("set"),
                      QStringLiteral("MailStore"), store})
                     .status,
                 0);
        const Result r = cli({QStringLiteral("--yes"), QStringLiteral("folders")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("Mail store: ") + store +
                            QStringLiteral("\n<Root>\n  Inbox\titems 1\tunread 1\n  Lists\titems 2\tunread 1\n"));
        QVERIFY(QFileInfo::exists(store + QStringLiteral("/.Lists/new/1700000002.3.host")));
    }

    void smtpTestSendsOneMessageAndPrintsTheDialogue() {
        corvane::ScriptedSmtpServer server;
        QVERIFY(server.listening());
        for (const auto &[name, value] : {std::pair{QStringLiteral("SMTPHost"), QStringLiteral("127.0.0.1")},
                                          std::pair{QStringLiteral("SMTPPort"), QString::number(server.port())},
                                          std::pair{QStringLiteral("SMTPEmail"), QStringLiteral("list@example.org")}}) {
            QCOMPARE(
                cli({QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("set"), name, value}).status,
                0);
        }
        // The server answers from this process's event loop, so the program is waited for without blocking it.
        corvane::test::CliOptions options;
        options.home = m_home;
        options.pumpEvents = true;
        const Result run = corvane::test::runCli(
            QStringLiteral(CORVANE_CLI), *m_tmp,
            {QStringLiteral("--yes"), QStringLiteral("smtp-test"), QStringLiteral("ann@example.org")}, options);
        const QString out = run.out;
        QCOMPARE(run.status, 0);
        QVERIFY2(out.contains(QStringLiteral("C: RCPT TO:<ann@example.org>\nS: 250")), qPrintable(out));
        QVERIFY(server.received.contains("Subject: Corvane SMTP test\r\n"));
        QVERIFY(server.received.contains("MAIL FROM:<list@example.org>\r\n"));
    }

    // Addresses that would go into SMTP commands are checked before any connection is made.
    void smtpTestRefusesInvalidAddresses_data() {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("recipient");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("recipient with ESMTP parameters")
            << "list@example.org"
            << "ann@example.org> NOTIFY=NEVER" << 2
            << "smtp-test: \"ann@example.org> NOTIFY=NEVER\" is not a valid e-mail address: Address contains an "
               "invalid character";
        QTest::newRow("sender with ESMTP parameters")
            << "list@example.org> BODY=8BITMIME"
            << "ann@example.org" << 1
            << "the SMTP sender address (SMTPEmail) \"list@example.org> BODY=8BITMIME\" is not a valid e-mail "
               "address: Address contains an invalid character";
        QTest::newRow("no sender") << ""
                                   << "ann@example.org" << 1 << "no SMTP sender address is set";
    }
    void smtpTestRefusesInvalidAddresses() {
        QFETCH(QString, sender);
        QFETCH(QString, recipient);
        QFETCH(int, status);
        QFETCH(QString, message);
        corvane::ScriptedSmtpServer server;
        QVERIFY(server.listening());
        QStringList names{QStringLiteral("SMTPHost"), QStringLiteral("SMTPPort"), QStringLiteral("SMTPEmail")};
        QStringList values{QStringLiteral("127.0.0.1"), QString::number(server.port()), sender};
        for (int i = 0; i < (sender.isEmpty() ? 2 : 3); ++i) {
            QCOMPARE(
                cli({QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("set"), names[i], values[i]})
                    .status,
                0);
        }
        const Result r = cli({QStringLiteral("--yes"), QStringLiteral("smtp-test"), recipient});
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QTest::qWait(100);
        QCOMPARE(server.connections, 0);
    }

    void listAddressCheckedWhenSet() {
        Result r = cli({QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("set"),
                        QStringLiteral("ListAddress"), QStringLiteral("news@@example.org")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("The list address \"news@@example.org\" is not valid")),
                 qPrintable(r.err));
        r = cli({QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("set"),
                 QStringLiteral("ListAddress"), QStringLiteral("news@example.org")});
        QCOMPARE(r.status, 0);
        r = cli({QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("get"),
                 QStringLiteral("ListAddress")});
        QCOMPARE(r.out, QStringLiteral("news@example.org\n"));
    }

    void settingsSetAndGet() {
        Result r = cli({QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("set"),
                        QStringLiteral("SendCount "), QStringLiteral("25")});
        QCOMPARE(r.status, 0);
        QVERIFY(QFileInfo::exists(m_home + QStringLiteral("/failed.txt")));
        r = cli(
            {QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("SendCount ")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("25\n"));
        QSettings stored(settingsFile(), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("SendCount ")).toString(), QStringLiteral("25"));

        r = cli({QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("set"),
                 QStringLiteral("BounceMax"), QStringLiteral("0")});
        QCOMPARE(r.status, 0);
        r = cli(
            {QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("BounceMax")});
        QCOMPARE(r.out, QStringLiteral("0\n"));

        r = cli(
            {QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("SendCount")});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("unknown setting")));
    }

    // An empty text setting is a setting: its empty value is printed.
    void settingsGetOfAnEmptyValue() {
        const Result r = cli(
            {QStringLiteral("--yes"), QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("SMTPHost")});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("\n"));
    }

    // Settings or rule files that cannot be read stop every command before it acts on defaults, and nothing is
    // saved over them.
    void unreadableSettingsStopTheCommand_data() {
        QTest::addColumn<QString>("broken");
        QTest::newRow("rule file made a directory") << "AckHeader.txt";
        QTest::newRow("settings file malformed") << "ini";
    }
    void unreadableSettingsStopTheCommand() {
        QFETCH(QString, broken);
        set(QStringLiteral("SMTPHost"), QStringLiteral("mail.example.org"));
        makeFile(m_home + QStringLiteral("/AckFooter.txt"), "Our own footer\r\n");
        if (broken == QLatin1String("ini")) {
            makeFile(settingsFile(), bytesOf(settingsFile()) + "[broken\n");
        } else {
            QVERIFY(QFile::remove(m_home + QLatin1Char('/') + broken));
            QVERIFY(QDir().mkpath(m_home + QLatin1Char('/') + broken));
        }
        const QByteArray settingsBefore = bytesOf(settingsFile());
        for (const QStringList &command : {QStringList{"add", "ann@example.org"}, QStringList{"backup"},
                                           QStringList{"settings", "set", "SMTPHost", "other.example.org"}}) {
            const Result r = cli(QStringList{QStringLiteral("--yes")} + command);
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.contains(QStringLiteral("the settings could not be read; nothing was changed")),
                     qPrintable(r.err));
        }
        QCOMPARE(bytesOf(settingsFile()), settingsBefore);
        QCOMPARE(bytesOf(m_home + QStringLiteral("/AckFooter.txt")), QByteArray("Our own footer\r\n"));
        QVERIFY(!QFileInfo::exists(m_home + QStringLiteral("/backup.csv")));
    }

    // Relative names are taken from the directory the command was started in; the database files are refused.
    void exportFileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("workingDirectory"); // "home" or "work"
        QTest::addColumn<bool>("written");
        QTest::newRow("relative name") << "out.csv"
                                       << "work" << true;
        QTest::newRow("list table by relative name") << "mailist.DAT"
                                                     << "home" << false;
        QTest::newRow("statistics table through ..") << "../home/MAILSTAT.dat"
                                                     << "work" << false;
    }
    void exportFileNames() {
        QFETCH(QString, name);
        QFETCH(QString, workingDirectory);
        QFETCH(bool, written);
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("add"), QStringLiteral("ann@example.org")}).status, 0);
        const QString work = m_tmp->filePath(QStringLiteral("work"));
        QVERIFY(QDir().mkpath(work));
        const QString dir = workingDirectory == QLatin1String("home") ? m_home : work;
        const Result r = cli({QStringLiteral("--yes"), QStringLiteral("export"), name}, {}, dir);
        QCOMPARE(r.status, written ? 0 : 1);
        if (written) {
            QVERIFY(bytesOf(dir + QLatin1Char('/') + name).startsWith("ann@example.org,Default,"));
            QVERIFY(!QFileInfo::exists(m_home + QLatin1Char('/') + name));
        } else {
            QVERIFY2(r.err.contains(QStringLiteral(": it belongs to the open database")), qPrintable(r.err));
            QVERIFY(bytesOf(m_home + QStringLiteral("/mailist.DAT")).startsWith("SQLite format 3"));
        }
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("list")}).out.count(QLatin1Char('\n')), 1);
    }

    // The back-up follows its settings: the file named, numbered anew each time when asked.
    void backupFollowsItsSettings() {
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("add"), QStringLiteral("ann@example.org")}).status, 0);
        const QString named = m_tmp->filePath(QStringLiteral("lists.csv"));
        set(QStringLiteral("BackUpFilename"), named);
        set(QStringLiteral("newbackupfilename"), QStringLiteral("true"));
        for (const QString &expected :
             {named, m_tmp->filePath(QStringLiteral("lists 2.csv")), m_tmp->filePath(QStringLiteral("lists 3.csv"))}) {
            const Result r = cli({QStringLiteral("--yes"), QStringLiteral("backup")});
            QCOMPARE(r.status, 0);
            QCOMPARE(r.out, expected + QLatin1Char('\n'));
            QVERIFY(bytesOf(expected).startsWith("ann@example.org,Default,"));
        }
    }

    // Copies of the program working at once on a shared database each add blocked addresses and errors-list
    // lines; every one of them is in the files afterwards.
    void concurrentCopiesKeepEveryChange() {
        set(QStringLiteral("DBExclusive"), QStringLiteral("False"));
        set(QStringLiteral("AddUnsubscribers"), QStringLiteral("true"));
        constexpr int kCopies = 3;
        constexpr int kRequests = 12;
        QList<QProcess *> copies;
        for (int copy = 0; copy < kCopies; ++copy) {
            auto *process = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_tmp->filePath(QStringLiteral("config")));
            env.insert(QStringLiteral("CLI"), QStringLiteral(CORVANE_CLI));
            env.insert(QStringLiteral("HOME_DIR"), m_home);
            env.insert(QStringLiteral("COPY"), QString::number(copy));
            process->setProcessEnvironment(env);
            process->start(QStringLiteral("/bin/sh"),
                           {QStringLiteral("-c"),
                            QStringLiteral("for i in $(seq 1 %1); do "
                                           "\"$CLI\" --home \"$HOME_DIR\" --yes remove \"c${COPY}r$i@example.org\"; "
                                           "\"$CLI\" --home \"$HOME_DIR\" --yes add \"c${COPY}a$i@@example.org\"; "
                                           "done >/dev/null 2>&1")
                                .arg(kRequests)});
            copies.append(process);
        }
        for (QProcess *process : copies) {
            QVERIFY(process->waitForFinished(120000));
        }
        const QString blocked = QString::fromUtf8(bytesOf(m_home + QStringLiteral("/never.txt")));
        const QString errors = QString::fromUtf8(bytesOf(m_home + QStringLiteral("/errors.txt")));
        for (int copy = 0; copy < kCopies; ++copy) {
            for (int i = 1; i <= kRequests; ++i) {
                const QString tag = QStringLiteral("c%1r%2@example.org\r\n").arg(copy).arg(i);
                QVERIFY2(blocked.contains(tag), qPrintable(tag));
                const QString line = QStringLiteral("ADD c%1a%2@@example.org Default\r\n").arg(copy).arg(i);
                QVERIFY2(errors.contains(line), qPrintable(line));
            }
        }
        QCOMPARE(errors.count(QLatin1Char('\n')), kCopies * kRequests);
        QCOMPARE(QDir(m_home).entryList({QStringLiteral("*.lock")}, QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

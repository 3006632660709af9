// corvane-cli scan end to end: a Maildir folder with requests, scanned by the program run as its own process,
// its printed lines, its exit status, and the folder given for one run only.
#include "../mailstore/MaildirFixture.h"
#include "CliRun.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCliScan : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<corvane::test::MaildirFixture> m_mail;

    using Result = corvane::test::CliResult;

    Result cli(const QStringList &arguments) {
        return corvane::test::runCli(QStringLiteral(CORVANE_CLI), *m_tmp, arguments);
    }

    void deliver(const QString &name, const QString &from, const QString &subject) {
        m_mail->put(QStringLiteral(".MailingList"), QStringLiteral("new"), name,
                    (QStringLiteral("From: ") + from + QStringLiteral("\r\nSubject: ") + subject +
                     QStringLiteral("\r\nDate: Tue, 12 Mar 2024 10:15:00 +0000\r\n\r\nbody\r\n"))
                        .toUtf8());
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        m_mail = std::make_unique<corvane::test::MaildirFixture>();
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("info")}).status, 0);
        QCOMPARE(cli({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("MailStore"), m_mail->root()})
                     .status,
                 0);
        deliver(QStringLiteral("1700000001.M1P1.test"), QStringLiteral("Ann <ann@example.com>"),
                QStringLiteral("subscribe"));
        deliver(QStringLiteral("1700000002.M2P1.test"), QStringLiteral("bob@example.com"), QStringLiteral("Hello"));
    }

    void scan_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("entries");
        QTest::newRow("requests") << QStringList{"scan"} << 0
                                  << QStringList{"Request: ann@example.com \"subscribe\"",
                                                 "Examined 2, handled 1, forwarded 0, bounces processed 0"}
                                  << "ann@example.com";
        QTest::newRow("missing folder not created")
            << QStringList{"--no", "scan", "--folder", "Elsewhere"} << 1
            << QStringList{"Examined 0, handled 0, forwarded 0, bounces processed 0"} << "";
        QTest::newRow("missing folder created")
            << QStringList{"--yes", "scan", "--folder", "Elsewhere"} << 0
            << QStringList{"Examined 0, handled 0, forwarded 0, bounces processed 0"} << "";
        QTest::newRow("usage") << QStringList{"scan", "--folder"} << 2 << QStringList{} << "";
    }

    void scan() {
        QFETCH(QStringList, arguments);
        const Result r = cli(arguments);
        QTEST(r.status, "status");
        QTEST(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), "lines");
        QTEST(cli({QStringLiteral("list")}).out.section(QLatin1Char('\t'), 1, 1), "entries");
        // The folder named for the run is not kept.
        QCOMPARE(cli({QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("MailingListGroup")}).out,
                 QStringLiteral("MailingList\n"));
    }

    // The scan of the desktop program and of corvane-cli forwards members' posts through the real forwarder:
    // the post in the one folder that serves both jobs reaches every member, and the request beside it is
    // still handled.
    void membersPostsAreForwarded() {
        const QString recorder = m_tmp->filePath(QStringLiteral("submit.sh"));
        QFile script(recorder);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$@\" >> \"$0.args\"\ncat >> \"$0.messages\"\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
        for (const QString &member : {QStringLiteral("m1@example.org"), QStringLiteral("m2@example.org")})
            QCOMPARE(cli({QStringLiteral("add"), member, QStringLiteral("--category"), QStringLiteral("News")}).status,
                     0);
        const QList<QStringList> settings{
            {"UserSending", "true"},     {"UserSendingFolder", "MailingList"}, {"CheckUser", "False"},
            {"SubmitCommand", recorder}, {"SMTPEmail", "list@example.org"},    {"ForwardAll", "False"}};
        for (const QStringList &setting : settings)
            QCOMPARE(cli(QStringList{QStringLiteral("settings"), QStringLiteral("set")} + setting).status, 0);
        deliver(QStringLiteral("1700000003.M3P1.test"), QStringLiteral("m1@example.org"),
                QStringLiteral("[News] Meeting"));

        const Result r = cli({QStringLiteral("scan")});
        QCOMPARE(r.status, 0);
        QVERIFY2(r.out.contains(QStringLiteral("Examined 3, handled 1, forwarded 1, bounces processed 0")),
                 qPrintable(r.out + r.err));
        QFile args(recorder + QStringLiteral(".args"));
        QVERIFY(args.open(QIODevice::ReadOnly));
        QCOMPARE(args.readAll(), QByteArray("-- m1@example.org m2@example.org\n"));
        QFile messages(recorder + QStringLiteral(".messages"));
        QVERIFY(messages.open(QIODevice::ReadOnly));
        QVERIFY(messages.readAll().contains("X-Corvane-List: News"));
    }

    void unreachableRoot() {
        QCOMPARE(cli({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("RootFolder"),
                      QStringLiteral("Nowhere")})
                     .status,
                 0);
        const Result r = cli({QStringLiteral("scan")});
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(QStringLiteral("Error accessing your Outlook Root Folder.")), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(TestCliScan)
#include "tst_cliscan.moc"

// corvane-cli on an IMAP account, run as its own process against a Dovecot of the test's own: imap-test
// prints its steps without the password, folders and scan work on the account as on a Maildir.
#include "../mailstore/DovecotInstance.h"
#include "CliRun.h"
#include "mailstore/ImapStore.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestCliImap : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<test::DovecotInstance> m_server;

    using Result = corvane::test::CliResult;

    Result cli(const QStringList &arguments, const QString &password = QStringLiteral("secret")) {
        corvane::test::CliOptions options;
        options.environment = {{QStringLiteral("CORVANE_IMAP_PASSWORD"), password.isEmpty() ? QString() : password}};
        options.limitMs = 60000;
        return corvane::test::runCli(QStringLiteral(CORVANE_CLI), *m_tmp, arguments, options);
    }

    void set(const QString &name, const QString &value) {
        QCOMPARE(cli({QStringLiteral("settings"), QStringLiteral("set"), name, value}).status, 0);
    }

private slots:
    void init() {
        if (!test::DovecotInstance::available())
            QSKIP("dovecot is not installed");
        m_tmp = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<test::DovecotInstance>();
        QVERIFY(m_server->start());
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("info")}).status, 0);
        set(QStringLiteral("MailStoreKind"), QStringLiteral("imap"));
        set(QStringLiteral("IMAPHost"), QStringLiteral("127.0.0.1"));
        set(QStringLiteral("IMAPPort"), QString::number(m_server->port()));
        set(QStringLiteral("IMAPSecurity"), QStringLiteral("none"));
        set(QStringLiteral("IMAPUser"), QStringLiteral("tester"));
    }

    void imapTest_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("logs in") << "secret" << 0
                                 << QStringList{"User: tester, password ******** (from CORVANE_IMAP_PASSWORD)",
                                                "Logged in as tester", "  INBOX",
                                                "Special-use folder: Deleted Items = Trash", "Logged out"};
        QTest::newRow("wrong password") << "guess" << 1
                                        << QStringList{"User: tester, password ******** (from CORVANE_IMAP_PASSWORD)"};
    }

    void imapTest() {
        QFETCH(QString, password);
        QFETCH(int, status);
        QFETCH(QStringList, lines);
        const Result r = cli({QStringLiteral("imap-test")}, password);
        QCOMPARE(r.status, status);
        const QStringList out = r.out.split(QLatin1Char('\n'));
        for (const QString &line : lines)
            QVERIFY2(out.contains(line), qPrintable(r.out + r.err));
        QVERIFY(!(r.out + r.err).contains(password));
        if (status != 0)
            QVERIFY2(r.err.contains(QStringLiteral("refused the log-in")), qPrintable(r.err));
    }

    // The request scan reads the IMAP folder, handles the request and files the read copy as on a Maildir.
    void scanOnImap() {
        ImapStore store(m_server->account());
        store.createFolder(QString(), QStringLiteral("MailingList"));
        store.deliver(QStringLiteral("MailingList"),
                      "From: Ann <ann@example.com>\r\nSubject: subscribe\r\nDate: Tue, 12 Mar 2024 10:15:00 "
                      "+0000\r\n\r\nbody\r\n",
                      QString());
        store.connection().disconnect();
        set(QStringLiteral("MailingListGroup"), QStringLiteral("MailingList"));
        set(QStringLiteral("SendAcknowledgement"), QStringLiteral("False"));
        const Result folders = cli({QStringLiteral("folders")});
        QCOMPARE(folders.status, 0);
        QVERIFY2(folders.out.contains(QStringLiteral("MailingList")) &&
                     folders.out.contains(QStringLiteral("Deleted Items")),
                 qPrintable(folders.out + folders.err));
        const Result scan = cli({QStringLiteral("scan")});
        QVERIFY2(scan.out.contains(QStringLiteral("Request: ann@example.com \"subscribe\"")),
                 qPrintable(scan.out + scan.err));
        QCOMPARE(scan.status, 0);
        QVERIFY(cli({QStringLiteral("list")}).out.contains(QStringLiteral("ann@example.com")));
        // A handled request is deleted (the default): on the server it moved to the special-use Trash.
        ImapStore after(m_server->account());
        QCOMPARE(after.list(QStringLiteral("MailingList"), false).size(), size_t(0));
        QCOMPARE(after.list(QStringLiteral("Trash"), false).size(), size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestCliImap)
#include "tst_cliimap.moc"

// corvane-cli send end to end, the program run as its own process on a real list database: the counts of
// --dry-run for each recipient choice, a real send to the scripted SMTP server (one personalised message
// per member), and the exit status when the server refuses a member.
#include "../send/DnsResponder.h"
#include "../send/ScriptedSmtpServer.h"
#include "CliRun.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestCliSend : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;

    using Result = corvane::test::CliResult;

    // Runs the program while this process's event loop keeps running (the scripted server lives here).
    Result cli(const QStringList &arguments) {
        return corvane::test::runCli(QStringLiteral(CORVANE_CLI), *m_tmp, arguments, true, 60000);
    }

    void set(const QString &name, const QString &value) {
        QCOMPARE(cli({QStringLiteral("settings"), QStringLiteral("set"), name, value}).status, 0);
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QCOMPARE(cli({QStringLiteral("--yes"), QStringLiteral("info")}).status, 0);
        const QStringList entries{"ann@example.org News Ann", "bob@example.org News Bob", "ANN@example.org Sport Ann",
                                  "cy@example.org Sport Cy"};
        set(QStringLiteral("MultipleCategorySupport"), QStringLiteral("true"));
        for (const QString &entry : entries) {
            const QStringList f = entry.split(QLatin1Char(' '));
            cli({QStringLiteral("add"), f[0], QStringLiteral("--category"), f[1], QStringLiteral("--name"), f[2]});
        }
        set(QStringLiteral("EmailMethod"), QStringLiteral("3"));
        set(QStringLiteral("SMTPHost"), QStringLiteral("127.0.0.1"));
        set(QStringLiteral("SMTPEmail"), QStringLiteral("list@example.org"));
        set(QStringLiteral("SendLog"), QStringLiteral("true"));
    }

    void dryRunCounts_data() {
        QTest::addColumn<QStringList>("choice");
        QTest::addColumn<QString>("sendCount");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("whole list, one per recipient") << QStringList{} << "1"
                                                       << "Hello" << QStringList{"Recipients: 3", "Messages: 3"};
        QTest::newRow("whole list, batches of 2") << QStringList{} << "2"
                                                  << "Hello" << QStringList{"Recipients: 3", "Messages: 2"};
        QTest::newRow("a field makes it one per recipient")
            << QStringList{} << "2"
            << "Dear %FULL_NAME%" << QStringList{"Recipients: 3", "Messages: 3"};
        QTest::newRow("category") << QStringList{"--category", "sport"} << "1"
                                  << "Hello" << QStringList{"Recipients: 2", "Messages: 2"};
        QTest::newRow("not category") << QStringList{"--not-category", "sport"} << "1"
                                      << "Hello" << QStringList{"Recipients: 2", "Messages: 2"};
        QTest::newRow("typed file") << QStringList{"--recipients", "FILE"} << "10"
                                    << "Hello" << QStringList{"Recipients: 2", "Messages: 1"};
    }
    void dryRunCounts() {
        QFETCH(QStringList, choice);
        QFETCH(QString, sendCount);
        QFETCH(QString, body);
        QFETCH(QStringList, expected);
        set(QStringLiteral("SendCount "), sendCount);
        const QString file = m_tmp->filePath(QStringLiteral("recipients.txt"));
        QFile typed(file);
        QVERIFY(typed.open(QIODevice::WriteOnly));
        typed.write("Dee <dee@example.org>\r\nnot an address\r\nEd@example.org\r\nDEE@example.org\r\n");
        typed.close();
        choice.replaceInStrings(QStringLiteral("FILE"), file);
        const Result r =
            cli(QStringList{QStringLiteral("--yes"), QStringLiteral("send"), QStringLiteral("--subject"),
                            QStringLiteral("News"), QStringLiteral("--body-text"), body, QStringLiteral("--dry-run")} +
                choice);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    }

    void sendThroughSmtp_data() {
        QTest::addColumn<QByteArray>("refusedRcpt");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("failures");
        QTest::newRow("every member accepted") << QByteArray() << 0 << 0;
        QTest::newRow("one member refused") << QByteArray("bob@example.org") << 1 << 1;
    }
    void sendThroughSmtp() {
        QFETCH(QByteArray, refusedRcpt);
        QFETCH(int, status);
        QFETCH(int, failures);
        ScriptedSmtpServer server;
        QVERIFY(server.listening());
        if (!refusedRcpt.isEmpty()) {
            // The members go out in address order: ann, bob, cy.
            server.reply("RCPT", "250 2.1.5 Ok\r\n");
            server.reply("RCPT", "550 5.1.1 <" + refusedRcpt + ">: Recipient address rejected\r\n");
            server.reply("RCPT", "250 2.1.5 Ok\r\n");
        }
        set(QStringLiteral("SMTPPort"), QString::number(server.port()));
        set(QStringLiteral("SendCount "), QStringLiteral("1"));
        const QString body = m_tmp->filePath(QStringLiteral("body.txt"));
        QFile file(body);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Dear %FULL_NAME%,\r\nyour address is %EMAIL%.\r\n");
        file.close();
        const Result r = cli({QStringLiteral("--yes"), QStringLiteral("send"), QStringLiteral("--subject"),
                              QStringLiteral("Weekly"), QStringLiteral("--body"), body});
        QVERIFY2(r.status == status, qPrintable(r.out + r.err));
        const QStringList lines = r.out.split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(QStringLiteral("Commencing send to 3 recipients")), qPrintable(r.out));
        QCOMPARE(lines.filter(QStringLiteral("SEND FAILURE")).size(), failures);
        QCOMPARE(lines.filter(QStringLiteral("SEND OK")).size(), 3 - failures);
        QVERIFY(lines.contains(QStringLiteral("Send to 3 recipients has been completed")));
        QVERIFY2(r.out.contains(QStringLiteral("Sent %1, failed %2, remaining 0").arg(3 - failures).arg(failures)),
                 qPrintable(r.out));
        // Each member's copy is merged for that member.
        QVERIFY(server.received.contains("Dear Ann,\r\nyour address is ann@example.org."));
        QVERIFY(server.received.contains("Dear Cy,\r\nyour address is cy@example.org."));
        QCOMPARE(server.commandCount.value("RCPT"), 3);
        QCOMPARE(server.connections, 1);
        // The send log on disk holds what was printed.
        QFile log(m_tmp->filePath(QStringLiteral("home/SendLog.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("Send to 3 recipients has been completed\r\n"));
    }

    // Direct sending with the relay library built beside the program: the members' domain does not exist, so
    // each message counts as sent and, with "Process bounces as they are detected", a bounce is counted on the
    // member's entry.
    void relayBadDomain() {
        DnsResponder dns({});
        QVERIFY(dns.port != 0);
        qputenv("CORVANE_RELAY_DNS_PORT", QByteArray::number(dns.port));
        set(QStringLiteral("EmailMethod"), QStringLiteral("4"));
        set(QStringLiteral("DNSHost"), QStringLiteral("127.0.0.1"));
        set(QStringLiteral("DNSTimeOut"), QStringLiteral("3000"));
        set(QStringLiteral("DNSProcessBounce"), QStringLiteral("true"));
        const Result r = cli({QStringLiteral("--yes"), QStringLiteral("send"), QStringLiteral("--subject"),
                              QStringLiteral("Weekly"), QStringLiteral("--body-text"), QStringLiteral("Hello")});
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QCOMPARE(r.out.split(QLatin1Char('\n')).filter(QStringLiteral("SEND OK")).size(), 3);
        QFile log(m_tmp->filePath(QStringLiteral("home/log.txt")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        for (const char *member : {"ann@example.org", "bob@example.org", "cy@example.org"}) {
            QVERIFY2(text.contains(QByteArray("Update Undeliverable ") + member + " -> Bounce count incremented!"),
                     text.constData());
        }
        QCOMPARE(dns.queries(), QStringList(3, QStringLiteral("example.org MX")));
    }

    // Direct sending delivers to the members' MX host, and with the list address set each message carries the
    // list headers like every other method's mailings.
    void relayListHeaders() {
        DnsResponder dns(
            {QStringLiteral("example.org MX 10 mx.example.org."), QStringLiteral("mx.example.org A 127.0.0.1")});
        QVERIFY(dns.port != 0);
        ScriptedSmtpServer server;
        QVERIFY(server.listening());
        qputenv("CORVANE_RELAY_DNS_PORT", QByteArray::number(dns.port));
        qputenv("CORVANE_RELAY_SMTP_PORT", QByteArray::number(server.port()));
        set(QStringLiteral("EmailMethod"), QStringLiteral("4"));
        set(QStringLiteral("DNSHost"), QStringLiteral("127.0.0.1"));
        set(QStringLiteral("ListAddress"), QStringLiteral("news@example.org"));
        const Result r = cli({QStringLiteral("--yes"), QStringLiteral("send"), QStringLiteral("--subject"),
                              QStringLiteral("Weekly"), QStringLiteral("--body-text"), QStringLiteral("Hello")});
        qunsetenv("CORVANE_RELAY_SMTP_PORT");
        QVERIFY2(r.status == 0, qPrintable(r.out + r.err));
        QCOMPARE(server.received.count("List-Unsubscribe: <mailto:news@example.org?subject=unsubscribe>\r\n"), 3);
        QCOMPARE(server.received.count("List-Id: <news.example.org>\r\n"), 3);
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no body") << QStringList{"send", "--subject", "S"};
        QTest::newRow("two bodies") << QStringList{"send", "--subject", "S", "--body-text", "a", "--body-text", "b"};
        QTest::newRow("two choices") << QStringList{"send", "--subject",      "S", "--body-text", "a", "--category",
                                                    "x",    "--not-category", "y"};
        QTest::newRow("dry run of a test")
            << QStringList{"send", "--subject", "S", "--body-text", "a", "--test", "t@x.org", "--dry-run"};
    }
    void usageErrors() {
        QFETCH(QStringList, arguments);
        const Result r = cli(arguments);
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains(QStringLiteral("send: ")));
    }
};

QTEST_MAIN(TestCliSend)
#include "tst_clisend.moc"

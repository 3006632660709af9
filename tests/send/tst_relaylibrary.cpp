// The relay library as the send dialog loads it, against a DNS responder and the private Postfix as the mail
// server: MX preference order, the domain's own address without MX, NXDOMAIN, null MX and no mail server, the
// DNS time-out, unreachable and silent servers, a refused recipient with the server's words, a delivered
// message with its headers and attachment, extra header lines, and opportunistic STARTTLS.
#include "AiosmtpdServer.h"
#include "DnsResponder.h"
#include "PostfixInstance.h"
#include "ScriptedSmtpServer.h"

#include "send/SMTPServerLibrary.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTest>

#include <thread>

using namespace corvane;

class TestRelayLibrary : public QObject {
    Q_OBJECT
    PostfixInstance postfix;
    SMTPServerLibrary library;

    int send(const DnsResponder &dns, const QString &to, int timeOutMs, QString &error,
             const QStringList &attachments = {}) {
        qputenv("CORVANE_RELAY_DNS_PORT", QByteArray::number(dns.port));
        return library.SendMail(QStringLiteral("127.0.0.1"), timeOutMs, QStringLiteral("owner@example.org"),
                                QStringLiteral("List Owner"), to, QStringLiteral("Relay news"),
                                {QStringLiteral("Hello"), QStringLiteral(".dot")}, false, attachments, error);
    }
    // The messages delivered to the Postfix mailbox within `waitMs`.
    QStringList delivered(int waitMs) const {
        QStringList files;
        // An empty list after the wait is the answer, so whether the wait ended in time is not needed.
        (void)QTest::qWaitFor(
            [&] {
                files.clear();
                for (QDirIterator it(postfix.maildir() + QStringLiteral("/new"), QDir::Files); it.hasNext();) {
                    files << it.next();
                }
                return !files.isEmpty();
            },
            waitMs);
        return files;
    }

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(postfix.start(error), qPrintable(error));
        QVERIFY2(library.OpenSMTPServerDLL(QStringLiteral(CORVANE_RELAY_DIR)), qPrintable(library.errorString()));
    }
    void init() {
        qputenv("CORVANE_RELAY_SMTP_PORT", QByteArray::number(postfix.port()));
        qunsetenv("CORVANE_RELAY_SMTP_TIMEOUT");
        QDir(postfix.maildir() + QStringLiteral("/new")).removeRecursively();
        library.setHeaderLines({});
    }

    void results_data();
    void results();
    void deliveredMessage();
    void startTls();
    void scriptedServer_data();
    void scriptedServer();
};

// Rows: the zone, names the responder never answers, the recipient, the mail server ("postfix", "closed" for a
// port nobody listens on, "silent" for one that never greets), the DNS time-out; the result, a part of the
// error text, the questions in order (not checked when empty) and whether the message arrives.
void TestRelayLibrary::results_data() {
    QTest::addColumn<QStringList>("zone");
    QTest::addColumn<QStringList>("silent");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("timeOut");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("errorPart");
    QTest::addColumn<QStringList>("queries");
    QTest::addColumn<bool>("arrives");
    const QString member = QString::fromLatin1(PostfixInstance::kRecipient);
    QTest::newRow("MX in preference order, the first without address")
        << QStringList{"corvane.test MX 30 c.corvane.test.", "corvane.test MX 20 b.corvane.test.",
                       "corvane.test MX 10 a.corvane.test.", "a.corvane.test TXT x",
                       "b.corvane.test A 127.0.0.1",         "c.corvane.test A 127.0.0.1"}
        << QStringList{} << member << "postfix" << 3000 << 0 << ""
        << QStringList{"corvane.test MX", "a.corvane.test A", "a.corvane.test AAAA", "b.corvane.test A",
                       "b.corvane.test AAAA"}
        << true;
    QTest::newRow("no MX: the domain's own address")
        << QStringList{"corvane.test A 127.0.0.1"} << QStringList{} << member << "postfix" << 3000 << 0 << ""
        << QStringList{"corvane.test MX", "corvane.test A", "corvane.test AAAA"} << true;
    QTest::newRow("domain does not exist")
        << QStringList{"corvane.test A 127.0.0.1"} << QStringList{} << "x@nowhere.test"
        << "postfix" << 3000 << 4 << "nowhere.test does not exist" << QStringList{"nowhere.test MX"} << false;
    QTest::newRow("null MX") << QStringList{"corvane.test MX 0 ."} << QStringList{} << member << "postfix" << 3000 << 5
                             << "accepts no mail" << QStringList{"corvane.test MX"} << false;
    QTest::newRow("neither MX nor address") << QStringList{"corvane.test TXT x"} << QStringList{} << member << "postfix"
                                            << 3000 << 5 << "has no mail server" << QStringList{} << false;
    QTest::newRow("DNS time-out") << QStringList{"corvane.test A 127.0.0.1"} << QStringList{"corvane.test"} << member
                                  << "postfix" << 1500 << 3 << "did not answer about corvane.test within 1500 ms"
                                  << QStringList{} << false;
    QTest::newRow("recipient refused at RCPT")
        << QStringList{"corvane.test MX 10 mx.corvane.test.", "mx.corvane.test A 127.0.0.1"} << QStringList{}
        << "unknown@corvane.test"
        << "postfix" << 3000 << 8 << "550 5.1.1 <unknown@corvane.test>: Recipient address rejected" << QStringList{}
        << false;
    QTest::newRow("every MX unreachable")
        << QStringList{"corvane.test MX 10 mx.corvane.test.", "mx.corvane.test A 127.0.0.1"} << QStringList{} << member
        << "closed" << 3000 << 7 << "No mail server of corvane.test could be reached" << QStringList{} << false;
    QTest::newRow("a server that never greets")
        << QStringList{"corvane.test A 127.0.0.1"} << QStringList{} << member << "silent" << 3000 << 7
        << "no greeting, no reply within 1 seconds" << QStringList{} << false;
}

void TestRelayLibrary::results() {
    QFETCH(QStringList, zone);
    QFETCH(QStringList, silent);
    QFETCH(QString, to);
    QFETCH(QString, server);
    QFETCH(int, timeOut);
    QFETCH(int, code);
    QFETCH(QString, errorPart);
    QFETCH(QStringList, queries);
    QFETCH(bool, arrives);
    DnsResponder dns(zone, silent);
    QVERIFY(dns.port != 0);
    QTcpServer other;
    if (server != QLatin1String("postfix")) {
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        qputenv("CORVANE_RELAY_SMTP_PORT", QByteArray::number(other.serverPort()));
        qputenv("CORVANE_RELAY_SMTP_TIMEOUT", "1000");
        if (server == QLatin1String("closed")) {
            other.close();
        }
    }
    QString error = QStringLiteral("stale");
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(send(dns, to, timeOut, error), code);
    // Every call ends within its DNS and SMTP time-outs (with a margin for a slow machine).
    QVERIFY2(clock.elapsed() < timeOut + 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(code == 0 ? error.isEmpty() : error.contains(errorPart), qPrintable(error));
    if (!queries.isEmpty()) {
        QCOMPARE(dns.queries(), queries);
    }
    QCOMPARE(delivered(arrives ? 15000 : 500).size(), arrives ? 1 : 0);
}

void TestRelayLibrary::deliveredMessage() {
    DnsResponder dns({"corvane.test MX 10 mx.corvane.test.", "mx.corvane.test A 127.0.0.1"});
    QVERIFY(dns.port != 0);
    QTemporaryDir dir;
    const QString attachment = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(attachment);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("attached text") > 0);
    file.close();
    // A line with a line break inside is dropped; the others go into every following message.
    QVERIFY(!library.setHeaderLines(
        {QStringLiteral("List-Id: <news.corvane.test>"), QStringLiteral("X-Note: a\r\nBcc: spy@example.org")}));
    QString error;
    QCOMPARE(send(dns, QString::fromLatin1(PostfixInstance::kRecipient), 3000, error, {attachment}), 0);
    const QStringList files = delivered(15000);
    QCOMPARE(files.size(), 1);
    QFile message(files.first());
    QVERIFY(message.open(QIODevice::ReadOnly));
    const QByteArray text = message.readAll();
    const QByteArray header = text.left(text.indexOf("\n\n") + 1);
    for (const char *part :
         {"\nSubject: Relay news\n", "\nFrom: List Owner<owner@example.org>\n", "\nTo: member@corvane.test\n",
          "\nDate: ", "\nMessage-ID: <", "\nMime-Version: 1.0\n", "\nList-Id: <news.corvane.test>\n"}) {
        QVERIFY2(header.contains(part), part);
    }
    QVERIFY(!text.contains("spy@example.org"));
    QVERIFY(!text.contains("X-Note"));
    QVERIFY(text.contains("\nHello\n.dot\n"));
    QVERIFY(text.contains("filename=\"notes.txt\""));
    QVERIFY(text.contains(QByteArray("attached text").toBase64()));
}

void TestRelayLibrary::startTls() {
    // The server refuses MAIL before STARTTLS, so delivery proves the library encrypted the session; its
    // self-signed certificate is no obstacle to opportunistic encryption.
    TestCertificates certificates;
    QVERIFY(certificates.made);
    AiosmtpdServer server(certificates, QStringLiteral("starttls"), QStringLiteral("selfsigned"), QString(), QString(),
                          {}, {QStringLiteral("--require-starttls")});
    QVERIFY(server.port != 0);
    qputenv("CORVANE_RELAY_SMTP_PORT", QByteArray::number(server.port));
    DnsResponder dns({"corvane.test A 127.0.0.1"});
    QString error;
    QCOMPARE(send(dns, QStringLiteral("anyone@corvane.test"), 3000, error), 0);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

// Rows: replies queued on the scripted server (verb, raw reply); the result, a part of the error text, and the
// connections the library made (the scripted server refuses EHLO unless a row queues a reply for it, so the
// library says HELO on every connection of such a row).
void TestRelayLibrary::scriptedServer_data() {
    QTest::addColumn<QList<QByteArrayList>>("replies");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("errorPart");
    QTest::addColumn<int>("connections");
    const QByteArrayList ehlo{"EHLO", "250-mx.test\r\n250 STARTTLS\r\n"};
    QTest::newRow("failed TLS handshake: the same server again without TLS")
        << QList<QByteArrayList>{ehlo, {"STARTTLS", "220 go ahead\r\n"}} << 0 << "" << 2;
    QTest::newRow("EHLO refused: HELO") << QList<QByteArrayList>{} << 0 << "" << 1;
    QTest::newRow("control characters in a refusal")
        << QList<QByteArrayList>{{"RCPT", "550 5.1.1 no\x01\x1b[31m such user\r\n"}} << 8
        << "550 5.1.1 no??[31m such user" << 1;
    QTest::newRow("temporary refusal") << QList<QByteArrayList>{{"RCPT", "451 4.3.0 try later\r\n"}} << 9
                                       << "451 4.3.0 try later" << 1;
}

void TestRelayLibrary::scriptedServer() {
    QFETCH(QList<QByteArrayList>, replies);
    QFETCH(int, code);
    QFETCH(QString, errorPart);
    QFETCH(int, connections);
    ScriptedSmtpServer server;
    QVERIFY(server.listening());
    for (const QByteArrayList &reply : replies) {
        server.reply(reply.at(0), reply.at(1));
    }
    qputenv("CORVANE_RELAY_SMTP_PORT", QByteArray::number(server.port()));
    qputenv("CORVANE_RELAY_SMTP_TIMEOUT", "1000");
    DnsResponder dns({"corvane.test A 127.0.0.1"});
    // The library waits in its own thread while this one runs the scripted server.
    QString error;
    int result = -1;
    std::atomic_bool done = false;
    std::thread call([&] {
        result = send(dns, QStringLiteral("anyone@corvane.test"), 3000, error);
        done = true;
    });
    const bool finished = QTest::qWaitFor([&] { return done.load(); }, 20000);
    call.join();
    QVERIFY(finished);
    QCOMPARE(result, code);
    QVERIFY2(code == 0 ? error.isEmpty() : error.contains(errorPart), qPrintable(error));
    QCOMPARE(server.connections, connections);
    QCOMPARE(server.commandCount.value("STARTTLS"), connections - 1);
    QCOMPARE(server.commandCount.value("HELO"), server.commandCount.value("STARTTLS") > 0 ? 0 : connections);
    QCOMPARE(server.commandCount.value("."), code == 0 ? 1 : 0);
}

QTEST_GUILESS_MAIN(TestRelayLibrary)
#include "tst_relaylibrary.moc"

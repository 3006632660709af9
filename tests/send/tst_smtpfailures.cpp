// Failures of the SMTP client: refused or silent servers at connect, time-outs and aborts while sending, a
// server that drops the connection during the message, and messages refused before any command is sent
// (header injection, unreadable attachments, oversized headers, incomplete addressing).
#include "SmtpSession.h"

#include "base/CorvaneError.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace corvane;

class TestSmtpFailures : public QObject {
    Q_OBJECT
private slots:
    void connectFailures_data();
    void connectFailures();
    void sendInterrupted_data();
    void sendInterrupted();
    void refusedBeforeSending_data();
    void refusedBeforeSending();
    void reentrantSendRefused();
};

namespace {
const QString connectWarning = QStringLiteral("An error was encountered while connecting to your SMTP server:\r\n\r\n");

// The client's error message of one SendMail, empty when it succeeded.
QString sendError(TNMSMTP &client) {
    try {
        client.SendMail();
    } catch (const CorvaneError &e) {
        return e.message();
    }
    return {};
}
} // namespace

void TestSmtpFailures::connectFailures_data() {
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("heloReply");
    QTest::addColumn<QString>("heloId");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("serverReceived");
    QTest::newRow("greeting refused") << QByteArray("554 5.7.1 No SMTP service here\r\n") << QByteArray()
                                      << "client.test" << true << "554 5.7.1 No SMTP service here"
                                      << QByteArray("QUIT\r\n");
    QTest::newRow("HELO refused") << QByteArray("220 mx.test\r\n") << QByteArray("502 5.5.2 Not here\r\n")
                                  << "client.test" << true << "Authentication failed"
                                  << QByteArray("HELO client.test\r\nQUIT\r\n");
    QTest::newRow("silent server") << QByteArray() << QByteArray() << "client.test" << true
                                   << "No reply from the SMTP server in time" << QByteArray();
    QTest::newRow("nothing listening") << QByteArray() << QByteArray() << "client.test" << false << "Connection Failed"
                                       << QByteArray();
    QTest::newRow("line break in the HELO argument")
        << QByteArray("220 mx.test\r\n") << QByteArray() << "client.test\r\nMAIL FROM:<x@example.net>" << true
        << "Line break in the HELO argument refused" << QByteArray("QUIT\r\n");
}

void TestSmtpFailures::connectFailures() {
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, heloReply);
    QFETCH(QString, heloId);
    QFETCH(bool, listening);
    QFETCH(QString, message);
    QFETCH(QByteArray, serverReceived);

    SmtpSession s(300);
    s.server.greeting = greeting;
    if (!heloReply.isEmpty()) {
        s.server.reply("HELO", heloReply);
    }
    if (!listening) {
        s.server.stopListening();
    }
    s.settings.SMTPID = heloId;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!s.smtp->SMTPConnect());
    QVERIFY(clock.elapsed() < 3000);
    QCOMPARE(s.prompt.shown.size(), 1);
    QCOMPARE(s.prompt.shown.first().kind, UserPrompt::Kind::Warning);
    QCOMPARE(s.prompt.shown.first().text, connectWarning + message);
    QCOMPARE(s.log, QStringList({"Connecting to SMTP server", "SMTP Connection Error: " + message}));
    QTRY_COMPARE(s.server.received, serverReceived);
    QVERIFY(!s.smtp->client().Connected());
}

// A message interrupted on the wire fails and closes the connection (the pairing of commands and replies is
// lost); the next message goes over a new connection, where the same server fails it again.
void TestSmtpFailures::sendInterrupted_data() {
    QTest::addColumn<QByteArray>("silentAt");
    QTest::addColumn<bool>("dropInData");
    QTest::addColumn<int>("abortAfterMs");
    QTest::addColumn<QString>("message");
    QTest::newRow("no reply to RSET") << QByteArray("RSET") << false << -1 << "No reply from the SMTP server in time";
    QTest::newRow("no reply to DATA") << QByteArray("DATA") << false << -1 << "No reply from the SMTP server in time";
    QTest::newRow("no reply to the final dot")
        << QByteArray(".") << false << -1 << "No reply from the SMTP server in time";
    QTest::newRow("aborted while waiting") << QByteArray(".") << false << 50 << "Socket readln aborted";
    QTest::newRow("connection dropped during the message") << QByteArray() << true << -1 << QString();
}

void TestSmtpFailures::sendInterrupted() {
    QFETCH(QByteArray, silentAt);
    QFETCH(bool, dropInData);
    QFETCH(int, abortAfterMs);
    QFETCH(QString, message);

    SmtpSession s(400);
    s.server.silentAt = silentAt;
    s.server.dropInData = dropInData;
    QVERIFY(s.smtp->SMTPConnect());
    s.plainMessage();
    s.smtp->message().Body = QStringList(2000, QStringLiteral("a line of the message body"));
    if (abortAfterMs >= 0) {
        QTimer::singleShot(abortAfterMs, &s.smtp->client(), [&] { s.smtp->client().Abort(); });
    }
    QElapsedTimer clock;
    clock.start();
    const QString error = sendError(s.smtp->client());
    QVERIFY(clock.elapsed() < 3000);
    QVERIFY(!error.isEmpty());
    if (!message.isEmpty()) {
        QCOMPARE(error, message);
    }
    QVERIFY(!s.smtp->client().Connected());

    clock.restart();
    QVERIFY(!s.smtp->SendSMTPMail(false));
    QVERIFY(clock.elapsed() < 3000);
    QCOMPARE(s.sendErrors, QStringList{"An error was encountered while sending your mail via SMTP!"});
    s.smtp->SMTPDisconnect();
    QCOMPARE(s.log, QStringList({"Connecting to SMTP server", "Connecting to SMTP server",
                                 "Disconnecting from the SMTP server"}));
    QCOMPARE(s.server.connections, 2);
    QCOMPARE(s.server.commandCount.value("HELO"), 2);
    QCOMPARE(s.server.commandCount.value("RSET"), 2);
}

// Each row spoils one field of an otherwise valid message. Nothing after HELO may reach the server, the
// client names the fault, and the connection still carries the next, valid message.
void TestSmtpFailures::refusedBeforeSending_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("messagePart");
    QTest::newRow("subject with CR LF") << "Subject"
                                        << "Hello\r\nBcc: victim@example.net"
                                        << "Line break";
    QTest::newRow("To entry with CR LF") << "To"
                                         << "a@example.com\r\nRCPT TO:<victim@example.net>"
                                         << "Line break";
    QTest::newRow("BCC entry with LF") << "BCC"
                                       << "h@example.com>\nRCPT TO:<victim@example.net"
                                       << "Line break";
    QTest::newRow("CC entry with CR") << "CC"
                                      << "Bee\r<b@example.com>"
                                      << "Line break";
    QTest::newRow("sender name with LF") << "FromName"
                                         << "Owner\nX-Injected: 1"
                                         << "Line break";
    QTest::newRow("sender address with CR LF") << "FromAddress"
                                               << "list@example.org>\r\nRCPT TO:<victim@example.net"
                                               << "Line break";
    QTest::newRow("X-Mailer with CR LF") << "LocalProgram"
                                         << "Corvane\r\nX-Injected: 1"
                                         << "Line break";
    QTest::newRow("missing attachment") << "Attachment"
                                        << "/nonexistent/corvane/file.pdf"
                                        << "attachment";
    QTest::newRow("non-ASCII recipient address") << "To" << QString::fromUtf8("j\xc3\xb6rg@example.com") << "non-ASCII";
    QTest::newRow("header of 64 KB") << "ManyTo"
                                     << ""
                                     << "header is too long";
    QTest::newRow("no recipient") << "NoRecipient"
                                  << ""
                                  << "Incomplete Header";
    QTest::newRow("no sender") << "FromAddress"
                               << ""
                               << "Incomplete Header";
}

void TestSmtpFailures::refusedBeforeSending() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, messagePart);

    SmtpSession s;
    QVERIFY(s.smtp->SMTPConnect());
    TNMSMTP &client = s.smtp->client();
    s.plainMessage();
    TPostMessage &m = client.PostMessage;
    const TPostMessage valid = m;
    if (field == "Subject") {
        m.Subject = value;
    } else if (field == "To") {
        m.ToAddress.append(value);
    } else if (field == "CC") {
        m.ToCarbonCopy.append(value);
    } else if (field == "BCC") {
        m.ToBlindCarbonCopy.append(value);
    } else if (field == "FromName") {
        m.FromName = value;
    } else if (field == "FromAddress") {
        m.FromAddress = value;
    } else if (field == "LocalProgram") {
        m.LocalProgram = value;
    } else if (field == "Attachment") {
        m.Attachments.append(value);
    } else if (field == "ManyTo") {
        for (int i = 0; i < 2000; ++i) {
            m.ToAddress.append(QStringLiteral("Member Number %1 <member%1@example.com>").arg(i));
        }
    } else if (field == "NoRecipient") {
        m.ToAddress.clear();
    }
    const QString error = sendError(client);
    QVERIFY2(error.contains(messagePart, Qt::CaseInsensitive), qPrintable(error));
    QTest::qWait(20);
    QCOMPARE(s.server.received, QByteArray("HELO client.test\r\n"));
    QVERIFY(client.Connected());

    client.PostMessage = valid;
    QCOMPARE(sendError(client), QString());
    QCOMPARE(s.server.commandCount.value("."), 1);
    QVERIFY(!s.server.received.contains("victim"));
    QVERIFY(!s.server.received.contains("X-Injected"));
}

// A second send started while one is on the wire (events are processed during sends) does nothing on the
// wire; the connection layer's wait for it expires, aborts the client and reports both sends as failed.
void TestSmtpFailures::reentrantSendRefused() {
    SmtpSession s(3000);
    s.smtp->setWaitLimits(1000, 200);
    s.server.silentAt = ".";
    QVERIFY(s.smtp->SMTPConnect());
    s.plainMessage();
    bool innerResult = true;
    bool innerRan = false;
    QTimer::singleShot(50, &s.smtp->client(), [&] {
        QVERIFY(s.smtp->client().Busy());
        innerResult = s.smtp->SendSMTPMail(false);
        innerRan = true;
    });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!s.smtp->SendSMTPMail(false));
    QVERIFY(clock.elapsed() < 2000);
    QVERIFY(innerRan);
    QVERIFY(!innerResult);
    QCOMPARE(s.sendErrors.size(), 2);
    QCOMPARE(s.server.commandCount.value("RSET"), 1);
    QCOMPARE(s.server.commandCount.value("."), 1);
    QVERIFY(!s.smtp->client().Busy());
}

QTEST_GUILESS_MAIN(TestSmtpFailures)
#include "tst_smtpfailures.moc"

// What the SMTP client makes of a hostile or broken server and of hostile addresses: replies of the wrong
// form or number, over-long and endless replies, slow and trickling servers under the client's own time
// limits, paths that would smuggle ESMTP parameters into MAIL FROM or RCPT TO, and the HELO argument.
#include "SmtpSession.h"

#include "base/CorvaneError.h"

#include <QElapsedTimer>
#include <QHostInfo>
#include <QTest>

using namespace corvane;

class TestSmtpReplies : public QObject {
    Q_OBJECT
private slots:
    void badRepliesFailTheMessage_data();
    void badRepliesFailTheMessage();
    void badRepliesFailTheConnect_data();
    void badRepliesFailTheConnect();
    void timeLimits_data();
    void timeLimits();
    void paths_data();
    void paths();
    void heloArgument_data();
    void heloArgument();
};

namespace {

// The client's error message of one SendMail, empty when it succeeded.
QString sendError(TNMSMTP &client) {
    try {
        client.SendMail();
    } catch (const CorvaneError &e) {
        return e.message();
    }
    return {};
}

QString unexpected(const QString &line) {
    return QStringLiteral("Unexpected reply from the SMTP server: \"%1\"").arg(line);
}

QByteArray manyLines(int count, const QByteArray &code) {
    QByteArray raw;
    for (int i = 1; i < count; ++i) {
        raw += code + "-line " + QByteArray::number(i) + "\r\n";
    }
    return raw + code + " last\r\n";
}

} // namespace

// Each row spoils one reply of the first message; the next message gets the ordinary reply again. An empty
// error means the message must go through.
void TestSmtpReplies::badRepliesFailTheMessage_data() {
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("connectionKept");
    QTest::addColumn<bool>("contentSent");

    const QByteArray longText(4092, 'x');
    QTest::newRow("dot answered by text")
        << QByteArray(".") << QByteArray("hello there\r\n") << unexpected("hello there") << false << true;
    QTest::newRow("dot answered by an empty line")
        << QByteArray(".") << QByteArray("\r\n") << unexpected("") << false << true;
    QTest::newRow("dot answered with two digits")
        << QByteArray(".") << QByteArray("55 refused\r\n") << unexpected("55 refused") << false << true;
    QTest::newRow("DATA answered 250: no content goes out")
        << QByteArray("DATA") << QByteArray("250 Ok\r\n") << unexpected("250 Ok") << false << false;
    QTest::newRow("RSET answered 354") << QByteArray("RSET") << QByteArray("354 go ahead\r\n")
                                       << unexpected("354 go ahead") << false << false;
    QTest::newRow("RCPT 251 is a success")
        << QByteArray("RCPT") << QByteArray("251 User not local; will forward\r\n") << QString() << true << true;
    QTest::newRow("code changes inside a reply")
        << QByteArray(".") << QByteArray("250-Ok\r\n554 refused\r\n") << unexpected("554 refused") << false << true;
    QTest::newRow("continuation line without a code")
        << QByteArray(".") << QByteArray("250-Ok\r\nmore\r\n250 done\r\n") << unexpected("more") << false << true;
    QTest::newRow("one line too many after RSET")
        << QByteArray("RSET") << QByteArray("250 Ok\r\n250 extra\r\n") << unexpected("250 extra") << false << false;
    QTest::newRow("reply line of 64 KB") << QByteArray(".") << "250 " + QByteArray(64 * 1024, 'x') + "\r\n"
                                         << QStringLiteral("Reply line from the SMTP server longer than 4096 bytes")
                                         << false << true;
    QTest::newRow("reply line of 4097 bytes")
        << QByteArray(".") << "250 " + longText + "y\r\n"
        << QStringLiteral("Reply line from the SMTP server longer than 4096 bytes") << false << true;
    QTest::newRow("reply line of 4096 bytes is read") << QByteArray(".") << "250 " + longText + "\r\n"
                                                      << QString() << true << true;
    QTest::newRow("reply of 1001 lines") << QByteArray("RSET") << manyLines(1001, "250")
                                         << QStringLiteral("Reply from the SMTP server longer than 1000 lines") << false
                                         << false;
    QTest::newRow("refusal with control characters keeps the connection")
        << QByteArray(".") << QByteArray("554 no\x01\x1b[31m way\xff\r\n") << QStringLiteral("554 no??[31m way?")
        << true << true;
}

void TestSmtpReplies::badRepliesFailTheMessage() {
    QFETCH(QByteArray, verb);
    QFETCH(QByteArray, reply);
    QFETCH(QString, error);
    QFETCH(bool, connectionKept);
    QFETCH(bool, contentSent);

    SmtpSession s;
    s.server.reply(verb, reply);
    s.server.reply(verb, verb == "DATA" ? "354 go ahead\r\n" : verb == "." ? "250 2.0.0 Ok: queued\r\n" : "250 Ok\r\n");
    QVERIFY(s.smtp->SMTPConnect());
    s.plainMessage();
    QCOMPARE(sendError(s.smtp->client()), error);
    QCOMPARE(s.smtp->client().Connected(), connectionKept);
    QCOMPARE(Transcript::of(s.server.received).hasContent, contentSent);
    if (error.isEmpty()) {
        return;
    }
    QCOMPARE(s.server.commandCount.value("."), contentSent ? 1 : 0);

    // The next message never reads what the spoilt exchange left behind: it starts over a new connection
    // unless the failure was a plain refusal.
    QVERIFY(s.smtp->SendSMTPMail(false));
    QCOMPARE(s.server.connections, connectionKept ? 1 : 2);
    QCOMPARE(s.server.commandCount.value("HELO"), connectionKept ? 1 : 2);
    QCOMPARE(s.smtp->client().LastReply(), QByteArray("250 2.0.0 Ok: queued"));
}

void TestSmtpReplies::badRepliesFailTheConnect_data() {
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("helo");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("lineIntervalMs");
    QTest::newRow("greeting of text") << QByteArray("hello\r\n") << QByteArray() << unexpected("hello") << 0;
    QTest::newRow("greeting with a line beginning with a blank")
        << QByteArray("220-mx.test\r\n  more text\r\n220 ready\r\n") << QByteArray() << unexpected("  more text") << 0;
    QTest::newRow("HELO answered 220") << QByteArray() << QByteArray("220 again\r\n") << unexpected("220 again") << 0;
    QTest::newRow("HELO reply changing its code")
        << QByteArray() << QByteArray("250-mx.test\r\n251 SIZE\r\n") << unexpected("251 SIZE") << 0;
    QTest::newRow("HELO answered by an endless line")
        << QByteArray() << QByteArray(100 * 1024, 'x')
        << QStringLiteral("Reply line from the SMTP server longer than 4096 bytes") << 0;
    QTest::newRow("greeting trickling past the reply limit")
        << manyLines(30, "220") << QByteArray() << QStringLiteral("No reply from the SMTP server in time") << 100;
}

void TestSmtpReplies::badRepliesFailTheConnect() {
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, helo);
    QFETCH(QString, error);
    QFETCH(int, lineIntervalMs);
    SmtpSession s;
    s.smtp->client().setTimeLimits(1000, 300);
    s.server.lineIntervalMs = lineIntervalMs;
    if (!greeting.isEmpty()) {
        s.server.greeting = greeting;
    }
    if (!helo.isEmpty()) {
        s.server.reply("HELO", helo);
    }
    QVERIFY(!s.smtp->SMTPConnect());
    QCOMPARE(s.prompt.shown.size(), 1);
    QCOMPARE(s.prompt.shown.first().text,
             QStringLiteral("An error was encountered while connecting to your SMTP server:\r\n\r\n") + error);
    QVERIFY(!s.smtp->client().Connected());
    // Nothing more goes out after a reply out of step: not even QUIT.
    QCOMPARE(s.server.commandCount.value("QUIT"), 0);
}

// The client counts its limits itself: a whole reply within the reply limit however its lines trickle in,
// and a whole message within the message limit however promptly each reply comes.
void TestSmtpReplies::timeLimits_data() {
    QTest::addColumn<int>("replyDelayMs");
    QTest::addColumn<int>("lineIntervalMs");
    QTest::addColumn<QByteArray>("dotReply");
    QTest::addColumn<int>("messageLimitMs");
    QTest::addColumn<QString>("error");
    QTest::newRow("continuation lines trickling past the reply limit")
        << 0 << 100 << manyLines(30, "250") << 10000 << "No reply from the SMTP server in time";
    QTest::newRow("continuation lines trickling within the reply limit")
        << 0 << 40 << manyLines(3, "250") << 10000 << "";
    QTest::newRow("every reply slow, the message past its limit")
        << 150 << 0 << QByteArray("250 Ok\r\n") << 500 << "The SMTP server did not complete the message within 0.5 s";
    QTest::newRow("every reply slow, the message within its limit")
        << 150 << 0 << QByteArray("250 Ok\r\n") << 2500 << "";
}

void TestSmtpReplies::timeLimits() {
    QFETCH(int, replyDelayMs);
    QFETCH(int, lineIntervalMs);
    QFETCH(QByteArray, dotReply);
    QFETCH(int, messageLimitMs);
    QFETCH(QString, error);
    SmtpSession s;
    s.smtp->client().setTimeLimits(1000, 300, messageLimitMs);
    s.server.replyDelayMs = replyDelayMs;
    s.server.lineIntervalMs = lineIntervalMs;
    s.server.reply(".", dotReply);
    QVERIFY(s.smtp->SMTPConnect());
    s.plainMessage();
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(sendError(s.smtp->client()), error);
    if (!error.isEmpty()) {
        QVERIFY2(clock.elapsed() < std::min(messageLimitMs, 300 + 5 * replyDelayMs) + 500,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!s.smtp->client().Connected());
    }
}

// Each row puts one path into an otherwise valid message. A refused path stops the message before anything
// after HELO goes out; an accepted one must reach the server exactly as the RCPT or MAIL line given.
void TestSmtpReplies::paths_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QByteArray>("command");
    const QString refused = QStringLiteral("Address refused: \"%1\" %2");
    QTest::newRow("ESMTP parameters after the recipient")
        << "To"
        << "a@b.example> NOTIFY=NEVER" << refused.arg("a@b.example> NOTIFY=NEVER", "holds \">\"") << QByteArray();
    QTest::newRow("ESMTP parameters after the sender")
        << "From"
        << "list@example.org> BODY=8BITMIME" << refused.arg("list@example.org> BODY=8BITMIME", "holds \">\"")
        << QByteArray();
    QTest::newRow("two addresses in a BCC entry")
        << "BCC"
        << "a@example.com,victim@example.net"
        << refused.arg("a@example.com,victim@example.net", "has more than one \"@\"") << QByteArray();
    QTest::newRow("blank") << "To"
                           << "a b@example.com" << refused.arg("a b@example.com", "holds a blank") << QByteArray();
    QTest::newRow("quoted local part") << "CC"
                                       << "\"a\"@example.com" << refused.arg("\"a\"@example.com", "holds \"\"\"")
                                       << QByteArray();
    QTest::newRow("control character shown, not written")
        << "To" << QString("a\x01@example.com") << refused.arg("a\\x01@example.com", "holds a control character")
        << QByteArray();
    QTest::newRow("two @") << "To"
                           << "a@b@example.com" << refused.arg("a@b@example.com", "has more than one \"@\"")
                           << QByteArray();
    QTest::newRow("nothing before @") << "To"
                                      << "@example.com" << refused.arg("@example.com", "has nothing before the \"@\"")
                                      << QByteArray();
    QTest::newRow("double dot") << "To"
                                << "a..b@example.com"
                                << refused.arg("a..b@example.com", "has a misplaced dot before the \"@\"")
                                << QByteArray();
    const QString local65 = QString(65, QLatin1Char('l')) + "@example.com";
    QTest::newRow("local part of 65") << "To" << local65
                                      << refused.arg(local65, "has more than 64 characters before the \"@\"")
                                      << QByteArray();
    const QString long255 = "a@" + QString(249, QLatin1Char('d')) + ".com";
    QTest::newRow("address of 255") << "To" << long255 << refused.arg(long255, "is longer than 254 characters")
                                    << QByteArray();
    const QString long254 = "a@" + QString(248, QLatin1Char('d')) + ".com";
    QTest::newRow("address of 254") << "To" << long254 << QString() << "RCPT TO:<" + long254.toLatin1() + ">";
    QTest::newRow("display name with parameters outside the brackets")
        << "To"
        << "Ann <ann@example.com> NOTIFY=NEVER" << QString() << QByteArray("RCPT TO:<ann@example.com>");
    QTest::newRow("address literal") << "To"
                                     << "postmaster@[192.0.2.1]" << QString()
                                     << QByteArray("RCPT TO:<postmaster@[192.0.2.1]>");
    QTest::newRow("signs of atext") << "To"
                                    << "a.b+c/d=e!#$%&'*?^_`{|}~@mail-1.example.com" << QString()
                                    << QByteArray("RCPT TO:<a.b+c/d=e!#$%&'*?^_`{|}~@mail-1.example.com>");
}

void TestSmtpReplies::paths() {
    QFETCH(QString, field);
    QFETCH(QString, entry);
    QFETCH(QString, error);
    QFETCH(QByteArray, command);
    SmtpSession s;
    QVERIFY(s.smtp->SMTPConnect());
    s.plainMessage();
    TPostMessage &m = s.smtp->message();
    if (field == "From") {
        m.FromAddress = entry;
    } else if (field == "CC") {
        m.ToCarbonCopy.append(entry);
    } else if (field == "BCC") {
        m.ToBlindCarbonCopy.append(entry);
    } else {
        m.ToAddress.append(entry);
    }
    QCOMPARE(sendError(s.smtp->client()), error);
    if (error.isEmpty()) {
        QVERIFY2(Transcript::of(s.server.received).commands.contains(command), s.server.received.left(400));
        return;
    }
    QTest::qWait(20);
    QCOMPARE(s.server.received, QByteArray("HELO client.test\r\n"));
    QVERIFY(s.smtp->client().Connected());
}

void TestSmtpReplies::heloArgument_data() {
    QTest::addColumn<QString>("smtpId");
    QTest::addColumn<QByteArray>("helo");
    QByteArray host = QHostInfo::localHostName().trimmed().toUtf8();
    if (host.isEmpty()) {
        host = "localhost";
    }
    QTest::newRow("empty: the machine's host name") << ""
                                                    << "HELO " + host;
    QTest::newRow("blanks only: the machine's host name") << "   "
                                                          << "HELO " + host;
    QTest::newRow("blanks around the name are dropped") << " client.test " << QByteArray("HELO client.test");
}

void TestSmtpReplies::heloArgument() {
    QFETCH(QString, smtpId);
    QFETCH(QByteArray, helo);
    QVERIFY(helo.size() > 5);
    SmtpSession s;
    s.settings.SMTPID = smtpId;
    QVERIFY(s.smtp->SMTPConnect());
    QTRY_COMPARE(s.server.received, helo + "\r\n");
}

QTEST_GUILESS_MAIN(TestSmtpReplies)
#include "tst_smtpreplies.moc"

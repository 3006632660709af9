// The SMTP client's exchange with a scripted server: the exact bytes of a message, headers and recipients,
// dot-stuffing, multi-line replies, refusals, many messages over one connection and the send-log lines.
#include "SmtpSession.h"

#include "send/SMTPReplyLine.h"

#include <QRegularExpression>
#include <QTest>

using namespace corvane;

class TestSmtpExchange : public QObject {
    Q_OBJECT
private slots:
    void plainMessageBytes();
    void headersAndRecipients_data();
    void headersAndRecipients();
    void multiLineReplies_data();
    void multiLineReplies();
    void refusedCommands_data();
    void refusedCommands();
    void manyMessagesOneConnection();
    void hostNameLookup();
    void replyLineForm_data();
    void replyLineForm();
};

void TestSmtpExchange::plainMessageBytes() {
    SmtpSession s;
    QVERIFY(s.server.listening());
    QVERIFY(s.smtp->SMTPConnect());
    s.plainMessage();
    QVERIFY(s.smtp->SendSMTPMail(false));
    s.smtp->SMTPDisconnect();

    QByteArray bytes = s.server.received;
    const QRegularExpression date(QStringLiteral("\r\nDate: ([^\r]*)\r\n"));
    const QRegularExpressionMatch d = date.match(QString::fromLatin1(bytes));
    QVERIFY(d.hasMatch());
    const QDateTime sent = QDateTime::fromString(d.captured(1), Qt::RFC2822Date);
    QVERIFY2(sent.isValid(), qPrintable(d.captured(1)));
    QVERIFY(qAbs(sent.secsTo(QDateTime::currentDateTime())) < 60);
    const QRegularExpression id(QStringLiteral("\r\nMessage-ID: (<[A-Za-z0-9.]+@example\\.org>)\r\n"));
    const QRegularExpressionMatch m = id.match(QString::fromLatin1(bytes));
    QVERIFY(m.hasMatch());
    bytes.replace(d.captured(1).toLatin1(), "DATE").replace(m.captured(1).toLatin1(), "ID");

    const QByteArray expected = "HELO client.test\r\n"
                                "RSET\r\n"
                                "MAIL FROM:<list@example.org>\r\n"
                                "RCPT TO:<member@example.com>\r\n"
                                "DATA\r\n"
                                "From: List Owner<list@example.org>\r\n"
                                "To: member@example.com\r\n"
                                "Subject: Hello\r\n"
                                "X-Mailer: Corvane mailing-list manager\r\n"
                                "Date: DATE\r\n"
                                "Message-ID: ID\r\n"
                                "Mime-Version: 1.0\r\n"
                                "Content-Type: text/plain; charset=us-ascii\r\n"
                                "\r\n\r\n"
                                "line one\r\n"
                                "line two\r\n"
                                ".\r\n"
                                "QUIT\r\n";
    QCOMPARE(bytes, expected);
    QCOMPARE(s.log, QStringList({"Connecting to SMTP server", "Disconnecting from the SMTP server"}));
    QVERIFY(s.prompt.shown.isEmpty());
    QVERIFY(s.sendErrors.isEmpty());
    // A successful send empties the recipient lists for the next message.
    QVERIFY(s.smtp->message().ToAddress.isEmpty());
    QVERIFY(!s.smtp->client().Connected());
}

// Each row sends one message and compares the commands, chosen header lines and the body.
void TestSmtpExchange::headersAndRecipients_data() {
    QTest::addColumn<QStringList>("to");
    QTest::addColumn<QStringList>("cc");
    QTest::addColumn<QStringList>("bcc");
    QTest::addColumn<QString>("fromName");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<bool>("html");
    QTest::addColumn<QStringList>("body");
    QTest::addColumn<QByteArrayList>("rcpt");
    QTest::addColumn<QByteArrayList>("expectedHeaders"); // "Name: value" lines that must be present
    QTest::addColumn<QByteArrayList>("absentHeaders");   // names that must not appear
    QTest::addColumn<QByteArray>("expectedBody");

    const QStringList none;
    const QStringList text{"x"};
    QTest::newRow("display name kept in To, bare in RCPT")
        << QStringList{"Jane Doe <jane@example.com>", "SMTP:joe@example.com"} << none << none << "List Owner"
        << "Hi" << false << text << QByteArrayList{"RCPT TO:<jane@example.com>", "RCPT TO:<joe@example.com>"}
        << QByteArrayList{"To: Jane Doe <jane@example.com>,SMTP:joe@example.com"} << QByteArrayList{"CC"}
        << QByteArray("\r\nx\r\n");
    QTest::newRow("CC in header, BCC only in RCPT, order To CC BCC")
        << QStringList{"a@example.com"} << QStringList{"b@example.com", "Bee <c@example.com>"}
        << QStringList{"hidden@example.com"} << "List Owner"
        << "Hi" << false << text
        << QByteArrayList{"RCPT TO:<a@example.com>", "RCPT TO:<b@example.com>", "RCPT TO:<c@example.com>",
                          "RCPT TO:<hidden@example.com>"}
        << QByteArrayList{"To: a@example.com", "CC: b@example.com,Bee <c@example.com>"} << QByteArrayList{"BCC", "Bcc"}
        << QByteArray("\r\nx\r\n");
    QTest::newRow("only BCC recipients: no To header")
        << none << none << QStringList{"h1@example.com", "h2@example.com"} << "List Owner"
        << "Hi" << false << text << QByteArrayList{"RCPT TO:<h1@example.com>", "RCPT TO:<h2@example.com>"}
        << QByteArrayList{} << QByteArrayList{"To", "CC", "BCC"} << QByteArray("\r\nx\r\n");
    QTest::newRow("empty subject gives no Subject header")
        << QStringList{"a@example.com"} << none << none << "List Owner"
        << "" << false << text << QByteArrayList{"RCPT TO:<a@example.com>"} << QByteArrayList{}
        << QByteArrayList{"Subject"} << QByteArray("\r\nx\r\n");
    QTest::newRow("empty sender name") << QStringList{"a@example.com"} << none << none << ""
                                       << "Hi" << false << text << QByteArrayList{"RCPT TO:<a@example.com>"}
                                       << QByteArrayList{"From: <list@example.org>"} << QByteArrayList{}
                                       << QByteArray("\r\nx\r\n");
    QTest::newRow("dot-stuffing") << QStringList{"a@example.com"} << none << none << "List Owner"
                                  << "Hi" << false << QStringList{".", ".hidden", "a.b", "", "..", "end."}
                                  << QByteArrayList{"RCPT TO:<a@example.com>"} << QByteArrayList{} << QByteArrayList{}
                                  << QByteArray("\r\n..\r\n..hidden\r\na.b\r\n\r\n...\r\nend.\r\n");
    QTest::newRow("line break inside a body line starts a new, stuffed line")
        << QStringList{"a@example.com"} << none << none << "List Owner"
        << "Hi" << false << QStringList{"first\r\n.\r\nRSET", "a\nb\rc"} << QByteArrayList{"RCPT TO:<a@example.com>"}
        << QByteArrayList{} << QByteArrayList{} << QByteArray("\r\nfirst\r\n..\r\nRSET\r\na\r\nb\r\nc\r\n");
    QTest::newRow("html without attachments")
        << QStringList{"a@example.com"} << none << none << "List Owner"
        << "Hi" << true << QStringList{"<p>x</p>"} << QByteArrayList{"RCPT TO:<a@example.com>"}
        << QByteArrayList{"Content-Type: text/html; charset=us-ascii"} << QByteArrayList{"Content-Transfer-Encoding"}
        << QByteArray("\r\n<p>x</p>\r\n");
}

void TestSmtpExchange::headersAndRecipients() {
    QFETCH(QStringList, to);
    QFETCH(QStringList, cc);
    QFETCH(QStringList, bcc);
    QFETCH(QString, fromName);
    QFETCH(QString, subject);
    QFETCH(bool, html);
    QFETCH(QStringList, body);
    QFETCH(QByteArrayList, rcpt);
    QFETCH(QByteArrayList, expectedHeaders);
    QFETCH(QByteArrayList, absentHeaders);
    QFETCH(QByteArray, expectedBody);

    SmtpSession s;
    s.settings.SMTPName = fromName;
    QVERIFY(s.smtp->SMTPConnect());
    TPostMessage &m = s.smtp->message();
    m.ToAddress = to;
    m.ToCarbonCopy = cc;
    m.ToBlindCarbonCopy = bcc;
    m.Subject = subject;
    m.Body = body;
    QVERIFY(s.smtp->SendSMTPMail(html));

    const Transcript t = Transcript::of(s.server.received);
    QVERIFY(t.hasContent);
    QByteArrayList commands{"HELO client.test", "RSET", "MAIL FROM:<list@example.org>"};
    commands << rcpt << "DATA";
    QCOMPARE(t.commands, commands);
    for (const QByteArray &line : expectedHeaders) {
        QVERIFY2(t.header.contains(line), line.constData());
    }
    for (const QByteArray &name : absentHeaders) {
        QVERIFY2(!t.hasHeader(name), name.constData());
    }
    QCOMPARE(t.header.first().left(6), QByteArray("From: "));
    QCOMPARE(t.body, expectedBody);
}

// Continuation lines of every reply must be read whole; a line left unread would be taken as the reply to the
// next command.
void TestSmtpExchange::multiLineReplies_data() {
    QTest::addColumn<QByteArray>("greeting");
    QTest::addColumn<QByteArray>("helo");
    QTest::addColumn<QByteArray>("rset");
    QTest::newRow("one-line greeting, three-line HELO")
        << QByteArray("220 mx.test\r\n") << QByteArray("250-mx.test\r\n250-SIZE 1000\r\n250 HELP\r\n")
        << QByteArray("250 reset done\r\n");
    QTest::newRow("two-line greeting, two-line HELO")
        << QByteArray("220-mx.test welcomes you\r\n220 mx.test\r\n") << QByteArray("250-mx.test\r\n250 ok\r\n")
        << QByteArray("250 reset done\r\n");
    QTest::newRow("three-line reply to RSET, bare line feeds, code alone on the last line")
        << QByteArray("220 mx.test\n") << QByteArray("250 ok\r\n") << QByteArray("250-reset\n250-done\r\n250\r\n");
}

void TestSmtpExchange::multiLineReplies() {
    QFETCH(QByteArray, greeting);
    QFETCH(QByteArray, helo);
    QFETCH(QByteArray, rset);
    SmtpSession s;
    s.server.greeting = greeting;
    s.server.reply("HELO", helo);
    s.server.reply("RSET", rset);
    s.server.reply("DATA", "354 go ahead\r\n");
    s.server.reply(".", "250 queued as ABC123\r\n");
    QVERIFY(s.smtp->SMTPConnect());
    s.plainMessage();
    QVERIFY(s.smtp->SendSMTPMail(false));
    QCOMPARE(s.smtp->client().LastReply(), QByteArray("250 queued as ABC123"));
    QCOMPARE(s.server.commandCount.value("HELO"), 1);
    s.plainMessage();
    QVERIFY(s.smtp->SendSMTPMail(false));
    QCOMPARE(s.server.connections, 1);
}

// Refused commands: the message fails with the server's reply line, is reported once through the send-error
// handler, and the connection carries the next message, which starts with RSET.
void TestSmtpExchange::refusedCommands_data() {
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("expectedLastReply");
    QTest::addColumn<bool>("contentSent");
    // With no recipient taken the transaction is reset instead of sending DATA; RSET's reply is the last one.
    QTest::newRow("all recipients refused: RSET instead of DATA")
        << QByteArray("RCPT") << QByteArray("550 5.1.1 User unknown\r\n") << QByteArray("250 2.0.0 Ok") << false;
    QTest::newRow("sender refused") << QByteArray("MAIL") << QByteArray("553 5.7.1 Sender rejected\r\n")
                                    << QByteArray("553 5.7.1 Sender rejected") << false;
    QTest::newRow("RSET refused") << QByteArray("RSET") << QByteArray("421 4.3.2 Try later\r\n")
                                  << QByteArray("421 4.3.2 Try later") << false;
    QTest::newRow("message refused after the final dot")
        << QByteArray(".") << QByteArray("552 5.3.4 Message too big\r\n") << QByteArray("552 5.3.4 Message too big")
        << true;
}

void TestSmtpExchange::refusedCommands() {
    QFETCH(QByteArray, verb);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, expectedLastReply);
    QFETCH(bool, contentSent);
    SmtpSession s;
    s.server.reply(verb, reply);
    s.server.reply(verb, verb == "RCPT" ? "250 2.1.5 Ok\r\n" : verb == "." ? "250 queued\r\n" : "250 Ok\r\n");
    QVERIFY(s.smtp->SMTPConnect());
    s.plainMessage();
    QVERIFY(!s.smtp->SendSMTPMail(false));
    QCOMPARE(s.smtp->client().LastReply(), expectedLastReply);
    QCOMPARE(s.sendErrors, QStringList{"An error was encountered while sending your mail via SMTP!"});
    QCOMPARE(Transcript::of(s.server.received).hasContent, contentSent);
    QCOMPARE(s.server.commandCount.value("DATA"), verb == "RCPT" ? 0 : verb == "." ? 1 : 0);
    // A failed message keeps its recipients and leaves the connection open.
    QCOMPARE(s.smtp->message().ToAddress, QStringList{"member@example.com"});
    QVERIFY(s.smtp->client().Connected());

    const qsizetype before = s.server.received.size();
    QVERIFY(s.smtp->SendSMTPMail(false));
    QVERIFY(s.server.received.mid(before).startsWith("RSET\r\nMAIL FROM:<list@example.org>\r\n"));
    QCOMPARE(s.server.connections, 1);
}

void TestSmtpExchange::manyMessagesOneConnection() {
    SmtpSession s;
    QVERIFY(s.smtp->SMTPConnect());
    const int count = 300;
    for (int i = 0; i < count; ++i) {
        s.smtp->message().ToAddress = QStringList{QStringLiteral("m%1@example.com").arg(i)};
        s.smtp->message().Body = QStringList{QStringLiteral("message %1").arg(i)};
        QVERIFY(s.smtp->SendSMTPMail(false));
    }
    s.smtp->SMTPDisconnect();
    QCOMPARE(s.server.connections, 1);
    QCOMPARE(s.server.commandCount.value("RSET"), count);
    QCOMPARE(s.server.commandCount.value("."), count);
    QCOMPARE(s.server.commandCount.value("QUIT"), 1);
    QVERIFY(s.server.received.contains("RCPT TO:<m299@example.com>\r\n"));
}

// A host name is resolved (an IPv4 address preferred, as the server listens on 127.0.0.1 only).
void TestSmtpExchange::hostNameLookup() {
    SmtpSession s;
    s.settings.SMTPHost = QStringLiteral("localhost");
    QVERIFY(s.smtp->SMTPConnect());
    QCOMPARE(s.server.connections, 1);
    QTRY_COMPARE(s.server.received, QByteArray("HELO client.test\r\n"));
}

// The form of one reply line: code -1 stands for a line that is not a reply line at all.
void TestSmtpExchange::replyLineForm_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("last");
    QTest::newRow("ordinary") << QByteArray("250 2.0.0 Ok") << 250 << true;
    QTest::newRow("continuation") << QByteArray("250-SIZE") << 250 << false;
    QTest::newRow("code alone") << QByteArray("221") << 221 << true;
    QTest::newRow("code and dash alone") << QByteArray("250-") << 250 << false;
    QTest::newRow("four digits") << QByteArray("2500 ok") << -1 << true;
    QTest::newRow("text straight after the code") << QByteArray("250ok") << -1 << true;
    QTest::newRow("leading blank") << QByteArray(" 250 ok") << -1 << true;
    QTest::newRow("tab after the code") << QByteArray("250\tok") << -1 << true;
}

void TestSmtpExchange::replyLineForm() {
    QFETCH(QByteArray, line);
    QFETCH(int, code);
    QFETCH(bool, last);
    const std::optional<SMTPReplyLine> parsed = SMTPReplyLine::parse(line);
    QCOMPARE(parsed.has_value(), code >= 0);
    if (parsed) {
        QCOMPARE(parsed->code, code);
        QCOMPARE(parsed->last, last);
    }
}

QTEST_GUILESS_MAIN(TestSmtpExchange)
#include "tst_smtpexchange.moc"

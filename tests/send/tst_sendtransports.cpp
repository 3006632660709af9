// The transports of methods 0 to 2 through a stand-in submission program that records its arguments and
// input, the "Sent Items" and "Drafts" copies, the HTML question, the test messages (the desktop composer
// and the draft shown instead), the debug log lines of each transport, and the relay library's path with a
// stand-in library and without one.
#include "DnsResponder.h"
#include "SendJobFixture.h"
#include "SmtpSession.h"

#include "send/SMTPServerLibrary.h"

#include <QDirIterator>
#include <QTest>

using namespace corvane;

namespace {

// Writes an executable shell script `name` into `dir` that records its arguments (one per line) into
// args<N> and its input into input<N>, N counting the calls from 0.
QString recorder(const QTemporaryDir &dir, const QString &name) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        return {};
    }
    f.write("#!/bin/sh\nd=\"$(dirname \"$0\")/" + name.toUtf8() +
            ".calls\"\nmkdir -p \"$d\"\nn=$(ls \"$d\" | grep -c '^args')\nprintf '%s\\n' \"$@\" > \"$d/args.tmp\"\n"
            "cat > \"$d/input$n\"\nmv \"$d/args.tmp\" \"$d/args$n\"\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int filesUnder(const QString &dir) {
    int count = 0;
    for (QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        count += it.next().endsWith(QStringLiteral("/maildirfolder")) ? 0 : 1;
    }
    return count;
}

} // namespace

class TestSendTransports : public QObject {
    Q_OBJECT
    std::unique_ptr<SendJobFixture> f;
    std::unique_ptr<QTemporaryDir> dir;
    QString calls(const QString &program, int n, const char *what) const {
        return dir->filePath(program + QStringLiteral(".calls/") + QLatin1String(what) + QString::number(n));
    }
    QString store() const { return dir->filePath(QStringLiteral("Mail")); }

private slots:
    void init();
    void cleanup() {
        f->tearDown();
        f.reset();
        dir.reset();
    }
    void storeMethods_data();
    void storeMethods();
    void htmlQuestion_data();
    void htmlQuestion();
    void testMessages_data();
    void testMessages();
    void debugLogLines_data();
    void debugLogLines();
    void relayLibrary();
    void relayBadDomain_data();
    void relayBadDomain();
    void relayMissing();
};

void TestSendTransports::init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(store() + QStringLiteral("/new")));
    QDir().mkpath(store() + QStringLiteral("/cur"));
    QDir().mkpath(store() + QStringLiteral("/tmp"));
    f = std::make_unique<SendJobFixture>();
    f->setUp();
    f->settings.MailStore = store();
    f->settings.SubmitCommand = recorder(*dir, QStringLiteral("sendmail"));
    f->settings.SMTPEmail = QStringLiteral("owner@example.org");
    f->dlg->transports().setDisplayCommand(recorder(*dir, QStringLiteral("display")));
    f->dlg->transports().setComposerCommand(recorder(*dir, QStringLiteral("composer")));
}

// Rows: method, recipients per message, and per submission the arguments after "--"; the text the first
// message must hold and the phrase of the completion message.
void TestSendTransports::storeMethods_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<int>("sendCount");
    QTest::addColumn<QList<QStringList>>("submissions");
    QTest::addColumn<QString>("phrase");
    QTest::newRow("method 1, one per member")
        << 1 << 1
        << QList<QStringList>{{"boss@example.org", "m01@example.com", "cc@example.org"},
                              {"boss@example.org", "m02@example.com", "cc@example.org"},
                              {"boss@example.org", "m03@example.com", "cc@example.org"}}
        << TdlgSendMail::methodPhrase(1);
    QTest::newRow("method 2, hidden batches of 2")
        << 2 << 2
        << QList<QStringList>{{"boss@example.org", "cc@example.org", "m01@example.com", "m02@example.com"},
                              {"boss@example.org", "cc@example.org", "m03@example.com"}}
        << TdlgSendMail::methodPhrase(2);
    QTest::newRow("method 0, one per member")
        << 0 << 1
        << QList<QStringList>{{"boss@example.org", "m01@example.com", "cc@example.org"},
                              {"boss@example.org", "m02@example.com", "cc@example.org"},
                              {"boss@example.org", "m03@example.com", "cc@example.org"}}
        << TdlgSendMail::methodPhrase(0);
}

void TestSendTransports::storeMethods() {
    QFETCH(int, method);
    QFETCH(int, sendCount);
    QFETCH(QList<QStringList>, submissions);
    QFETCH(QString, phrase);
    f->members(3);
    // Method 2 goes without a list address, the others carry the list headers.
    f->settings.ListAddress = method == 2 ? QString() : QStringLiteral("news@example.org");
    f->settings.EmailMethod = method;
    f->settings.SendCount = sendCount;
    f->dlg->addRecip().addTo(QStringLiteral("boss@example.org"));
    f->dlg->addRecip().addCC(QStringLiteral("cc@example.org"));
    const QString attachment = dir->filePath(QStringLiteral("notes.txt"));
    QFile a(attachment);
    QVERIFY(a.open(QIODevice::WriteOnly));
    a.write("attached notes\n");
    a.close();
    f->dlg->draft().attachments << attachment;
    f->message(QStringLiteral("Store"),
               sendCount == 1 ? QStringLiteral("Hello %FULL_NAME%") : QStringLiteral("Hello all"));
    QVERIFY(f->dlg->Button2Click());
    for (int i = 0; i < submissions.size(); ++i) {
        QCOMPARE(QString::fromUtf8(readAll(calls(QStringLiteral("sendmail"), i, "args"))).split(QLatin1Char('\n')),
                 QStringList{"--"} + submissions[i] + QStringList{""});
        const QByteArray input = readAll(calls(QStringLiteral("sendmail"), i, "input"));
        QVERIFY(input.contains("Subject: Store"));
        QVERIFY(input.contains("notes.txt"));
        QVERIFY2(!input.contains("m0") || sendCount == 1, "hidden recipients in the header");
        QCOMPARE(input.contains("\nList-Id: <news.example.org>\nList-Unsubscribe: "
                                "<mailto:news@example.org?subject=unsubscribe>\nPrecedence: list\n"),
                 method != 2);
        QCOMPARE(input.contains("List-"), method != 2);
        if (sendCount == 1) {
            QVERIFY(input.contains("Hello Name 0" + QByteArray::number(i + 1)));
        }
    }
    QVERIFY(!QFile::exists(calls(QStringLiteral("sendmail"), static_cast<int>(submissions.size()), "args")));
    QCOMPARE(filesUnder(store() + QStringLiteral("/.Sent Items")), submissions.size());
    QCOMPARE(f->dlg->sendLog().lines().count(QStringLiteral("SEND OK")), submissions.size());
    QCOMPARE(f->prompt().texts().last(),
             QStringLiteral("Your e-mails to 3 recipients have been sent ") + phrase + QLatin1Char('.'));
}

void TestSendTransports::htmlQuestion_data() {
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("methodAfter");
    QTest::addColumn<int>("submissions");
    QTest::newRow("OK switches to method 2 for good") << true << 2 << 2;
    QTest::newRow("Cancel sends nothing and cancels the job") << false << 0 << 0;
}

void TestSendTransports::htmlQuestion() {
    QFETCH(bool, accept);
    QFETCH(int, methodAfter);
    QFETCH(int, submissions);
    f->members(2);
    f->settings.EmailMethod = 0;
    f->settings.SendCount = 1;
    f->dlg->draft().html = true;
    f->message(QStringLiteral("Html"), QStringLiteral("<p>Hello %FULL_NAME%</p>"));
    f->prompt().answer(accept ? UserPrompt::Ok : UserPrompt::Cancel);
    QVERIFY(f->dlg->Button2Click());
    QCOMPARE(f->prompt().texts().count(MailTransports::kHtmlQuestion), 1);
    QCOMPARE(f->settings.EmailMethod, methodAfter);
    QCOMPARE(filesUnder(dir->filePath(QStringLiteral("sendmail.calls"))), submissions * 2);
    if (accept) {
        QVERIFY(readAll(calls(QStringLiteral("sendmail"), 1, "input")).contains("text/html"));
    } else {
        QCOMPARE(f->dlg->sendLog().lines().mid(1, 2),
                 QStringList({"Not sent, cancelled: m01@example.com", "Not sent, cancelled: m02@example.com"}));
    }
}

// Rows: method, the composer command (empty keeps the recorder), and which program shows the test.
void TestSendTransports::testMessages_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("composerMissing");
    QTest::addColumn<QString>("shownBy");
    QTest::newRow("method 0: the desktop composer") << 0 << false << "composer";
    QTest::newRow("method 0 without a composer: the draft is shown") << 0 << true << "display";
    QTest::newRow("method 1: the draft is shown") << 1 << false << "display";
    QTest::newRow("method 2: the draft is shown") << 2 << false << "display";
}

void TestSendTransports::testMessages() {
    QFETCH(int, method);
    QFETCH(bool, composerMissing);
    QFETCH(QString, shownBy);
    f->settings.EmailMethod = method;
    f->settings.SendCount = 1;
    if (composerMissing) {
        f->dlg->transports().setComposerCommand(dir->filePath(QStringLiteral("no-such-composer")));
    }
    f->dlg->addRecip().addTo(QStringLiteral("boss@example.org"));
    f->dlg->addRecip().addCC(QStringLiteral("cc@example.org"));
    f->message(QStringLiteral("Trial"), QStringLiteral("Hi %FULL_NAME%"));
    f->dlg->SendTestClick();
    const QString args = calls(shownBy, 0, "args");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(args), 5000);
    const QStringList shown = QString::fromUtf8(readAll(args)).split(QLatin1Char('\n'));
    if (shownBy == QLatin1String("composer")) {
        QCOMPARE(shown, QStringList({"--utf8", "--subject", "Trial", "--body", "Hi Test_Name\r", "", "--cc",
                                     "cc@example.org", "boss@example.org", ""}));
    } else {
        QVERIFY(shown.first().endsWith(QStringLiteral(".eml")));
        QCOMPARE(filesUnder(store() + QStringLiteral("/.Drafts")), 1);
    }
    QVERIFY(!QFile::exists(calls(QStringLiteral("sendmail"), 0, "args")));
    QCOMPARE(f->dlg->addRecip().lbTo(), QStringList{QStringLiteral("boss@example.org")});
}

// Rows: method and debug mode, with one To, no CC and one hidden recipient; the log lines of one message.
void TestSendTransports::debugLogLines_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("debug");
    QTest::addColumn<QStringList>("lines");
    const QStringList each{"", "",     "Sending Message:",   "", "To:",    "boss@example.org",
                           "", "BCC:", "hidden@example.com", "", "SEND OK"};
    QTest::newRow("method 1, debug") << 1 << true << each;
    QTest::newRow("method 0, debug") << 0 << true << each;
    QTest::newRow("method 2, not debug") << 2 << false << QStringList{"", "SEND OK"};
    QTest::newRow("method 3, debug: a title per list")
        << 3 << true << QStringList{"", "",     "Sending Message:",   "", "To:",    "boss@example.org",
                                    "", "BCC:", "hidden@example.com", "", "SEND OK"};
    QTest::newRow("method 3, not debug") << 3 << false << QStringList{"", "SEND OK"};
}

void TestSendTransports::debugLogLines() {
    QFETCH(int, method);
    QFETCH(bool, debug);
    QFETCH(QStringList, lines);
    SmtpSession smtp;
    f->settings.EmailMethod = method;
    smtp.settings = f->settings;
    smtp.settings.SMTPPort = smtp.server.port();
    SendDraft draft;
    draft.subject = QStringLiteral("Log");
    draft.body = QStringLiteral("Body");
    TdlgAddRecip recipients;
    recipients.addTo(QStringLiteral("boss@example.org"));
    SendLog log;
    MailTransports transports(f->settings, f->prompt(), draft, recipients, log);
    transports.setDebugMode(debug);
    transports.setConnection(smtp.smtp.get());
    transports.lbBCC << QStringLiteral("hidden@example.com");
    if (method == 3) {
        QVERIFY(smtp.smtp->SMTPConnect());
    }
    QVERIFY(transports.SendMail(QString(), QString(), QString()));
    QCOMPARE(log.lines(), lines);
    QVERIFY(transports.lbBCC.isEmpty());
}

void TestSendTransports::relayLibrary() {
    QVERIFY(QFile::copy(QStringLiteral(CORVANE_RELAY_STANDIN),
                        AppPaths::applicationDirectory() + SMTPServerLibrary::fileName()));
    const QString relayLog = dir->filePath(QStringLiteral("relay.log"));
    qputenv("CORVANE_RELAY_LOG", relayLog.toUtf8());
    f->member(QStringLiteral("bad4@nowhere.test"));
    f->member(QStringLiteral("fail@example.com"));
    f->member(QStringLiteral("ok@example.com"), QStringLiteral("news"), QStringLiteral("Oka"), QStringLiteral("O"));
    f->settings.EmailMethod = 4;
    f->settings.SendCount = 500;
    f->settings.DNSHost = QStringLiteral("127.0.0.1");
    f->settings.DNSTimeOut = 70000;
    f->settings.DefaultToAddress = QStringLiteral("never@example.org");
    QStringList bounces;
    f->dlg->transports().setBounceHandler([&](const QString &a) { bounces << a; });
    f->dlg->addDefaultToAddress();
    f->dlg->FormShow(QString(), false);
    QVERIFY(f->dlg->relayLibrary().loaded());
    // The stand-in has no entry for header lines.
    QVERIFY(!f->dlg->relayLibrary().setHeaderLines({QStringLiteral("List-Id: <news.example.org>")}));
    QCOMPARE(f->settings.SendCount, 1);
    QVERIFY(f->prompt().texts().contains(TdlgSendMail::kRelayIndividual));
    QVERIFY(f->dlg->addRecip().lbTo().isEmpty());
    f->message(QStringLiteral("Relay"), QStringLiteral("Hi %SALUTATION%\nbye"));
    QVERIFY(f->dlg->Button2Click());
    const QStringList calls = QString::fromUtf8(readAll(relayLog)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(calls,
             QStringList({"127.0.0.1|65535|owner@example.org|List Owner|bad4@nowhere.test|Relay|Hi /bye/|plain||clear",
                          "127.0.0.1|65535|owner@example.org|List Owner|fail@example.com|Relay|Hi /bye/|plain||clear",
                          "127.0.0.1|65535|owner@example.org|List Owner|ok@example.com|Relay|Hi O/bye/|plain||clear"}));
    QCOMPARE(bounces, QStringList{QStringLiteral("bad4@nowhere.test")});
    QCOMPARE(f->errors.texts, QStringList{MailTransports::kRelayFailed + "no route to the recipient's domain"});
    QCOMPARE(f->dlg->sendLog().lines().mid(1, 12),
             QStringList({"To:", "bad4@nowhere.test", "", "SEND OK", "To:", "fail@example.com", "", "SEND FAILURE",
                          "To:", "ok@example.com", "", "SEND OK"}));
    QCOMPARE(f->prompt().texts().last(),
             QStringLiteral("Your e-mails to 3 recipients have been sent via the CVN SMTP Relay Server."));
    f->dlg.reset();
    QVERIFY(!f->prompt().texts().contains(SMTPServerLibrary::kNoLibrary));
}

// Rows: the zone of the DNS responder and DNSProcessBounce; with the real library, a domain that does not
// exist (4) or takes no mail (5) counts as sent, and a bounce is recorded only with DNSProcessBounce on.
void TestSendTransports::relayBadDomain_data() {
    QTest::addColumn<QStringList>("zone");
    QTest::addColumn<bool>("processBounce");
    QTest::newRow("no such domain, bounce recorded") << QStringList{} << true;
    QTest::newRow("null MX, bounce recorded") << QStringList{"example.net MX 0 ."} << true;
    QTest::newRow("no such domain, bounces off") << QStringList{} << false;
}

void TestSendTransports::relayBadDomain() {
    QFETCH(QStringList, zone);
    QFETCH(bool, processBounce);
    DnsResponder dns(zone);
    QVERIFY(dns.port != 0);
    qputenv("CORVANE_RELAY_DNS_PORT", QByteArray::number(dns.port));
    QVERIFY(QFile::copy(QStringLiteral(CORVANE_RELAY_DIR "/") + SMTPServerLibrary::fileName(),
                        AppPaths::applicationDirectory() + SMTPServerLibrary::fileName()));
    f->member(QStringLiteral("gone@example.net"));
    f->settings.EmailMethod = 4;
    f->settings.DNSHost = QStringLiteral("127.0.0.1");
    f->settings.DNSTimeOut = 3000;
    f->settings.DNSProcessBounce = processBounce;
    QStringList bounces;
    f->dlg->transports().setBounceHandler([&](const QString &a) { bounces << a; });
    f->dlg->FormShow(QString(), false);
    QVERIFY(f->dlg->relayLibrary().loaded());
    f->message(QStringLiteral("Relay"), QStringLiteral("Hello"));
    QVERIFY(f->dlg->Button2Click());
    QCOMPARE(f->dlg->sendLog().lines().mid(1, 4), QStringList({"To:", "gone@example.net", "", "SEND OK"}));
    QCOMPARE(bounces, processBounce ? QStringList{"gone@example.net"} : QStringList{});
    QVERIFY(f->errors.texts.isEmpty());
}

void TestSendTransports::relayMissing() {
    f->settings.EmailMethod = 4;
    f->settings.SendCount = 7;
    f->dlg->FormShow(QString(), false);
    QVERIFY(!f->dlg->relayLibrary().loaded());
    QCOMPARE(f->settings.EmailMethod, 0);
    QCOMPARE(f->settings.SendCount, 7);
    QCOMPARE(f->prompt().texts().mid(1), QStringList{SMTPServerLibrary::kLoadWarning});
}

QTEST_GUILESS_MAIN(TestSendTransports)
#include "tst_sendtransports.moc"

// The send job over SMTP against the scripted server: the exact bytes of personalised messages, hidden
// batches, the stagger countdown, cancelling in both modes, a failed recomputation, the test message,
// refused recipients, and the send log written as the job goes.
#include "SendJobFixture.h"

#include "send/MessageFiles.h"
#include "send/MessageMerge.h"

#include <QTest>

using namespace corvane;

class TestSendJob : public QObject {
    Q_OBJECT
    std::unique_ptr<SendJobFixture> f;
private slots:
    void init() {
        f = std::make_unique<SendJobFixture>();
        f->setUp();
    }
    void cleanup() {
        f->tearDown();
        f.reset();
    }
    void exactBytesOnePerMember();
    void batches_data();
    void batches();
    void stagger_data();
    void stagger();
    void cancel_data();
    void cancel();
    void failedRecomputationClosesConnection();
    void testMessage_data();
    void testMessage();
    void refusedRecipient_data();
    void refusedRecipient();
    void salutationCheck_data();
    void salutationCheck();
    void dialogLife();
};

void TestSendJob::exactBytesOnePerMember() {
    f->member(QStringLiteral("b@example.com"), QStringLiteral("news"), QStringLiteral("Bob Brown"),
              QStringLiteral("Bob"));
    f->member(QStringLiteral("a@example.com"), QStringLiteral("news"), QStringLiteral("Ann Smith"),
              QStringLiteral("Ann"));
    f->member(QStringLiteral("C@example.com"), QStringLiteral("news"), QString(), QString());
    f->settings.SendCount = 1;
    f->settings.Signature = QStringList{QStringLiteral("-- "), QStringLiteral("The list")};
    f->dlg->addRecip().addTo(QStringLiteral("boss@example.org"));
    f->dlg->addRecip().addCC(QStringLiteral("cc@example.org"));
    f->message(QStringLiteral("News"), QStringLiteral("Dear %SALUTATION%,\r\n.%FULL_NAME% <%EMAIL%>"));
    QFile old(f->logPath());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("an older job's log that is far longer than the new one will be, so that any rest would show\r\n");
    old.close();

    QVERIFY(f->dlg->Button2Click());

    auto message = [](const QByteArray &to, const QByteArray &body) {
        QByteArray rcpt;
        for (const QByteArray &address : to.split(',')) {
            rcpt += "RCPT TO:<" + address + ">\r\n";
        }
        return "RSET\r\nMAIL FROM:<list@example.org>\r\n" + rcpt +
               "RCPT TO:<cc@example.org>\r\n"
               "DATA\r\n"
               "From: List Owner<list@example.org>\r\n"
               "To: " +
               to +
               "\r\n"
               "CC: cc@example.org\r\n"
               "Subject: News\r\n"
               "X-Mailer: Corvane mailing-list manager\r\n"
               "Date: DATE\r\n"
               "Message-ID: ID\r\n"
               "Mime-Version: 1.0\r\n"
               "Content-Type: text/plain; charset=us-ascii\r\n"
               "\r\n\r\n" +
               body + "\r\n-- \r\nThe list\r\n.\r\n";
    };
    const QByteArray expected = "HELO client.test\r\n" +
                                message("a@example.com,boss@example.org", "Dear Ann,\r\n..Ann Smith <a@example.com>") +
                                message("b@example.com,boss@example.org", "Dear Bob,\r\n..Bob Brown <b@example.com>") +
                                message("boss@example.org,C@example.com", "Dear ,\r\n.. <C@example.com>") + "QUIT\r\n";
    QCOMPARE(f->received(), expected);

    const QStringList lines{QStringLiteral("Connecting to SMTP server"),
                            QStringLiteral("Commencing send to 3 recipients"),
                            QString(),
                            QStringLiteral("SEND OK"),
                            QString(),
                            QStringLiteral("SEND OK"),
                            QString(),
                            QStringLiteral("SEND OK"),
                            QString(),
                            QStringLiteral("Send to 3 recipients has been completed"),
                            QStringLiteral("Disconnecting from the SMTP server")};
    QCOMPARE(f->dlg->sendLog().lines(), lines);
    QCOMPARE(f->logFile(), (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    QCOMPARE(f->prompt().texts().last(),
             QStringLiteral("Your e-mails to 3 recipients have been sent via your ISP's SMTP server."));
    // The person's own To list is as it was before the job.
    QCOMPARE(f->dlg->addRecip().lbTo(), QStringList{QStringLiteral("boss@example.org")});
    QVERIFY(f->errors.texts.isEmpty());
}

// Rows: recipients per message, members (with one duplicate address in another category and letter case),
// and the hidden recipients of each message.
void TestSendJob::batches_data() {
    QTest::addColumn<int>("sendCount");
    QTest::addColumn<int>("memberCount");
    QTest::addColumn<QList<int>>("perMessage");
    QTest::newRow("3 per message, 7 recipients") << 3 << 7 << QList<int>{3, 3, 1};
    QTest::newRow("7 per message, 7 recipients") << 7 << 7 << QList<int>{7};
    QTest::newRow("500 per message, 7 recipients") << 500 << 7 << QList<int>{7};
    QTest::newRow("empty list") << 3 << 0 << QList<int>{};
}

void TestSendJob::batches() {
    QFETCH(int, sendCount);
    QFETCH(int, memberCount);
    QFETCH(QList<int>, perMessage);
    f->members(memberCount);
    if (memberCount > 0) {
        f->member(QStringLiteral("M01@EXAMPLE.COM"), QStringLiteral("other"));
    }
    f->settings.SendCount = sendCount;
    f->settings.DefaultToAddress = QStringLiteral("list@example.org");
    f->dlg->addDefaultToAddress();
    f->dlg->addRecip().addCC(QStringLiteral("cc@example.org"));
    f->message(QStringLiteral("Plain"), QStringLiteral("No fields here"));
    QVERIFY(f->dlg->Button2Click());

    const QList<QStringList> rcpt = f->rcptPerMessage();
    QCOMPARE(rcpt.size(), perMessage.size());
    QStringList hidden;
    for (qsizetype i = 0; i < rcpt.size(); ++i) {
        QCOMPARE(rcpt[i].size(), perMessage[i] + 2);
        QCOMPARE(rcpt[i].mid(0, 2), QStringList({"list@example.org", "cc@example.org"}));
        hidden << rcpt[i].mid(2);
    }
    QStringList all;
    for (int i = 1; i <= memberCount; ++i) {
        all << QStringLiteral("m%1@example.com").arg(i, 2, 10, QLatin1Char('0'));
    }
    QCOMPARE(hidden, all);
    QVERIFY(!f->server.received.contains("BCC"));
    QCOMPARE(f->server.received.count("\r\nTo: list@example.org\r\nCC: cc@example.org\r\n"), perMessage.size());
    QVERIFY(f->dlg->sendLog().lines().contains(QStringLiteral("Commencing send to %1 recipients").arg(memberCount)));
    QCOMPARE(f->dlg->sendLog().lines().count(QStringLiteral("SEND OK")), perMessage.size());
    QCOMPARE(f->prompt().texts().last(), QStringLiteral("Your e-mails to %1 recipients have been sent via your ISP's "
                                                        "SMTP server.")
                                             .arg(memberCount));
}

// Rows: the delay, the events the "Send Delay" dialog reports, the answer to the cancel question, and the
// dialogs opened, the events waited for and the messages sent for three members.
void TestSendJob::stagger_data() {
    using E = SendDelayPrompt::Event;
    QTest::addColumn<int>("delaySeconds");
    QTest::addColumn<QList<E>>("events");
    QTest::addColumn<bool>("confirmCancel");
    QTest::addColumn<int>("opened");
    QTest::addColumn<int>("waits");
    QTest::addColumn<int>("messages");
    QTest::newRow("2 s waited out: 3 ticks each") << 2 << QList<E>{} << false << 2 << 6 << 3;
    QTest::newRow("skip the first delay") << 2 << QList<E>{E::Skip} << false << 2 << 4 << 3;
    QTest::newRow("skip all delays") << 5 << QList<E>{E::Tick, E::SkipAll} << false << 1 << 2 << 3;
    QTest::newRow("cancel confirmed: the waiting message goes, no more")
        << 2 << QList<E>{E::Cancel} << true << 1 << 1 << 2;
    QTest::newRow("cancel declined") << 2 << QList<E>{E::Cancel} << false << 2 << 4 << 3;
}

void TestSendJob::stagger() {
    QFETCH(int, delaySeconds);
    QFETCH(QList<SendDelayPrompt::Event>, events);
    QFETCH(bool, confirmCancel);
    QFETCH(int, opened);
    QFETCH(int, waits);
    QFETCH(int, messages);
    f->members(3);
    f->settings.SendCount = 1;
    f->settings.StaggerDelay = {true, delaySeconds};
    f->message(QStringLiteral("Slow"), QStringLiteral("Hello %FULL_NAME%"));
    for (const auto e : events) {
        f->delay.events.enqueue(e);
    }
    if (events.contains(SendDelayPrompt::Event::Cancel)) {
        f->prompt().answer(confirmCancel ? UserPrompt::Yes : UserPrompt::No);
    }
    // Before the second message waits, the first one's lines are already on disk.
    QByteArray atFirstDelay;
    f->delay.onOpen = [&] {
        if (atFirstDelay.isEmpty()) {
            atFirstDelay = f->logFile();
        }
    };
    QVERIFY(f->dlg->Button2Click());
    QCOMPARE(f->delay.opened, opened);
    QCOMPARE(f->delay.waits, waits);
    QCOMPARE(f->server.commandCount.value("."), messages);
    QCOMPARE(atFirstDelay,
             QByteArray("Connecting to SMTP server\r\nCommencing send to 3 recipients\r\n\r\nSEND OK\r\n"));
    if (events.isEmpty()) {
        QCOMPARE(f->delay.shownRemaining, QList<int>({2, 1, 0, 2, 1, 0}));
    }
}

// Rows: recipients per message, the progress call at which the cancel is confirmed, the messages that go
// out, the members they reach and the members the log names as not sent.
void TestSendJob::cancel_data() {
    QTest::addColumn<int>("sendCount");
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<int>("messages");
    QTest::addColumn<QStringList>("notSent");
    QTest::newRow("one per member, cancel at the third") << 1 << 2 << 2 << QStringList{"m03@example.com"};
    QTest::newRow("one per member, cancel at once") << 1 << 0 << 0 << QStringList{"m01@example.com"};
    // Progress comes at the first row of every message: the cancel is noticed at row 4, gathered for the
    // second message, which never goes out.
    QTest::newRow("batches of 3, cancel at the second message") << 3 << 1 << 1 << QStringList{"m04@example.com"};
}

void TestSendJob::cancel() {
    QFETCH(int, sendCount);
    QFETCH(int, cancelAt);
    QFETCH(int, messages);
    QFETCH(QStringList, notSent);
    f->members(7);
    f->settings.SendCount = sendCount;
    f->message(QStringLiteral("Stop"), QStringLiteral("Body text"));
    f->dlg->recipients().btnrecalcClick(false);
    QVERIFY(!f->dlg->recipients().stale());
    f->prompt().cancelAfterProgressCalls = cancelAt;
    QVERIFY(f->dlg->Button2Click());
    QCOMPARE(f->server.commandCount.value("."), messages);
    for (const QString &address : notSent) {
        QVERIFY2(!f->server.received.contains(address.toLatin1()), qPrintable(address));
        QVERIFY(f->dlg->sendLog().lines().contains(QStringLiteral("Not sent, cancelled: ") + address));
    }
    const int reached = sendCount == 1 ? messages : messages * sendCount;
    QVERIFY(
        f->dlg->sendLog().lines().contains(QStringLiteral("Send to %1 recipients has been completed").arg(reached)));
    QCOMPARE(f->server.commandCount.value("QUIT"), 1);
    QVERIFY(f->dlg->addRecip().lbTo().isEmpty());
}

void TestSendJob::failedRecomputationClosesConnection() {
    f->members(2);
    f->message(QStringLiteral("Subject"), QStringLiteral("Body text"));
    f->db.dm->CloseDatabase();
    const qsizetype before = f->prompt().shown.size();
    QVERIFY(!f->dlg->Button2Click());
    QCOMPARE(f->prompt().texts().mid(before),
             QStringList({RecipientChoice::kCalculateError, TdlgSendMail::kNotGenerated}));
    QCOMPARE(f->server.commandCount.value("QUIT"), 1);
    QCOMPARE(f->server.commandCount.value("MAIL"), 0);
    QVERIFY(!f->dlg->connection().client().Connected());
    // The next attempt connects afresh.
    QVERIFY(!f->dlg->Button2Click());
    QCOMPARE(f->server.connections, 2);
}

void TestSendJob::testMessage_data() {
    QTest::addColumn<QStringList>("extraTo");
    QTest::addColumn<QString>("typed");
    QTest::newRow("no extra To") << QStringList{} << "tester@example.net";
    QTest::newRow("extra To on both sides") << QStringList{"a@example.org", "z@example.org"} << "tester@example.net";
    QTest::newRow("typed address already in To") << QStringList{"tester@example.net"} << "tester@example.net";
    QTest::newRow("input cancelled") << QStringList{"a@example.org"} << QString();
}

void TestSendJob::testMessage() {
    QFETCH(QStringList, extraTo);
    QFETCH(QString, typed);
    for (const QString &to : extraTo) {
        f->dlg->addRecip().addTo(to);
    }
    f->settings.SendCount = 1;
    f->message(QStringLiteral("Try"), QStringLiteral("Hi %FULL_NAME% at %EMAIL%"));
    f->prompt().answerText(typed);
    f->dlg->SendTestClick();
    QCOMPARE(f->dlg->addRecip().lbTo(), extraTo);
    QCOMPARE(f->server.commandCount.value("QUIT"), 1);
    if (typed.isNull()) {
        QCOMPARE(f->server.commandCount.value("MAIL"), 0);
        return;
    }
    QStringList expected = extraTo;
    expected << typed;
    expected.sort();
    QCOMPARE(f->rcptPerMessage(), QList<QStringList>{expected});
    QVERIFY(f->server.received.contains("Hi Test_Name at " + MailTransports::kTestAddress.toLatin1()));
    QCOMPARE(f->prompt().texts().last(), TdlgSendMail::kTestDone);
    QVERIFY(!QFile::exists(f->logPath()));
}

// Rows: recipients per message, and the log after the job. Member m02 is refused at RCPT.
void TestSendJob::refusedRecipient_data() {
    QTest::addColumn<int>("sendCount");
    QTest::addColumn<int>("dataCommands");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<QStringList>("resultLines");
    QTest::newRow("one per member: that member's message fails, nobody gets it")
        << 1 << 2 << QStringList{"An error was encountered while sending your mail via SMTP!", "SMTP Sendmail failed"}
        << QStringList{"SEND OK", "SEND FAILURE",
                       "Refused by the SMTP server: m02@example.com (550 5.1.1 No such user)", "SEND OK"};
    QTest::newRow("batch: sent, the refused member named")
        << 3 << 1 << QStringList{}
        << QStringList{"SEND OK", "Refused by the SMTP server: m02@example.com (550 5.1.1 No such user)"};
}

void TestSendJob::refusedRecipient() {
    QFETCH(int, sendCount);
    QFETCH(int, dataCommands);
    QFETCH(QStringList, errors);
    QFETCH(QStringList, resultLines);
    f->members(3);
    f->settings.SendCount = sendCount;
    f->dlg->addRecip().addTo(QStringLiteral("boss@example.org"));
    f->message(QStringLiteral("Refused"), QStringLiteral("Body text"));
    // RCPT order: boss first (the To list is sorted), then the member or the hidden members.
    const QList<QByteArray> replies =
        sendCount == 1 ? QList<QByteArray>{"250 ok", "250 ok", "250 ok", "550 5.1.1 No such user", "250 ok"}
                       : QList<QByteArray>{"250 ok", "250 ok", "550 5.1.1 No such user", "250 ok"};
    for (const QByteArray &r : replies) {
        f->server.reply("RCPT", r + "\r\n");
    }
    QVERIFY(f->dlg->Button2Click());
    QCOMPARE(f->server.commandCount.value("DATA"), dataCommands);
    QCOMPARE(f->errors.texts, errors);
    QStringList results;
    for (const QString &line : f->dlg->sendLog().lines()) {
        if (line.startsWith(QStringLiteral("SEND")) || line.startsWith(QStringLiteral("Refused"))) {
            results << line;
        }
    }
    QCOMPARE(results, resultLines);
}

// Rows: recipients per message, the body, the answer to the question (NoButton: no question), and the
// outcome, the recipients per message afterwards and whether the list became stale.
void TestSendJob::salutationCheck_data() {
    QTest::addColumn<int>("sendCount");
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("goAhead");
    QTest::addColumn<int>("sendCountAfter");
    QTest::addColumn<bool>("staleAfter");
    QTest::newRow("one per member, field: no question")
        << 1 << "Hi %DATE%" << int(UserPrompt::NoButton) << true << 1 << true;
    QTest::newRow("batches, no field: no question")
        << 50 << "Hi all" << int(UserPrompt::NoButton) << true << 50 << false;
    QTest::newRow("batches, field, Yes: one per member")
        << 50 << "Hi %EMAIL%" << int(UserPrompt::Yes) << true << 1 << true;
    QTest::newRow("batches, field, No: stop") << 50 << "Hi %SALUTATION%" << int(UserPrompt::No) << false << 50 << true;
    QTest::newRow("field texts are case-sensitive")
        << 50 << "Hi %email%" << int(UserPrompt::NoButton) << true << 50 << false;
}

void TestSendJob::salutationCheck() {
    QFETCH(int, sendCount);
    QFETCH(QString, body);
    QFETCH(int, answer);
    QFETCH(bool, goAhead);
    QFETCH(int, sendCountAfter);
    QFETCH(bool, staleAfter);
    f->settings.SendCount = sendCount;
    f->dlg->recipients().btnrecalcClick(false);
    f->dlg->draft().body = body;
    if (answer != UserPrompt::NoButton) {
        f->prompt().answer(UserPrompt::Button(answer));
    }
    const qsizetype before = f->prompt().shown.size();
    QCOMPARE(f->dlg->GetSalutationCheck(true), goAhead);
    QCOMPARE(f->prompt().shown.size() - before, answer == UserPrompt::NoButton ? 0 : 1);
    QCOMPARE(f->settings.SendCount, sendCountAfter);
    QCOMPARE(f->dlg->recipients().stale(), staleAfter);
    QVERIFY(f->prompt().allAnswersUsed());
}

// Opening, showing and closing the dialog: the never-chosen method notice, the default To address, the main
// window's include filter taken over, the signature placed, the HTML flag in and out.
void TestSendJob::dialogLife() {
    f->settings.EmailMethod = -1;
    f->prompt().answer(UserPrompt::Cancel);
    QVERIFY(!TdlgSendMail::btnsendClick(f->settings, f->prompt()));
    QCOMPARE(f->settings.EmailMethod, -1);
    f->prompt().answer(UserPrompt::Ok);
    QVERIFY(TdlgSendMail::btnsendClick(f->settings, f->prompt()));
    QCOMPARE(f->settings.EmailMethod, 0);
    QVERIFY(TdlgSendMail::btnsendClick(f->settings, f->prompt()));

    f->members(3);
    f->member(QStringLiteral("s@example.com"), QStringLiteral("sport"));
    f->settings.DefaultToAddress = QStringLiteral("list@example.org");
    f->settings.AddSignaturePrior.checked = true;
    f->settings.Signature = QStringList{QStringLiteral("-- "), QStringLiteral("Sig")};
    f->settings.chkhtmlchecked = true;
    f->dlg->addDefaultToAddress();
    QCOMPARE(f->dlg->addRecip().lbTo(), QStringList{QStringLiteral("list@example.org")});
    f->dlg->FormShow(QStringLiteral("spo"), true);
    QCOMPARE(f->dlg->recipients().choice(), RecipientChoice::Choice::Filter);
    QCOMPARE(f->dlg->recipients().lblcount(), QStringLiteral("  1 Records"));
    QCOMPARE(f->dlg->draft().body, QStringLiteral("\r\n-- \r\nSig"));
    QVERIFY(f->dlg->draft().html);
    QCOMPARE(f->dlg->draft().bodyTabCaption(), QStringLiteral("HTML Source"));
    f->dlg->draft().html = false;
    f->dlg->previewFile = MessageFiles::writePreview(QString(), QStringLiteral("<p>x</p>"));
    const QString preview = f->dlg->previewFile;
    f->dlg->FormClose();
    QVERIFY(!QFile::exists(preview));
    QVERIFY(!f->db.table().filtered());
    QVERIFY(!f->settings.chkhtmlchecked);

    f->prompt().answer(UserPrompt::No);
    QVERIFY(!f->dlg->FormKeyPressEscape());
    f->dlg->BitBtn1Click();
    QVERIFY(f->prompt().cancelRequested());
    QCOMPARE(f->prompt().beeps, 1);
}

QTEST_GUILESS_MAIN(TestSendJob)
#include "tst_sendjob.moc"

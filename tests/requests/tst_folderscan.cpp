// The mailing-list folder scan over a Maildir: mixed folders with "Mark messages as read" and "Delete
// messages", the cap on examined messages, a cancel in the middle, the folder questions, a failing message,
// the sender-retrieval methods with their prompt, and the hand-over of members' posts.
#include "ScanFixture.h"
#include "requests/MemberPostHandler.h"

#include <QDir>

using namespace corvane;
using namespace corvane::test;

namespace {

class FakeMembers : public MemberPostHandler {
public:
    bool IsUserEmail(const CurrentMessage &message) const override {
        asked.append(message.subject);
        return message.subject.startsWith(QLatin1String("[News]"));
    }
    bool forwardmailmessage(MailItem &, const CurrentMessage &message) override {
        forwarded.append(message.subject);
        return succeed;
    }
    bool forwardingSwitchedOff() const override { return switchedOff; }
    mutable QStringList asked;
    QStringList forwarded;
    bool succeed = true;
    bool switchedOff = false;
};

QByteArray report(const QString &address) {
    return ScanFixture::message(QStringLiteral("MAILER-DAEMON@mx.example.com"), QStringLiteral("Undeliverable: News"),
                                QStringLiteral("Delivery to ") + address + QStringLiteral(" failed."));
}

QByteArray request(const QString &from, const QString &subject) {
    return ScanFixture::message(from, subject, QString());
}

} // namespace

class TestFolderScan : public QObject {
    Q_OBJECT

private slots:
    void mixedFolder_data();
    void mixedFolder();
    void chokeDownload_data();
    void chokeDownload();
    void cancelStillProcessesBounces();
    void folderQuestions_data();
    void folderQuestions();
    void failingMessageEndsTheScan();
    void senderMethods_data();
    void senderMethods();
    void senderPrompt_data();
    void senderPrompt();
    void promptText_data();
    void promptText();
    void memberPosts_data();
    void memberPosts();
};

void TestFolderScan::mixedFolder_data() {
    QTest::addColumn<bool>("markRead");
    QTest::addColumn<int>("examined");
    QTest::addColumn<int>("handled");
    QTest::addColumn<int>("filesLeft");
    QTest::addColumn<int>("unreadLeft");
    QTest::addColumn<QStringList>("rows");
    // "Mark messages as read": the message already read is skipped; handled ones stay, read.
    QTest::newRow("mark read") << true << 4 << 3 << 5 << 1
                               << QStringList{"ann@example.com|Default|0", "eve@example.com|A|1"};
    // "Delete messages": every message is examined; handled ones move to "Deleted Items".
    QTest::newRow("delete") << false << 5 << 4 << 1 << 1
                            << QStringList{"ann@example.com|Default|0", "dave@example.com|Default|0",
                                           "eve@example.com|A|1"};
}

void TestFolderScan::mixedFolder() {
    QFETCH(bool, markRead);
    ScanFixture f;
    f.settings.FailedMail = true;
    f.settings.ProcessAsUnread = {markRead, !markRead};
    f.addEntries({QStringLiteral("carl@example.com|A"), QStringLiteral("eve@example.com|A")});
    f.deliver(request(QStringLiteral("dave@example.com"), QStringLiteral("subscribe")), QStringLiteral(".MailingList"),
              QStringLiteral("cur"));
    f.deliver(request(QStringLiteral("ann@example.com"), QStringLiteral("subscribe")));
    f.deliver(request(QStringLiteral("bob@example.com"), QStringLiteral("Hello everybody")));
    f.deliver(request(QStringLiteral("carl@example.com"), QStringLiteral("unsubscribe")));
    f.deliver(report(QStringLiteral("eve@example.com")));

    const TfrmExtractentries::Summary summary = f.scan();
    QCOMPARE(summary.result, TfrmExtractentries::Result::Completed);
    QTEST(summary.examined, "examined");
    QTEST(summary.handled, "handled");
    QCOMPARE(summary.bouncesProcessed, 1);
    QTEST(f.filesLeft(), "filesLeft");
    QTEST(f.unreadLeft(), "unreadLeft");
    QTEST(f.rows(), "rows");
    QCOMPARE(f.filesLeft(QStringLiteral(".Deleted Items")), markRead ? 0 : 4);
    QCOMPARE(f.prompt.progress.first(), QStringLiteral("0|Accessing Outlook Entries.."));
    QCOMPARE(f.prompt.progress.last(), QStringLiteral("100|Accessing Outlook Entries.."));
    QVERIFY(!f.prompt.progressVisible);
    QCOMPARE(f.prompt.busyDepth, 0);

    // The message that is no request is examined again by the next scan, and nothing else is.
    const TfrmExtractentries::Summary again = f.scan();
    QCOMPARE(again.examined, markRead ? 1 : 1);
    QCOMPARE(again.handled, 0);
}

void TestFolderScan::chokeDownload_data() {
    QTest::addColumn<int>("choke");
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("examined");
    QTest::newRow("1 does not cap") << 1 << 25 << 25;
    QTest::newRow("50 of 60") << 50 << 60 << 50;
    QTest::newRow("cap above the count") << 100 << 30 << 30;
}

void TestFolderScan::chokeDownload() {
    QFETCH(int, choke);
    QFETCH(int, messages);
    QFETCH(int, examined);
    ScanFixture f;
    f.settings.ChokeDownload = choke;
    for (int i = 1; i <= messages; ++i)
        f.deliver(request(QStringLiteral("u%1@example.com").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("join")));
    const TfrmExtractentries::Summary summary = f.scan();
    QCOMPARE(summary.examined, examined);
    // Items 1 to the cap are the oldest deliveries.
    QStringList expected;
    for (int i = 1; i <= examined; ++i)
        expected.append(QStringLiteral("u%1@example.com|Default|0").arg(i, 3, 10, QLatin1Char('0')));
    QCOMPARE(f.rows(), expected);
    // The day's counts are kept over the walk and all of them reach the statistics.
    QCOMPARE(f.stats(), QStringLiteral("%1|0|0").arg(examined));
}

void TestFolderScan::cancelStillProcessesBounces() {
    ScanFixture f;
    f.settings.FailedMail = true;
    for (int i = 1; i <= 45; ++i) {
        f.addEntries({QStringLiteral("b%1@example.com|A").arg(i, 2, 10, QLatin1Char('0'))});
        f.deliver(report(QStringLiteral("b%1@example.com").arg(i, 2, 10, QLatin1Char('0'))));
    }
    // The flag goes up while items 45 to 41 are read; the walk sees it at item 40.
    f.prompt.cancelAfterProgressCalls = 3;
    const TfrmExtractentries::Summary summary = f.scan();
    QCOMPARE(summary.result, TfrmExtractentries::Result::Cancelled);
    QCOMPARE(summary.examined, 5);
    QCOMPARE(summary.bouncesProcessed, 5);
    QCOMPARE(f.filesLeft(), 40);
    const QStringList rows = f.rows();
    QCOMPARE(rows.filter(QStringLiteral("|A|1")).size(), 5);
    QCOMPARE(rows.at(40), QStringLiteral("b41@example.com|A|1"));
    QCOMPARE(rows.at(39), QStringLiteral("b40@example.com|A|0"));
    QCOMPARE(f.stats(), QStringLiteral("0|0|5"));
}

void TestFolderScan::folderQuestions_data() {
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("created");
    QTest::addColumn<int>("result");
    const QString ask = QStringLiteral("The folder, Requests, cannot be found.  Would you like to create it?");
    QTest::newRow("create") << "<Root>"
                            << "Requests" << int(UserPrompt::Yes) << QStringList{ask} << true
                            << int(TfrmExtractentries::Result::Completed);
    QTest::newRow("decline") << ""
                             << "Requests" << int(UserPrompt::No) << QStringList{ask} << false
                             << int(TfrmExtractentries::Result::FolderUnreachable);
    QTest::newRow("cannot create")
        << "<Root>"
        << "Bad/Name" << int(UserPrompt::Yes)
        << QStringList{"The folder, Bad/Name, cannot be found.  Would you like to create it?",
                       "The folder, Bad/Name, could not be created!"}
        << false << int(TfrmExtractentries::Result::FolderUnreachable);
    QTest::newRow("no such root") << "Elsewhere"
                                  << "Requests" << int(UserPrompt::NoButton)
                                  << QStringList{"Error accessing your Outlook Root Folder.  You may need to amend "
                                                 "your settings under 'File|Options, Advanced...'"}
                                  << false << int(TfrmExtractentries::Result::FolderUnreachable);
}

void TestFolderScan::folderQuestions() {
    QFETCH(QString, root);
    QFETCH(QString, folder);
    QFETCH(int, answer);
    ScanFixture f;
    f.settings.RootFolder = root;
    f.settings.MailingListGroup = folder;
    if (answer != UserPrompt::NoButton)
        f.prompt.answer(UserPrompt::Button(answer));
    const TfrmExtractentries::Summary summary = f.scan();
    QTEST(f.prompt.texts(), "texts");
    QTEST(QFileInfo::exists(f.mail.root() + QStringLiteral("/.") + folder + QStringLiteral("/new")), "created");
    QTEST(int(summary.result), "result");
    QCOMPARE(summary.examined, 0);
    QVERIFY(f.prompt.allAnswersUsed());
}

void TestFolderScan::failingMessageEndsTheScan() {
    ScanFixture f;
    f.settings.FailedMail = true;
    f.addEntries({QStringLiteral("gone@example.com|A")});
    f.deliver(request(QStringLiteral("first@example.com"), QStringLiteral("subscribe")));
    f.deliver(QByteArray("\x01\x02 not a message\r\n"));
    f.deliver(report(QStringLiteral("gone@example.com")));
    f.deliver(request(QStringLiteral("last@example.com"), QStringLiteral("subscribe")));
    const TfrmExtractentries::Summary summary = f.scan();
    QCOMPARE(summary.result, TfrmExtractentries::Result::Failed);
    QCOMPARE(summary.examined, 3);
    QCOMPARE(summary.bouncesProcessed, 0);
    QCOMPARE(f.prompt.shown.size(), 1);
    QCOMPARE(f.prompt.shown.first().kind, UserPrompt::Kind::Error);
    QCOMPARE(f.prompt.shown.first().text, QStringLiteral("The file is not a mail message."));
    // What was done before the failure stays done; the report's bounce is not counted.
    QCOMPARE(f.rows(), (QStringList{"gone@example.com|A|0", "last@example.com|Default|0"}));
    // The requests and reports handled before the failure are counted.
    QCOMPARE(f.stats(), QStringLiteral("1|0|1"));
    QVERIFY(!f.prompt.progressVisible);
}

void TestFolderScan::senderMethods_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("sender");
    QTest::addColumn<int>("prompts");

    const QString from = QStringLiteral("From: Ann Smith <ann@example.com>");
    const QString replyTo = QStringLiteral("Reply-To: Desk <desk@example.com>");
    QTest::newRow("0 name without address") << 0 << QStringList{from} << "" << 0;
    QTest::newRow("0 bare From") << 0 << QStringList{"From: ann@example.com"} << "ann@example.com" << 0;
    QTest::newRow("0 name holding an address")
        << 0 << QStringList{"From: \"ann@example.com\" <x@example.com>"} << "ann@example.com" << 0;
    QTest::newRow("1 reply") << 1 << QStringList{from} << "ann@example.com" << 0;
    QTest::newRow("1 without sender: two stages") << 1 << QStringList{} << "" << 1;
    QTest::newRow("2 reply goes to Reply-To") << 2 << QStringList{from, replyTo} << "desk@example.com" << 0;
    QTest::newRow("2 without sender") << 2 << QStringList{} << "" << 1;
    QTest::newRow("3 Reply-To") << 3 << QStringList{from, replyTo} << "desk@example.com" << 0;
    QTest::newRow("3 no Reply-To") << 3 << QStringList{from} << "" << 0;
    QTest::newRow("4 session") << 4 << QStringList{from} << "ann@example.com" << 0;
    QTest::newRow("4 without sender") << 4 << QStringList{} << "" << 1;
    QTest::newRow("5 sender property") << 5 << QStringList{from} << "ann@example.com" << 0;
}

void TestFolderScan::senderMethods() {
    QFETCH(int, method);
    QFETCH(QStringList, fields);
    QFETCH(QString, sender);
    QFETCH(int, prompts);
    for (const bool redemption : {true, false}) {
        ScanFixture f;
        f.settings.GetSenderAddressMethod = method;
        f.settings.UseRedemption = redemption;
        f.deliver(ScanFixture::message(QString(), QStringLiteral("subscribe x@example.com"), QString(), fields));
        QCOMPARE(f.scan().handled, 1);
        const QStringList row = f.rows(true).value(0).split(QLatin1Char('|'));
        QVERIFY2(row.value(3).endsWith(QStringLiteral(" by ") + sender), qPrintable(row.value(3)));
        QCOMPARE(f.asker.asked.size(), prompts);
    }
}

void TestFolderScan::senderPrompt_data() {
    QTest::addColumn<bool>("alwaysShow");
    QTest::addColumn<bool>("change");
    QTest::addColumn<bool>("keepShowing");
    QTest::addColumn<int>("prompts");
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("alwaysShowAfter");
    // Changing the method applies to the following messages at once: method 3 needs no reply object.
    QTest::newRow("change method") << true << true << true << 1 << 3 << true;
    QTest::newRow("keep method, stop asking") << true << false << false << 1 << 2 << false;
    QTest::newRow("keep method, keep asking") << true << false << true << 3 << 2 << true;
    QTest::newRow("prompt switched off") << false << true << true << 0 << 2 << false;
}

void TestFolderScan::senderPrompt() {
    QFETCH(bool, alwaysShow);
    ScanFixture f;
    f.settings.GetSenderAddressMethod = 2;
    f.settings.AlwaysShowSenderError = alwaysShow;
    QFETCH(bool, change);
    QFETCH(bool, keepShowing);
    f.asker.change = change;
    f.asker.keepShowing = keepShowing;
    for (int i = 0; i < 3; ++i)
        f.deliver(ScanFixture::message(QString(), QStringLiteral("hello"), QString()));
    QCOMPARE(f.scan().examined, 3);
    QTEST(int(f.asker.asked.size()), "prompts");
    QTEST(f.settings.GetSenderAddressMethod, "method");
    QTEST(f.settings.AlwaysShowSenderError, "alwaysShowAfter");
}

void TestFolderScan::promptText_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<bool>("unstable");
    QTest::addColumn<QString>("text");
    const QString start = QStringLiteral(
        "An error was encountered retrieving the sender address of an e-mail.\r\n\r\nThis is probably due to a "
        "malformed e-mail, however it may be because the ");
    QTest::newRow("unstable") << "ReplyRecipients"
                              << "MAPI retrieval" << true
                              << start + "ReplyRecipients Method is not supported on your system (see Advanced "
                                         "Options).\r\n\r\nIf this problem occurs with every message you should "
                                         "change to the MAPI retrieval method for retrieval of the sender address."
                                         "  NOTE: May be unstable!\r\n\r\n  Do you want to change to this method now?";
    QTest::newRow("no proposal") << "MAPI retrieval"
                                 << "" << false
                                 << start + "MAPI retrieval Method is not supported on your system (see Advanced "
                                            "Options).\r\n\r\nIf this problem occurs with every message you should "
                                            "disable retrieval of the sender address.  Do you want to change to this "
                                            "method now?";
}

void TestFolderScan::promptText() {
    QFETCH(QString, method);
    QFETCH(QString, proposed);
    QFETCH(bool, unstable);
    QTEST(SenderRetrieval::promptText(method, proposed, unstable), "text");
}

void TestFolderScan::memberPosts_data() {
    QTest::addColumn<bool>("requests");
    QTest::addColumn<bool>("succeed");
    QTest::addColumn<bool>("switchedOff");
    QTest::addColumn<int>("forwarded");
    QTest::addColumn<int>("handled");
    QTest::addColumn<int>("filesLeft");
    QTest::newRow("both jobs") << true << true << false << 1 << 1 << 1;
    QTest::newRow("forwarding fails: the post stays") << true << false << false << 0 << 1 << 2;
    QTest::newRow("forwarding switched off: all requests") << true << true << true << 0 << 1 << 2;
    QTest::newRow("members only") << false << true << false << 1 << 0 << 2;
}

void TestFolderScan::memberPosts() {
    QFETCH(bool, requests);
    ScanFixture f;
    FakeMembers members;
    QFETCH(bool, succeed);
    QFETCH(bool, switchedOff);
    members.succeed = succeed;
    members.switchedOff = switchedOff;
    f.settings.GetSenderAddressMethod = 5;
    f.settings.UserSendingFolder = QStringLiteral("MailingList");
    f.deliver(request(QStringLiteral("ann@example.com"), QStringLiteral("[News] join the party")));
    f.deliver(ScanFixture::message(QStringLiteral("ann@example.com"), QStringLiteral("[News] our copy"), QString(),
                                   {QStringLiteral("X-Corvane-List: News")}));
    f.deliver(request(QStringLiteral("bob@example.com"), QStringLiteral("subscribe")));
    const TfrmExtractentries::Summary summary = f.scan(requests, true, &members);
    QTEST(summary.forwarded, "forwarded");
    QTEST(summary.handled, "handled");
    QTEST(f.filesLeft(), "filesLeft");
    // Corvane's own copy is never offered as a member's post.
    QVERIFY(!members.asked.contains(QStringLiteral("[News] our copy")));
    QCOMPARE(members.forwarded.size(), switchedOff ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestFolderScan)
#include "tst_folderscan.moc"

// Request classification over real message files: each row writes one message into the mailing-list folder,
// scans it with "Delete messages", and checks whether it was handled, the list, the log and the statistics.
#include "ScanFixture.h"

#include <QRegularExpression>
#include <QTimeZone>

using namespace corvane;
using namespace corvane::test;

namespace {

const QString kReport = QStringLiteral(
    "--b1\r\nContent-Type: text/plain\r\n\r\nYour message to delivered@example.com and failed@example.com could not "
    "be delivered to every recipient.\r\nList address: list@example.com\r\n--b1\r\nContent-Type: "
    "message/delivery-status\r\n\r\nReporting-MTA: dns; mx.example.com\r\n\r\nFinal-Recipient: rfc822; "
    "failed@example.com\r\nAction: failed\r\nStatus: 5.1.1\r\n\r\nFinal-Recipient: rfc822; "
    "delayed@example.com\r\nAction: delayed\r\nStatus: 4.4.1\r\n--b1\r\nContent-Type: "
    "message/rfc822\r\n\r\nFrom: list@example.com\r\nTo: delivered@example.com, failed@example.com\r\nCc: "
    "cc@example.com\r\nSubject: News\r\n\r\nHello\r\n--b1--\r\n");

} // namespace

class TestRequestClassification : public QObject {
    Q_OBJECT

private slots:
    void classify_data();
    void classify();
    void commentsNameTheSentTimeAndSender();
};

void TestRequestClassification::classify_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QString>("stats");

    const QString ann = QStringLiteral("Ann Smith <ann@example.com>");
    const QStringList none;
    QTest::newRow("subject subscribe adds the sender")
        << none << none << ann << "subscribe"
        << "" << none << true << QStringList{"ann@example.com|Default|0"}
        << QStringList{"ADD ann@example.com Default -> Entered Successfully"} << "1|0|0";
    QTest::newRow("reply prefixes are cleaned")
        << none << none << ann << "Re: RE:  join Sports"
        << "" << none << true << QStringList{"ann@example.com|Sports|0"}
        << QStringList{"ADD ann@example.com Sports -> Entered Successfully"} << "1|0|0";
    QTest::newRow("mixed-case command word")
        << none << none << ann << "SuBsCrIbE"
        << "" << none << true << QStringList{"ann@example.com|Default|0"}
        << QStringList{"ADD ann@example.com Default -> Entered Successfully"} << "1|0|0";
    QTest::newRow("first body line searched")
        << none << none << ann << "hello"
        << "join News\r\nsecond" << none << true << QStringList{"ann@example.com|News|0"}
        << QStringList{"ADD ann@example.com News -> Entered Successfully"} << "1|0|0";
    QTest::newRow("second body line not searched")
        << none << none << ann << "hello"
        << "Hi there\r\njoin News" << none << false << none << none << "none";
    QTest::newRow("second body line with the whole e-mail searched")
        << QStringList{"allLines"} << none << ann << "hello"
        << "Hi there\r\njoin News" << none << true << QStringList{"ann@example.com|News|0"}
        << QStringList{"ADD ann@example.com News -> Entered Successfully"} << "1|0|0";
    QTest::newRow("command without address stops the search")
        << QStringList{"noFrom", "allLines"} << none << ann << "subscribe"
        << "subscribe bob@example.com" << none << false << none << none << "none";
    QTest::newRow("two addresses: the second is the category")
        << none << none << ann << "subscribe bob@example.com carl@example.com"
        << "" << none << true << QStringList{"bob@example.com|carl@example.com|0"}
        << QStringList{"ADD bob@example.com carl@example.com -> Entered Successfully"} << "1|0|0";
    QTest::newRow("skip words and joined category")
        << none << none << ann << "subscribe me to carl@example.org Sports News"
        << "" << none << true << QStringList{"carl@example.org|Sports News|0"}
        << QStringList{"ADD carl@example.org Sports News -> Entered Successfully"} << "1|0|0";
    QTest::newRow("unsubscribe alone removes every category")
        << QStringList{"multi"} << QStringList{"ann@example.com|A", "ann@example.com|B", "bob@example.com|A"} << ann
        << "unsubscribe"
        << "" << none << true << QStringList{"bob@example.com|A|0"}
        << QStringList{"REMOVE ann@example.com  -> Entry successfully deleted!"} << "0|1|0";
    QTest::newRow("change in two categories")
        << QStringList{"multi"} << QStringList{"old@example.com|A", "old@example.com|B"} << ann
        << "change old@example.com new@example.com"
        << "" << none << true << QStringList{"new@example.com|A|0", "new@example.com|B|0"}
        << QStringList{"Changed Email Address old@example.com to new@example.com",
                       "Changed Email Address old@example.com to new@example.com"}
        << "none";
    QTest::newRow("change to an invalid address is still handled")
        << none << QStringList{"old@example.com|A"} << ann << "change old@example.com new@bad..example"
        << "" << none << true << QStringList{"old@example.com|A|0"}
        << QStringList{"Changed Email Address old@example.com to new@bad..example -> Address not valid: "
                       "new@bad..example!"}
        << "none";
    QTest::newRow("no command") << none << none << ann << "Hello list"
                                << "How are you?" << none << false << none << none << "none";
    QTest::newRow("out of office") << QStringList{"ooo"} << none << ann << "Out of Office AutoReply: subscribe"
                                   << "" << none << true << none << none << "none";
    QTest::newRow("out of office before a failure text")
        << QStringList{"ooo", "failed"} << QStringList{"ann@example.com|A"} << ann
        << "Out of office autoreply: Undeliverable"
        << "ann@example.com" << none << true << QStringList{"ann@example.com|A|0"} << none << "none";
    QTest::newRow("out of office off: read as a command") << none << none << ann << "Out of Office AutoReply: subscribe"
                                                          << "" << none << false << none << none << "none";
    QTest::newRow("plain failure report counts every address")
        << QStringList{"failed"} << QStringList{"gone@example.com|A|8", "other@example.com|A|0"}
        << "MAILER-DAEMON@mx.example.com"
        << "Undeliverable: News"
        << "Delivery to gone@example.com failed.\r\n<other@example.com>; GONE@example.com" << none << true
        << QStringList{"gone@example.com|A|9", "other@example.com|A|1"}
        << QStringList{"Update Undeliverable gone@example.com -> Bounce count incremented!",
                       "Update Undeliverable other@example.com -> Bounce count incremented!"}
        << "0|0|1";
    QTest::newRow("failure texts off: not a request")
        << none << QStringList{"gone@example.com|A|8"} << "MAILER-DAEMON@mx.example.com"
        << "Undeliverable: News"
        << "gone@example.com" << none << false << QStringList{"gone@example.com|A|8"} << none << "none";
    QTest::newRow("delivery status report: only the failed recipient")
        << QStringList{"failed"}
        << QStringList{"failed@example.com|A", "delivered@example.com|A", "cc@example.com|A", "list@example.com|A"}
        << "MAILER-DAEMON@mx.example.com"
        << "Undelivered Mail Returned to Sender" << kReport
        << QStringList{"MIME-Version: 1.0",
                       "Content-Type: multipart/report; report-type=delivery-status; boundary=\"b1\""}
        << true
        << QStringList{"cc@example.com|A|0", "delivered@example.com|A|0", "failed@example.com|A|1",
                       "list@example.com|A|0"}
        << QStringList{"Update Undeliverable failed@example.com -> Bounce count incremented!"} << "0|0|1";
    QTest::newRow("delivery status report read as text when not precise")
        << QStringList{"failed", "imprecise"}
        << QStringList{"failed@example.com|A", "delivered@example.com|A", "cc@example.com|A"}
        << "MAILER-DAEMON@mx.example.com"
        << "Undelivered Mail Returned to Sender" << kReport
        << QStringList{"MIME-Version: 1.0",
                       "Content-Type: multipart/report; report-type=delivery-status; boundary=\"b1\""}
        << true << QStringList{"cc@example.com|A|0", "delivered@example.com|A|1", "failed@example.com|A|1"}
        << QStringList{"Update Undeliverable delivered@example.com -> Bounce count incremented!",
                       "Update Undeliverable failed@example.com -> Bounce count incremented!",
                       "Update Undeliverable list@example.com -> E-mail address not found!"}
        << "0|0|1";
    QTest::newRow("automatic reply finished with out-of-office on")
        << QStringList{"ooo"} << none << ann << "subscribe"
        << "" << QStringList{"Auto-Submitted: auto-replied"} << true << none << none << "none";
    QTest::newRow("automatic reply never a command")
        << none << none << ann << "subscribe"
        << "" << QStringList{"Auto-Submitted: Auto-Generated; owner-email=\"x@example.com\""} << false << none << none
        << "none";
    QTest::newRow("Auto-Submitted no is a person")
        << none << none << ann << "subscribe"
        << "" << QStringList{"Auto-Submitted: no"} << true << QStringList{"ann@example.com|Default|0"}
        << QStringList{"ADD ann@example.com Default -> Entered Successfully"} << "1|0|0";
    QTest::newRow("control characters never reach the category")
        << none << none << ann << "=?utf-8?q?subscribe_bob=40example.com_News=07=0D=0AX?="
        << "" << none << true << QStringList{"bob@example.com|News X|0"}
        << QStringList{"ADD bob@example.com News X -> Entered Successfully"} << "1|0|0";
}

void TestRequestClassification::classify() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, entries);
    QFETCH(QString, from);
    QFETCH(QString, subject);
    QFETCH(QString, body);
    QFETCH(QStringList, fields);
    QFETCH(bool, handled);

    ScanFixture f;
    f.settings.GetSenderAddressMethod = 5;
    f.settings.ProcessAsUnread = {false, true};
    QStringList ruleOptions;
    for (const QString &option : options) {
        if (option == QLatin1String("ooo"))
            f.settings.RemoveOutofOffice = true;
        else if (option == QLatin1String("failed"))
            f.settings.FailedMail = true;
        else if (option == QLatin1String("allLines"))
            f.settings.ScanAllEmailLines = {true, false};
        else if (option == QLatin1String("noFrom"))
            f.settings.allowfromaddressasentry = false;
        else if (option == QLatin1String("imprecise"))
            f.settings.PreciseBounces = false;
        else
            ruleOptions.append(option);
    }
    f.applyOptions(ruleOptions);
    f.addEntries(entries);
    f.deliver(ScanFixture::message(from, subject, body, fields));

    const TfrmExtractentries::Summary summary = f.scan();
    QCOMPARE(summary.result, TfrmExtractentries::Result::Completed);
    QCOMPARE(summary.examined, 1);
    QCOMPARE(summary.handled, handled ? 1 : 0);
    QCOMPARE(f.filesLeft(), handled ? 0 : 1);
    QTEST(f.rows(), "rows");
    QStringList log = RulesFixture::logLines();
    log.replaceInStrings(QRegularExpression(QStringLiteral(" \\[.*\\] -> ")), QStringLiteral(" -> "));
    QTEST(log, "log");
    QTEST(f.stats(), "stats");
    QVERIFY(f.prompt.shown.isEmpty());
}

void TestRequestClassification::commentsNameTheSentTimeAndSender() {
    ScanFixture f;
    f.settings.GetSenderAddressMethod = 5;
    f.settings.SendAcknowledgement = true;
    f.deliver(ScanFixture::message(QStringLiteral("Ann <ann@example.com>"), QStringLiteral("subscribe"), QString()));
    f.scan();
    const QString sent =
        TfrmExtractentries::dateTimeText(QDateTime(QDate(2024, 3, 12), QTime(10, 15), QTimeZone::utc()).toLocalTime());
    QCOMPARE(f.rows(true), QStringList{QStringLiteral("ann@example.com|Default|0|Changed enacted by e-mail sent ") +
                                       sent + QStringLiteral(" by ann@example.com|Ann|Ann|false")});
    QCOMPARE(f.acks.sent.size(), 1);
    QVERIFY(
        f.acks.sent.first().startsWith(QLatin1String("ann@example.com | The e-mail address, ann@example.com, was")));
}

QTEST_GUILESS_MAIN(TestRequestClassification)
#include "tst_requestclassification.moc"

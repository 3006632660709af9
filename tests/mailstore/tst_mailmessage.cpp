// Tests of reading stored messages: decoded subjects, names, bodies, dates, recipients and reply-to
// addresses from real-world MIME forms, and the messages that must raise for themselves only.
#include "MaildirFixture.h"
#include "base/CorvaneError.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailStoreApplication.h"

#include <QTest>

using namespace corvane;

class TestMailMessage : public QObject {
    Q_OBJECT

private:
    // The only message of an Inbox holding `fixture`.
    std::shared_ptr<MailItem> single(test::MaildirFixture &box, const QString &fixture) {
        box.put(QString(), QStringLiteral("cur"), QStringLiteral("1741000000.M1P1.host:2,S"),
                test::MaildirFixture::fixture(fixture));
        m_app = std::make_unique<MailStoreApplication>(box.root());
        MailItems items =
            m_app->GetNameSpace(QStringLiteral("MAPI")).Folders(1).Folders(QStringLiteral("Inbox")).Items();
        if (items.Count() != 1)
            qFatal("fixture not listed");
        return items.Item(1);
    }

    std::unique_ptr<MailStoreApplication> m_app;

private slots:
    void fields_data();
    void fields();
    void sentOn_data();
    void sentOn();
    void recipients();
    void replyRecipients_data();
    void replyRecipients();
    void failures_data();
    void failures();
};

void TestMailMessage::fields_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("senderName");
    QTest::addColumn<QString>("senderAddress");
    QTest::addColumn<QString>("body");

    QTest::newRow("alternative, quoted-printable, encoded words")
        << "alternative-qp.eml" << QString::fromUtf8("subscribe frühling") << QString::fromUtf8("Jürgen Müller")
        << "juergen@example.org"
        << QString::fromUtf8("Please subscribe me to the Frühling list.\r\nThis line is long enough that the sender's "
                             "program wrapped it with a soft line break in the middle.\r\nGrüße\r\n");
    QTest::newRow("base64 body and subject")
        << "base64.eml" << QString::fromUtf8("Unsubscribe été") << "plain@example.org"
        << "plain@example.org" << QString::fromUtf8("unsubscribe news\r\nSome été text with €\r\n");
    QTest::newRow("ISO-8859-1 body, subject and name")
        << "latin1.eml" << QString::fromUtf8("Abonnement à la liste") << QString::fromUtf8("François Château")
        << "francois@example.fr"
        << QString::fromUtf8("Je voudrais m'abonner à la liste, s'il vous plaît.\r\nMerci déjà.\r\n");
    QTest::newRow("HTML only") << "htmlonly.eml"
                               << "html only"
                               << "Html Sender"
                               << "html@example.org"
                               << QString::fromUtf8("subscribe news\r\n\r\nTom & Jerry <tj@example.org>\r\nline one\r\n"
                                                    "line two\r\ncafé €5");
    QTest::newRow("attachment before the text") << "attachment-first.eml"
                                                << "with attachment"
                                                << "att@example.org"
                                                << "att@example.org"
                                                << "the real body";
    QTest::newRow("truncated after the text part") << "truncated.eml"
                                                   << "truncated"
                                                   << "cut@example.org"
                                                   << "cut@example.org"
                                                   << "subscribe before the cut";
    QTest::newRow("unencoded UTF-8 in headers and body, no charset")
        << "raw-utf8-headers.eml" << QString::fromUtf8("Anmeldung für die Liste") << QString::fromUtf8("Jürgen Raw")
        << "raw@example.org" << QString::fromUtf8("Anmeldung für die Liste\r\n");
    QTest::newRow("quoted display name with comma") << "replyto.eml"
                                                    << "Re: change address"
                                                    << "Robot, The"
                                                    << "robot@example.org"
                                                    << "change old@example.com new@example.com\r\n";
}

void TestMailMessage::fields() {
    QFETCH(QString, fixture);
    QFETCH(QString, subject);
    QFETCH(QString, senderName);
    QFETCH(QString, senderAddress);
    QFETCH(QString, body);
    test::MaildirFixture box;
    const auto item = single(box, fixture);
    QCOMPARE(item->subject(), subject);
    QCOMPARE(item->SenderName(), senderName);
    QCOMPARE(item->SenderEmailAddress(), senderAddress);
    QCOMPARE(item->body(), body);
}

void TestMailMessage::sentOn_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QDateTime>("expected");
    QTest::newRow("offset +0100") << "alternative-qp.eml" << QDateTime(QDate(2025, 3, 3), QTime(13, 5, 9), Qt::UTC);
    QTest::newRow("offset -0500") << "replyto.eml" << QDateTime(QDate(2025, 3, 5), QTime(15, 30, 0), Qt::UTC);
    QTest::newRow("two-digit year, zone name, comment, no seconds")
        << "olddate.eml" << QDateTime(QDate(2003, 7, 1), QTime(10, 52, 0), Qt::UTC);
}

void TestMailMessage::sentOn() {
    QFETCH(QString, fixture);
    QFETCH(QDateTime, expected);
    test::MaildirFixture box;
    const QDateTime when = single(box, fixture)->senton();
    QCOMPARE(when.toUTC(), expected);
    QCOMPARE(when.timeSpec(), Qt::LocalTime);
}

void TestMailMessage::recipients() {
    test::MaildirFixture box;
    const MailRecipients all = single(box, QStringLiteral("alternative-qp.eml"))->Recipients();
    QCOMPARE(all.Count(), 3);
    QCOMPARE(all.Item(1).name(), QStringLiteral("List Owner"));
    QCOMPARE(all.Item(1).Address(), QStringLiteral("owner@lists.example.net"));
    QCOMPARE(all.Item(1).Type(), 1);
    QCOMPARE(all.Item(2).name(), QStringLiteral("second@example.net"));
    QCOMPARE(all.Item(2).Address(), QStringLiteral("second@example.net"));
    QCOMPARE(all.Item(3).name(), QString::fromUtf8("Élodie"));
    QCOMPARE(all.Item(3).Type(), 2);
    QVERIFY_THROWS_EXCEPTION(CorvaneError, all.Item(4));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, all.Item(0));

    test::MaildirFixture other;
    const MailRecipients withBcc = single(other, QStringLiteral("attachment-first.eml"))->Recipients();
    QCOMPARE(withBcc.Count(), 2);
    QCOMPARE(withBcc.Item(2).Address(), QStringLiteral("hidden@example.net"));
    QCOMPARE(withBcc.Item(2).Type(), 3);
}

void TestMailMessage::replyRecipients_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two Reply-To addresses")
        << "replyto.eml" << QStringList{"Real Person <person@example.com>", "other@example.com <other@example.com>"};
    QTest::newRow("no Reply-To") << "base64.eml" << QStringList{};
}

void TestMailMessage::replyRecipients() {
    QFETCH(QString, fixture);
    QFETCH(QStringList, expected);
    test::MaildirFixture box;
    const MailRecipients replies = single(box, fixture)->Replyrecipients();
    QStringList got;
    for (int i = 1; i <= replies.Count(); ++i)
        got.append(replies.Item(i).name() + " <" + replies.Item(i).Address() + ">");
    QCOMPARE(got, expected);
}

// Which fields raise for a broken message; the fields that do not raise must still give their value.
void TestMailMessage::failures_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("subjectRaises");
    QTest::addColumn<bool>("bodyRaises");
    QTest::addColumn<bool>("dateRaises");
    QTest::newRow("no Date") << "nodate.eml" << false << false << true;
    QTest::newRow("unreadable Date") << "baddate.eml" << false << false << true;
    QTest::newRow("unknown charset") << "unknown-charset.eml" << false << true << false;
    QTest::newRow("multipart without parts") << "malformed.eml" << false << true << false;
    QTest::newRow("not a message") << "notmail.eml" << true << true << true;
}

void TestMailMessage::failures() {
    QFETCH(QString, fixture);
    QFETCH(bool, subjectRaises);
    QFETCH(bool, bodyRaises);
    QFETCH(bool, dateRaises);
    test::MaildirFixture box;
    const auto item = single(box, fixture);
    const auto raises = [](const auto &call) {
        try {
            call();
            return false;
        } catch (const CorvaneError &) {
            return true;
        }
    };
    QCOMPARE(raises([&] { return item->subject(); }), subjectRaises);
    QCOMPARE(raises([&] { return item->body(); }), bodyRaises);
    QCOMPARE(raises([&] { return item->senton(); }), dateRaises);
    if (!subjectRaises)
        QVERIFY(!item->subject().isEmpty());
    if (!bodyRaises)
        QVERIFY(item->body().contains(QStringLiteral("subscribe")));
}

QTEST_GUILESS_MAIN(TestMailMessage)
#include "tst_mailmessage.moc"

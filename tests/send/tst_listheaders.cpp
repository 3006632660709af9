// The list headers of mailings: the lines made from the list address and the addresses refused for it, the
// headers on every message of a job over SMTP and on the test message, and none without a list address.
#include "SendJobFixture.h"

#include "base/CorvaneError.h"
#include "send/ListHeaders.h"
#include "settings/SettingsCatalog.h"

#include <QTest>

using namespace corvane;

class TestListHeaders : public QObject {
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void everyMessageOfAJob_data();
    void everyMessageOfAJob();
};

void TestListHeaders::lines_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("problem");
    QTest::newRow("plain") << "news@example.org"
                           << QStringList{"List-Id: <news.example.org>",
                                          "List-Unsubscribe: <mailto:news@example.org?subject=unsubscribe>",
                                          "Precedence: list"}
                           << "";
    QTest::newRow("dots and percent")
        << "club.news%x@lists.example.org"
        << QStringList{"List-Id: <club.news%x.lists.example.org>",
                       "List-Unsubscribe: <mailto:club.news%25x@lists.example.org?subject=unsubscribe>",
                       "Precedence: list"}
        << "";
    QTest::newRow("empty: no headers") << "" << QStringList{} << "";
    QTest::newRow("line break") << "news@example.org\r\nBcc: x@y.org" << QStringList{} << "holds a control character";
    QTest::newRow("tab") << "news\t@example.org" << QStringList{} << "holds a control character";
    QTest::newRow("no @") << "news" << QStringList{} << "Address does not contain an @ symbol";
    QTest::newRow("blank") << "news letter@example.org" << QStringList{} << "Address contains an invalid character";
    QTest::newRow("no top-level domain") << "news@example" << QStringList{} << "TLD part is missing";
}

void TestListHeaders::lines() {
    QFETCH(QString, address);
    QFETCH(QStringList, expected);
    QFETCH(QString, problem);
    QVERIFY2(ListHeaders::problem(address).contains(problem), qPrintable(ListHeaders::problem(address)));
    QCOMPARE(ListHeaders::problem(address).isEmpty(), problem.isEmpty());
    QCOMPARE(SettingsCatalog::refusal(QStringLiteral("ListAddress"), address), ListHeaders::problem(address));
    if (problem.isEmpty()) {
        QCOMPARE(ListHeaders::lines(address), expected);
    } else {
        QVERIFY_THROWS_EXCEPTION(CorvaneError, ListHeaders::lines(address));
    }
}

// Rows: the list address, recipients per message, and whether the test message is sent instead of the job.
void TestListHeaders::everyMessageOfAJob_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("sendCount");
    QTest::addColumn<bool>("test");
    QTest::newRow("one per member") << "news@example.org" << 1 << false;
    QTest::newRow("hidden batches") << "news@example.org" << 2 << false;
    QTest::newRow("test message") << "news@example.org" << 1 << true;
    QTest::newRow("no list address") << "" << 1 << false;
}

void TestListHeaders::everyMessageOfAJob() {
    QFETCH(QString, list);
    QFETCH(int, sendCount);
    QFETCH(bool, test);
    SendJobFixture f;
    f.setUp();
    f.members(3);
    f.settings.ListAddress = list;
    f.settings.SendCount = sendCount;
    f.message(QStringLiteral("News"), QStringLiteral("Hello all"));
    int messages = sendCount == 1 ? 3 : 2;
    if (test) {
        f.prompt().answerText(QStringLiteral("tester@example.org"));
        f.dlg->SendTestClick();
        messages = 1;
    } else {
        QVERIFY(f.dlg->Button2Click());
    }
    QCOMPARE(f.server.commandCount.value("DATA"), messages);
    const QByteArray received = f.received();
    const QByteArray headers = "X-Mailer: Corvane mailing-list manager\r\n"
                               "List-Id: <news.example.org>\r\n"
                               "List-Unsubscribe: <mailto:news@example.org?subject=unsubscribe>\r\n"
                               "Precedence: list\r\n"
                               "Date: DATE\r\n";
    QCOMPARE(received.count(headers), list.isEmpty() ? 0 : messages);
    QCOMPARE(received.count("List-"), list.isEmpty() ? 0 : 2 * messages);
    f.tearDown();
}

QTEST_GUILESS_MAIN(TestListHeaders)
#include "tst_listheaders.moc"

// The list headers of mailings: the lines made from the list address and the addresses refused for it, and the
// headers on every message of a job over SMTP and on the test message.
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

// Rows: the address, then its header lines joined by "|", or the start of the refusal.
void TestListHeaders::lines_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "news@example.org"
                           << "List-Id: <news.example.org>|List-Unsubscribe: "
                              "<mailto:news@example.org?subject=unsubscribe>|Precedence: list";
    QTest::newRow("percent escaped in the URL")
        << "club.news%x@example.org"
        << "List-Id: <club.news%x.example.org>|List-Unsubscribe: "
           "<mailto:club.news%25x@example.org?subject=unsubscribe>|Precedence: list";
    QTest::newRow("empty: no headers") << ""
                                       << "";
    QTest::newRow("line break") << "news@example.org\r\nBcc: x@y.org"
                                << "The list address \"news@example.org\\x0D\\x0ABcc: x@y.org\" holds a control";
    QTest::newRow("no @") << "news"
                          << "The list address \"news\" is not valid: Address does not contain an @";
}

void TestListHeaders::lines() {
    QFETCH(QString, address);
    QFETCH(QString, expected);
    const QString problem = ListHeaders::problem(address);
    QCOMPARE(SettingsCatalog::refusal(QStringLiteral("ListAddress"), address), problem);
    if (expected.startsWith(QLatin1String("The list address"))) {
        QVERIFY2(problem.startsWith(expected), qPrintable(problem));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, ListHeaders::lines(address));
    } else {
        QVERIFY(problem.isEmpty());
        QCOMPARE(ListHeaders::lines(address).join(QLatin1Char('|')), expected);
    }
}

// Rows: recipients per message, and whether the test message is sent instead of the job.
void TestListHeaders::everyMessageOfAJob_data() {
    QTest::addColumn<int>("sendCount");
    QTest::addColumn<bool>("test");
    QTest::newRow("one per member") << 1 << false;
    QTest::newRow("hidden batches") << 2 << false;
    QTest::newRow("test message") << 1 << true;
}

void TestListHeaders::everyMessageOfAJob() {
    QFETCH(int, sendCount);
    QFETCH(bool, test);
    SendJobFixture f;
    f.setUp();
    f.members(3);
    f.settings.ListAddress = QStringLiteral("news@example.org");
    f.settings.SendCount = sendCount;
    f.message(QStringLiteral("News"), QStringLiteral("Hello all"));
    if (test) {
        f.prompt().answerText(QStringLiteral("tester@example.org"));
        f.dlg->SendTestClick();
    } else {
        QVERIFY(f.dlg->Button2Click());
    }
    const int messages = test ? 1 : sendCount == 1 ? 3 : 2;
    QCOMPARE(f.server.commandCount.value("DATA"), messages);
    QCOMPARE(f.received().count("X-Mailer: Corvane mailing-list manager\r\nList-Id: <news.example.org>\r\n"
                                "List-Unsubscribe: <mailto:news@example.org?subject=unsubscribe>\r\n"
                                "Precedence: list\r\nDate: DATE\r\n"),
             messages);
    f.tearDown();
}

QTEST_GUILESS_MAIN(TestListHeaders)
#include "tst_listheaders.moc"

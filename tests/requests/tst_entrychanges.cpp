// Changes to existing entries: bounce counting with and without the bounce limit, and the address change
// (across categories, refused, missing, letter case only, through the "Update E-mail Address" question).
#include "RulesFixture.h"

using namespace corvane;
using namespace corvane::test;

namespace {
const QString Ann = QStringLiteral("ann@example.org");
const QString NewAnn = QStringLiteral("ann@example.net");

QString changed(const QString &oldAddress, const QString &newAddress) {
    return QStringLiteral("Changed Email Address ") + oldAddress + QStringLiteral(" to ") + newAddress;
}

class FakeAsker : public AddressChangeAsker {
public:
    bool ask(QString &oldAddress, QString &newAddress, bool showIgnoreBox, bool &ignoreAllRules) override {
        asked.append(oldAddress + QLatin1Char('|') + newAddress + QLatin1Char('|') +
                     (showIgnoreBox ? QStringLiteral("box shown") : QStringLiteral("box hidden")));
        oldAddress = typedOld;
        newAddress = typedNew;
        ignoreAllRules = showIgnoreBox && tickIgnore;
        return confirm;
    }
    QStringList asked;
    QString typedOld;
    QString typedNew;
    bool tickIgnore = false;
    bool confirm = true;
};
} // namespace

class TestEntryChanges : public QObject {
    Q_OBJECT

    std::unique_ptr<RulesFixture> f;

private slots:
    void init() { f = std::make_unique<RulesFixture>(); }
    void cleanup() { f.reset(); }

    void processbounce_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("times");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("log");

        const QString incremented = QStringLiteral("Update Undeliverable ann@example.org -> Bounce count incremented!");
        const QString deleted = QStringLiteral("Update Undeliverable ann@example.org -> Entry successfully deleted!");
        QTest::newRow("8 becomes 9 under the limit 10, the next bounce removes")
            << QStringList{"limit:10"} << QStringList{Ann + "|A|8"} << Ann << 2 << QStringList{}
            << QStringList{incremented, deleted};
        QTest::newRow("count beyond the limit removes at once")
            << QStringList{"limit:3"} << QStringList{Ann + "|A|7"} << Ann << 1 << QStringList{} << QStringList{deleted};
        QTest::newRow("option off: the count keeps growing")
            << QStringList{"limitOff"} << QStringList{Ann + "|A|9"} << Ann << 3 << QStringList{Ann + "|A|12"}
            << QStringList(3, incremented);
        QTest::newRow("limit 0 removes nothing") << QStringList{"limit:0"} << QStringList{Ann + "|A|0"} << Ann << 2
                                                 << QStringList{Ann + "|A|2"} << QStringList(2, incremented);
        QTest::newRow("only the first entry of the address counts")
            << QStringList{"limit:10", "multi"} << QStringList{Ann + "|A|0", Ann + "|B|0", Ann + "|C|5"} << Ann << 1
            << QStringList{Ann + "|A|1", Ann + "|B|0", Ann + "|C|5"} << QStringList{incremented};
        QTest::newRow("address in other letter case")
            << QStringList{} << QStringList{Ann + "|A|0"} << "ANN@Example.org" << 1 << QStringList{Ann + "|A|1"}
            << QStringList{"Update Undeliverable ANN@Example.org -> Bounce count incremented!"};
        QTest::newRow("address not in the list")
            << QStringList{} << QStringList{Ann + "|A|0"} << "zed@example.org" << 1 << QStringList{Ann + "|A|0"}
            << QStringList{"Update Undeliverable zed@example.org -> E-mail address not found!"};
    }

    void processbounce() {
        QFETCH(QStringList, options);
        QFETCH(QStringList, existing);
        QFETCH(QString, address);
        QFETCH(int, times);
        f->applyOptions(options);
        f->addEntries(existing);

        for (int i = 0; i < times; ++i) {
            f->rules.processbounce(address);
        }

        QTEST(f->rows(), "rows");
        QTEST(f->logLines(), "log");
        QVERIFY(f->errors.lines().isEmpty());
        QVERIFY(f->acks.sent.isEmpty());
    }

    void bounceOnClosedTable() {
        f->dm.CloseDatabase();
        f->rules.processbounce(Ann);
        QCOMPARE(f->logLines(),
                 QStringList{"Update Undeliverable ann@example.org -> Bounce count could not be incremented!"});
    }

    void bounceWithControlCharactersChangesNothing() {
        f->addEntries({Ann + "|A|0"});
        f->rules.processbounce(Ann + "\n");
        QCOMPARE(f->rows(), QStringList{Ann + "|A|0"});
        QCOMPARE(f->logLines(), QStringList{"Update Undeliverable ann@example.org<U+000A> -> The request holds control "
                                            "characters and was refused!"});
        QCOMPARE(f->errors.lines(), QStringList{"REMOVE ann@example.org<U+000A>"});
    }

    void changeEmailAddress_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("oldAddress");
        QTest::addColumn<QString>("newAddress");
        QTest::addColumn<bool>("useExceptionList");
        QTest::addColumn<bool>("interactive");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<QStringList>("messages");

        const QStringList twoOfAnn{Ann + "|A|3|keep", "bob@example.org|A|0|", Ann + "|B|0|other"};
        const QStringList untouched{"ann@example.org|A|3|keep|Name|Sal|true", "ann@example.org|B|0|other|Name|Sal|true",
                                    "bob@example.org|A|0||Name|Sal|true"};
        const QString tooLong = QString(60, QLatin1Char('n')) + QStringLiteral("@a-long-domain-name.example.net");

        QTest::newRow("two categories: both entries, two log lines, nothing else changes")
            << QStringList{"multi"} << twoOfAnn << "ANN@example.org" << NewAnn << false << false << true
            << QStringList{"ann@example.net|A|3|keep|Name|Sal|true", "ann@example.net|B|0|other|Name|Sal|true",
                           "bob@example.org|A|0||Name|Sal|true"}
            << QStringList(2, changed("ANN@example.org", NewAnn)) << QStringList{} << QStringList{};
        QTest::newRow("invalid new address changes nothing")
            << QStringList{} << twoOfAnn << Ann << "ann@example" << false << true << false << untouched
            << QStringList{changed(Ann, "ann@example") + " -> Address not valid: ann@example!"}
            << QStringList{"MODIFY ann@example.org ann@example"}
            << QStringList{"The e-mail address, ann@example, does not appear to be valid."};
        QTest::newRow("exception text refused only when the exception list applies")
            << QStringList{} << twoOfAnn << Ann << "ann__@example.net" << true << false << false << untouched
            << QStringList{changed(Ann, "ann__@example.net") + " -> Address not valid: ann__@example.net!"}
            << QStringList{"MODIFY ann@example.org ann__@example.net"} << QStringList{};
        QTest::newRow("exception text accepted without the exception list")
            << QStringList{} << QStringList{Ann + "|A|0|"} << Ann << "ann__@example.net" << false << false << true
            << QStringList{"ann__@example.net|A|0||Name|Sal|true"} << QStringList{changed(Ann, "ann__@example.net")}
            << QStringList{} << QStringList{};
        QTest::newRow("old address missing")
            << QStringList{} << twoOfAnn << "zed@example.org" << NewAnn << false << true << false << untouched
            << QStringList{changed("zed@example.org", NewAnn) + " -> Address not found!"}
            << QStringList{"MODIFY zed@example.org ann@example.net"}
            << QStringList{"The address, zed@example.org, could not be found!"};
        QTest::newRow("letter case only: each entry once")
            << QStringList{"multi"} << QStringList{"Ann@Example.org|A|0|", "bob@example.org|A|0|", Ann + "|B|0|"} << Ann
            << "Ann@example.ORG" << false << false << true
            << QStringList{"Ann@example.ORG|A|0||Name|Sal|true", "Ann@example.ORG|B|0||Name|Sal|true",
                           "bob@example.org|A|0||Name|Sal|true"}
            << QStringList(2, changed(Ann, "Ann@example.ORG")) << QStringList{} << QStringList{};
        QTest::newRow("letter case only, view ordered by category")
            << QStringList{"multi", "orderCategory"}
            << QStringList{Ann + "|C|0|", "bob@example.org|B|0|", "ANN@example.org|A|0|", "cy@example.org|D|0|"} << Ann
            << "Ann@Example.org" << false << false << true
            << QStringList{"Ann@Example.org|C|0||Name|Sal|true", "Ann@Example.org|A|0||Name|Sal|true",
                           "bob@example.org|B|0||Name|Sal|true", "cy@example.org|D|0||Name|Sal|true"}
            << QStringList(2, changed(Ann, "Ann@Example.org")) << QStringList{} << QStringList{};
        QTest::newRow("same address: each entry once")
            << QStringList{"multi"} << QStringList{Ann + "|A|0|", Ann + "|B|0|"} << Ann << Ann << false << false << true
            << QStringList{"ann@example.org|A|0||Name|Sal|true", "ann@example.org|B|0||Name|Sal|true"}
            << QStringList(2, changed(Ann, Ann)) << QStringList{} << QStringList{};
        QTest::newRow("new address longer than an entry holds")
            << QStringList{} << twoOfAnn << Ann << tooLong << false << true << false << untouched
            << QStringList{"Change Email Address ann@example.org -> " + tooLong + ", ERROR: The e-mail address " +
                           tooLong + " is longer than the 80 characters an entry can hold"}
            << QStringList{"MODIFY ann@example.org " + tooLong}
            << QStringList{"An error was encountered:\r\n\r\nThe e-mail address " + tooLong +
                           " is longer than the 80 characters an entry can hold"};

        const QString refused = QStringLiteral(" -> The request holds control characters and was refused!");
        QTest::newRow("new address forging a log line is refused")
            << QStringList{} << twoOfAnn << Ann << "ann@example.net\r\nADD evil@example.net" << false << true << false
            << untouched << QStringList{changed(Ann, "ann@example.net<U+000D><U+000A>ADD evil@example.net") + refused}
            << QStringList{"MODIFY ann@example.org ann@example.net<U+000D><U+000A>ADD evil@example.net"}
            << QStringList{"The request holds control characters and was refused!"};
        QTest::newRow("old address with a line separator is refused")
            << QStringList{} << twoOfAnn << QString(Ann + QChar(0x2028)) << NewAnn << false << false << false
            << untouched << QStringList{changed(Ann + "<U+2028>", NewAnn) + refused}
            << QStringList{"MODIFY ann@example.org<U+2028> ann@example.net"} << QStringList{};
    }

    void changeEmailAddress() {
        QFETCH(QStringList, options);
        QFETCH(QStringList, existing);
        QFETCH(QString, oldAddress);
        QFETCH(QString, newAddress);
        QFETCH(bool, useExceptionList);
        QFETCH(bool, interactive);
        f->applyOptions(options);
        f->addEntries(existing);

        QTEST(f->rules.ChangeEmailAddress(oldAddress, newAddress, useExceptionList, interactive), "result");

        QTEST(f->rows(true), "rows");
        QTEST(f->logLines(), "log");
        QTEST(f->errors.lines(), "errors");
        QTEST(f->prompt.texts(), "messages");
        QCOMPARE(f->prompt.busyDepth, 0);
    }

    void promptToModifyAddress_data() {
        QTest::addColumn<bool>("showIgnoreBox");
        QTest::addColumn<QString>("typedNew");
        QTest::addColumn<bool>("tickIgnore");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("messages");

        const QString invalidNew =
            QStringLiteral("The e-mail address, ann__@example.net, does not appear to be valid.");
        QTest::newRow("cancel changes nothing")
            << true << NewAnn << false << false << false << QStringList{Ann} << QStringList{};
        QTest::newRow("typed new address replaces the old")
            << false << NewAnn << false << true << true << QStringList{NewAnn} << QStringList{};
        QTest::newRow("ignore ticked skips the exception list")
            << true << "ann__@example.net" << true << true << true << QStringList{"ann__@example.net"} << QStringList{};
        QTest::newRow("ignore clear applies the exception list")
            << true << "ann__@example.net" << false << true << true << QStringList{Ann} << QStringList{invalidNew};
        QTest::newRow("box hidden applies the exception list")
            << false << "ann__@example.net" << false << true << true << QStringList{Ann} << QStringList{invalidNew};
        QTest::newRow("ignore ticked still applies the standard rules")
            << true << "ann@@example.net" << true << true << true << QStringList{Ann}
            << QStringList{"The e-mail address, ann@@example.net, does not appear to be valid."};
    }

    void promptToModifyAddress() {
        QFETCH(bool, showIgnoreBox);
        QFETCH(QString, typedNew);
        QFETCH(bool, tickIgnore);
        QFETCH(bool, confirm);
        f->addEntries({Ann + "|A"});
        FakeAsker asker;
        asker.typedOld = QStringLiteral("ANN@example.org");
        asker.typedNew = typedNew;
        asker.tickIgnore = tickIgnore;
        asker.confirm = confirm;

        QTEST(f->rules.PromptToModifyAddress(asker, Ann, QString(), showIgnoreBox), "result");

        QCOMPARE(asker.asked, QStringList{Ann + "||" + (showIgnoreBox ? "box shown" : "box hidden")});
        QStringList items;
        for (const QString &row : f->rows()) {
            items.append(row.section(QLatin1Char('|'), 0, 0));
        }
        QTEST(items, "rows");
        QTEST(f->prompt.texts(), "messages");
        if (!confirm) {
            QVERIFY(f->logLines().isEmpty());
            QVERIFY(f->errors.lines().isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestEntryChanges)
#include "tst_entrychanges.moc"

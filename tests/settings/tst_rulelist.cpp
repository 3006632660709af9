// Word order of the sorted rule lists.
#include "settings/RuleList.h"

#include <QTest>
#include <algorithm>

using namespace corvane;

class TestRuleList : public QObject {
    Q_OBJECT

private slots:
    void order_data() {
        QTest::addColumn<QString>("earlier");
        QTest::addColumn<QString>("later");
        QTest::newRow("hyphen ignored") << "Nondeliverable mail"
                                        << "Non-delivery";
        QTest::newRow("case ignored") << "mail failed"
                                      << "Mail System Error";
        QTest::newRow("blank before letters") << "No User"
                                              << "Nondeliverable mail";
        QTest::newRow("symbols before letters") << "__"
                                                << "hotmial";
        QTest::newRow("digits before letters") << "2nd list"
                                               << "alpha";
        QTest::newRow("symbols before digits") << "#1"
                                               << "0";
        QTest::newRow("prefix first") << "UNSUB"
                                      << "unsubscribe";
        QTest::newRow("apostrophe ignored") << "dont"
                                            << "don't";
        QTest::newRow("apostrophe ignored, later letter decides") << "don't"
                                                                  << "dots";
        QTest::newRow("without hyphen first") << "coop"
                                              << "co-op";
        QTest::newRow("lower case first") << "co-op"
                                          << "Coop";
        QTest::newRow("accent sorts with its letter") << "\u00e4rger"
                                                      << "bauer";
        QTest::newRow("plain letter before accented") << "ar"
                                                      << "\u00e4r";
        QTest::newRow("fewer hyphens first") << "co-op"
                                             << "co--op";
        QTest::newRow("apostrophe and hyphen by code") << "co'op"
                                                       << "co-op";
    }
    void order() {
        QFETCH(QString, earlier);
        QFETCH(QString, later);
        QVERIFY(RuleList::compare(earlier, later) < 0);
        QVERIFY(RuleList::compare(later, earlier) > 0);
        QCOMPARE(RuleList::compare(later, later), 0);
        QCOMPARE(RuleList({later, earlier}).items(), QStringList({earlier, later}));
    }

    // The delivery-failure subjects shipped with Corvane are listed in word order already.
    void shippedFailureSubjectsAreInOrder() {
        const QStringList shipped = {
            "Delivery failure",    "Delivery has failed",  "Error delivering", "Failed mail",       "failure delivery",
            "failure notice",      "Mail delivery failed", "mail failed",      "Mail System Error", "No User",
            "Nondeliverable mail", "Non-delivery",         "Returned Mail",    "Undeliverable",     "Undelivered",
            "Unzustellbar"};
        QStringList reversed = shipped;
        std::reverse(reversed.begin(), reversed.end());
        RuleList list;
        list.setItems(reversed);
        QCOMPARE(list.items(), shipped);
    }

    // Texts equal but for case and hyphens end up in the same order whatever order they came in.
    void tiesAreDeterministic() {
        QStringList items = {"co-op", "CO-OP", "Coop", "co'op", "coop"};
        std::sort(items.begin(), items.end());
        RuleList first;
        first.setItems(items);
        do {
            RuleList list;
            list.setItems(items);
            QCOMPARE(list.items(), first.items());
            RuleList added;
            for (const QString &item : items) {
                added.add(item);
            }
            QCOMPARE(added.items(), first.items());
        } while (std::next_permutation(items.begin(), items.end()));
        QCOMPARE(first.items(), QStringList({"coop", "co'op", "co-op", "Coop", "CO-OP"}));
    }

    void addInsertsInPlace_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("index");
        QTest::newRow("front") << "ACCEDE" << 0;
        QTest::newRow("middle") << "enrol" << 1;
        QTest::newRow("duplicate after its equal") << "JOIN" << 2;
        QTest::newRow("end") << "ZZ" << 4;
    }
    void addInsertsInPlace() {
        QFETCH(QString, item);
        QFETCH(int, index);
        RuleList list{"SUSCRIBE", "ADD", "JOIN", "SUBSCRIBE"};
        QCOMPARE(list.add(item), index);
        QCOMPARE(list.items().at(index), item);
        QCOMPARE(list.size(), 5);
        RuleList resorted;
        resorted.setItems(list.items());
        QCOMPARE(resorted.items(), list.items());
    }
};

QTEST_GUILESS_MAIN(TestRuleList)
#include "tst_rulelist.moc"

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
        QTest::newRow("hyphen ignored") << QStringLiteral("Nondeliverable mail") << QStringLiteral("Non-delivery");
        QTest::newRow("case ignored") << QStringLiteral("mail failed") << QStringLiteral("Mail System Error");
        QTest::newRow("symbols before letters") << QStringLiteral("__") << QStringLiteral("hotmial");
        QTest::newRow("digits before letters") << QStringLiteral("2nd list") << QStringLiteral("alpha");
        QTest::newRow("symbols before digits") << QStringLiteral("#1") << QStringLiteral("0");
        QTest::newRow("apostrophe ignored") << QStringLiteral("don't") << QStringLiteral("dots");
        QTest::newRow("without apostrophe first") << QStringLiteral("dont") << QStringLiteral("don't");
        QTest::newRow("lower case first") << QStringLiteral("co-op") << QStringLiteral("Coop");
        QTest::newRow("accent sorts with its letter") << QStringLiteral("\u00e4rger") << QStringLiteral("bauer");
        QTest::newRow("plain letter before accented") << QStringLiteral("ar") << QStringLiteral("\u00e4r");
        QTest::newRow("apostrophe before hyphen") << QStringLiteral("co'op") << QStringLiteral("co-op");
    }
    void order() {
        QFETCH(QString, earlier);
        QFETCH(QString, later);
        QVERIFY(RuleList::compare(earlier, later) < 0);
        QVERIFY(RuleList::compare(later, earlier) > 0);
        QCOMPARE(RuleList::compare(later, later), 0);
        QCOMPARE(RuleList({later, earlier}).items(), QStringList({earlier, later}));
    }

    // Texts equal but for case and hyphens end up in the same order whatever order they came in.
    void tiesAreDeterministic() {
        QStringList items = {"co-op", "CO-OP", "Coop", "co'op", "coop"};
        std::sort(items.begin(), items.end());
        const QStringList expected = {"coop", "co'op", "co-op", "Coop", "CO-OP"};
        do {
            RuleList list;
            list.setItems(items);
            QCOMPARE(list.items(), expected);
            RuleList added;
            for (const QString &item : items) {
                added.add(item);
            }
            QCOMPARE(added.items(), expected);
        } while (std::next_permutation(items.begin(), items.end()));
    }

    void addInsertsInPlace_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("index");
        QTest::newRow("front") << QStringLiteral("ACCEDE") << 0;
        QTest::newRow("duplicate after its equal") << QStringLiteral("JOIN") << 2;
        QTest::newRow("end") << QStringLiteral("ZZ") << 4;
    }
    void addInsertsInPlace() {
        QFETCH(QString, item);
        QFETCH(int, index);
        RuleList list{"SUSCRIBE", "ADD", "JOIN", "SUBSCRIBE"};
        QCOMPARE(list.add(item), index);
        QCOMPARE(list.items().at(index), item);
        QCOMPARE(list.size(), 5);
    }

    // The hashed look-up follows every change made after it was first used.
    void lookUpFollowsChanges_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("found");
        QTest::newRow("unchanged, other case") << "" << true;
        QTest::newRow("removed") << "remove" << false;
        QTest::newRow("replaced") << "set" << false;
        QTest::newRow("cleared") << "clear" << false;
        QTest::newRow("added after a removal") << "remove add" << true;
    }
    void lookUpFollowsChanges() {
        QFETCH(QString, change);
        QFETCH(bool, found);
        RuleList list{"Spam@Example.com", "other@example.com"};
        QVERIFY(list.containsIgnoringCase(QStringLiteral("spam@example.COM")));
        QVERIFY(!list.containsIgnoringCase(QStringLiteral("spam@example.co")));
        for (const QString &step : change.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("remove")) {
                list.removeAt(static_cast<int>(list.items().indexOf(QStringLiteral("Spam@Example.com"))));
            } else if (step == QLatin1String("set")) {
                list.setItems({QStringLiteral("third@example.com")});
            } else if (step == QLatin1String("clear")) {
                list.clear();
            } else {
                list.add(QStringLiteral("SPAM@example.com"));
            }
        }
        QCOMPARE(list.containsIgnoringCase(QStringLiteral("spam@example.com")), found);
    }
};

QTEST_GUILESS_MAIN(TestRuleList)
#include "tst_rulelist.moc"

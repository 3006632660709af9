// The record search of the "Find Record" dialog on a real list table: ticked rows, case and partial
// options, the view's filter, and the three messages.
#include "db/TableFilter.h"
#include "tst_maintenancefixture.h"

using namespace corvane;

using Terms = QList<ListMaintenance::FindTerm>;
Q_DECLARE_METATYPE(Terms)

class TestMaintenanceFind : public QObject {
    Q_OBJECT

private:
    MaintenanceFixture f;

    static ListMaintenance::FindTerm term(bool ticked, const QString &choice, const QString &text) {
        return {ticked, choice, text};
    }

private slots:
    void init() {
        f.setUp();
        f.add(QStringLiteral("anna@example.org"), QStringLiteral("News"), 0, QStringLiteral("Anna Berg"));
        f.add(QStringLiteral("bert@example.org"), QStringLiteral("Work"), 0, QStringLiteral("Bert Lund"));
        f.add(QStringLiteral("bertha@example.org"), QStringLiteral("News"), 0, QStringLiteral("Bertha Lund"));
        f.table().setIndexFieldNames(QStringLiteral("Item"));
    }
    void cleanup() { f.tearDown(); }

    // found: the address of the entry found; empty when the message `message` is expected instead.
    void find_data() {
        QTest::addColumn<Terms>("terms");
        QTest::addColumn<bool>("caseInsensitive");
        QTest::addColumn<bool>("partial");
        QTest::addColumn<QString>("found");
        QTest::addColumn<QString>("message");
        const QString notFound = QStringLiteral("A record could not be found for the entries you specified");
        QTest::newRow("partial address in capitals")
            << Terms{term(true, "E-mail", "BERTH")} << true << true << "bertha@example.org"
            << "";
        QTest::newRow("first of several partial matches in view order")
            << Terms{term(true, "E-mail", "bert")} << true << true << "bert@example.org"
            << "";
        QTest::newRow("only the second row filled")
            << Terms{term(false, "E-mail", ""), term(true, "Category", "work")} << true << true << "bert@example.org"
            << "";
        QTest::newRow("an unticked row does not count")
            << Terms{term(false, "E-mail", "anna"), term(true, "Name", "Bertha Lund")} << true << false
            << "bertha@example.org"
            << "";
        QTest::newRow("all ticked rows must match")
            << Terms{term(true, "Full Name", "b"), term(true, "Category", "news"), term(true, "Comments", "c bert")}
            << true << true << "bertha@example.org"
            << "";
        QTest::newRow("capitals with letter case counting")
            << Terms{term(true, "E-mail", "BERT")} << false << true << "" << notFound;
        QTest::newRow("partial text without partial matches")
            << Terms{term(true, "E-mail", "bert")} << true << false << "" << notFound;
        QTest::newRow("whole text without partial matches")
            << Terms{term(true, "E-mail", "BERT@EXAMPLE.ORG")} << true << false << "bert@example.org"
            << "";
        QTest::newRow("exact address with letter case counting")
            << Terms{term(true, "E-mail", "bert@example.org")} << false << false << "bert@example.org"
            << "";
        QTest::newRow("nothing ticked has text")
            << Terms{term(true, "E-mail", ""), term(false, "Category", "News")} << true << true << ""
            << "You have not entered anything to search for!";
        QTest::newRow("unknown field") << Terms{term(true, "Colour", "x")} << true << true << ""
                                       << "An error was encountred processing your search!";
    }
    void find() {
        QFETCH(Terms, terms);
        QFETCH(bool, caseInsensitive);
        QFETCH(bool, partial);
        QFETCH(QString, found);
        QFETCH(QString, message);
        QVERIFY(f.table().locate(QStringLiteral("Item"), QStringLiteral("anna@example.org")));
        const std::optional<int> index = f.maintenance->Find(terms, caseInsensitive, partial);
        if (found.isEmpty()) {
            QVERIFY(!index.has_value());
            QCOMPARE(f.prompt->texts(), QStringList{message});
            // The list view stays on the entry it showed.
            QCOMPARE(f.table().text(QStringLiteral("Item")), QStringLiteral("anna@example.org"));
        } else {
            QVERIFY(index.has_value());
            QVERIFY(f.prompt->shown.isEmpty());
            QCOMPARE(f.table().text(QStringLiteral("Item")), found);
            QCOMPARE(f.table().integer(QStringLiteral("Index")), *index);
        }
        QCOMPARE(f.prompt->busyDepth, 0);
    }

    // The first match in the view's own order, also when the search runs through another field's index.
    void findFollowsTheViewOrder() {
        f.table().setIndexFieldNames(QStringLiteral("Category"));
        QVERIFY(f.maintenance->Find({term(true, "E-mail", "bert")}, true, true).has_value());
        QCOMPARE(f.table().text(QStringLiteral("Item")), QStringLiteral("bertha@example.org"));
        QVERIFY(f.maintenance->Find({term(true, "Category", "n"), term(true, "Name", "b")}, true, true).has_value());
        QCOMPARE(f.table().text(QStringLiteral("Item")), QStringLiteral("bertha@example.org"));
    }

    void findSearchesOnlyTheEntriesShown() {
        f.table().setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("work")));
        f.table().setFiltered(true);
        QVERIFY(!f.maintenance->Find({term(true, "E-mail", "anna")}, true, true).has_value());
        QCOMPARE(f.prompt->texts(),
                 QStringList{QStringLiteral("A record could not be found for the entries you specified")});
        QVERIFY(f.maintenance->Find({term(true, "E-mail", "BE")}, true, true).has_value());
        QVERIFY(f.table().filtered());
    }
};

QTEST_GUILESS_MAIN(TestMaintenanceFind)
#include "tst_maintenancefind.moc"

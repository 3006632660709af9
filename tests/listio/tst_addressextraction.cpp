// Finding addresses in lines of text: where an address starts and ends, which candidates are dropped, and the
// order and letter case of the result.
#include "listio/AddressExtraction.h"

#include <QTest>

using namespace corvane;

namespace {

// A valid address of exactly `length` characters.
QString addressOfLength(int length) {
    const QString domain = QStringLiteral("@example.com");
    return QString(length - domain.size(), QLatin1Char('u')) + domain;
}

} // namespace

class TestAddressExtraction : public QObject {
    Q_OBJECT

private slots:
    void extraction_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("no lines") << QStringList{} << QStringList{};
        QTest::newRow("prose") << QStringList{"Nothing to see here."} << QStringList{};
        QTest::newRow("in a sentence") << QStringList{"Please write to john@example.com today"}
                                       << QStringList{"john@example.com"};
        QTest::newRow("underscore ends on the right")
            << QStringList{"john@example.com_x"} << QStringList{"john@example.com"};
        QTest::newRow("underscore does not end on the left")
            << QStringList{"see_john@example.com"} << QStringList{"see_john@example.com"};
        QTest::newRow("rest keeps the underscore in front")
            << QStringList{"a@example.com_b@example.org"} << QStringList{"a@example.com", "_b@example.org"};
        QTest::newRow("line starting with @") << QStringList{"@notice john@example.com"} << QStringList{};
        QTest::newRow("stray @ does not end the line")
            << QStringList{"x @ y john@example.com"} << QStringList{"john@example.com"};
        QTest::newRow("angle brackets") << QStringList{"John Doe <john@example.com>"}
                                        << QStringList{"john@example.com"};
        QTest::newRow("mailto") << QStringList{"href=\"mailto:john@example.com\""} << QStringList{"john@example.com"};
        QTest::newRow("wrappings") << QStringList{"(a@x.com) [b@x.com] {c@x.com} 'd@x.com' `e@x.com` |f@x.com|"}
                                   << QStringList{"a@x.com", "b@x.com", "c@x.com", "d@x.com", "e@x.com", "f@x.com"};
        QTest::newRow("signs that are delimiters")
            << QStringList{"a%b@x.com a/c@x.com a=d@x.com a?e@x.com a^f@x.com a&g@x.com a#h@x.com a*i@x.com"}
            << QStringList{"b@x.com", "c@x.com", "d@x.com", "e@x.com", "f@x.com", "g@x.com", "h@x.com", "i@x.com"};
        QTest::newRow("acute accent and U+0001") << QStringList{"\u00b4john@example.com\u00b4 \x01jane@example.com"}
                                                 << QStringList{"john@example.com", "jane@example.com"};
        QTest::newRow("plus, dollar and hyphen stay")
            << QStringList{"+a$b-c@example.com"} << QStringList{"+a$b-c@example.com"};
        QTest::newRow("59 characters") << QStringList{"to " + addressOfLength(59) + " now"}
                                       << QStringList{addressOfLength(59)};
        QTest::newRow("60 characters") << QStringList{"to " + addressOfLength(60) + " now"} << QStringList{};
        QTest::newRow("comma between") << QStringList{"a@example.com,b@example.org"}
                                       << QStringList{"a@example.com", "b@example.org"};
        QTest::newRow("several on a line, in order")
            << QStringList{"To: c@z.com; a@x.com, b@y.com"} << QStringList{"c@z.com", "a@x.com", "b@y.com"};
        QTest::newRow("tab on the left") << QStringList{"Recipient:\tjohn@example.com"}
                                         << QStringList{"john@example.com"};
        QTest::newRow("tab on the right does not end") << QStringList{"john@example.com\tfailed"} << QStringList{};
        QTest::newRow("three leading underscores")
            << QStringList{"___john@example.com"} << QStringList{"john@example.com"};
        QTest::newRow("all leading underscores after three")
            << QStringList{"_____john@example.com"} << QStringList{"john@example.com"};
        QTest::newRow("two leading underscores kept")
            << QStringList{"__john@example.com"} << QStringList{"__john@example.com"};
        QTest::newRow("underscores only") << QStringList{"___@example.com"} << QStringList{};
        QTest::newRow("invalid candidates dropped")
            << QStringList{"john@localhost jo..hn@example.com a@b@example.com j\u00f6rg@example.com ok@example.com"}
            << QStringList{"ok@example.com"};
        QTest::newRow("tilde is part of the candidate") << QStringList{"~john@example.com"} << QStringList{};
        QTest::newRow("full stop stays with the candidate")
            << QStringList{"Write to john@example.com."} << QStringList{};
        QTest::newRow("non-ASCII prose around")
            << QStringList{"\u65e5\u672c john@example.com \u00e9t\u00e9"} << QStringList{"john@example.com"};
        QTest::newRow("every line, duplicates and case kept")
            << QStringList{"John@Example.com", "", "no address", "@", "john@example.com john@example.com"}
            << QStringList{"John@Example.com", "john@example.com", "john@example.com"};
    }
    void extraction() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, expected);
        QStringList result{"stale"};
        AddressExtraction::extractemailaddresses(lines, result, nullptr);
        QCOMPARE(result, expected);
    }

    void exceptionList_data() {
        QTest::addColumn<QStringList>("exceptions");
        QTest::addColumn<QStringList>("expected");
        const QStringList both{"postmaster@hotmial.com", "jane@example.com"};
        QTest::newRow("fragment applied") << QStringList{"hotmial"} << QStringList{"jane@example.com"};
        QTest::newRow("letter case respected") << QStringList{"HOTMIAL"} << both;
        QTest::newRow("empty list") << QStringList{} << both;
    }
    void exceptionList() {
        QFETCH(QStringList, exceptions);
        QFETCH(QStringList, expected);
        QStringList result;
        AddressExtraction::extractemailaddresses({"From postmaster@hotmial.com for jane@example.com"}, result,
                                                 &exceptions);
        QCOMPARE(result, expected);
    }

    void resultMayBeTheInput() {
        QStringList lines{"a@example.com b@example.org", "c@example.net"};
        AddressExtraction::extractemailaddresses(lines, lines, nullptr);
        QCOMPARE(lines, QStringList({"a@example.com", "b@example.org", "c@example.net"}));
    }
};

QTEST_GUILESS_MAIN(TestAddressExtraction)
#include "tst_addressextraction.moc"

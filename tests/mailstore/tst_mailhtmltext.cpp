// Tests of the HTML-to-text conversion of message bodies: which tags break lines or separate cells, how tag
// names are cut, which elements are left out, entities, comments, unfinished markup and blank runs.
#include "mailstore/HtmlText.h"

#include <QTest>

using namespace corvane;

class TestMailHtmlText : public QObject {
    Q_OBJECT

private slots:
    void toPlainText_data();
    void toPlainText();
};

void TestMailHtmlText::toPlainText_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    QTest::newRow("block tags in any case, with attributes and self-closing")
        << QStringLiteral("<P class=\"x\">one</P><DIV>two</div>three<br/>four<BR >five<li>six")
        << QStringLiteral("one\n\ntwo\nthree\nfour\nfive\nsix");
    QTest::newRow("closing tag with blank after slash") << QStringLiteral("a</ p>b< p >c") << QStringLiteral("ab\nc");
    QTest::newRow("tag name cut at a non-ASCII blank")
        << QStringLiteral("x<p\u00a0class=a>y<br\u2028>z") << QStringLiteral("xy\nz");
    QTest::newRow("tag name ending at a rare separator or a vertical tab")
        << QStringLiteral("x<p\u180eq>y<br\u000b>z") << QStringLiteral("xy\nz");
    QTest::newRow("table cells") << QStringLiteral("<table><tr><td>a</td><th>b</th></tr><tr><td>c</td></tr></table>")
                                 << QStringLiteral("a b\n\nc");
    QTest::newRow("skipped elements, unclosed script")
        << QStringLiteral("<head><title>T</title><style>p{}</style></head>vis<script>x()") << QStringLiteral("vis");
    QTest::newRow("uppercase closing of skipped element")
        << QStringLiteral("<SCRIPT>x</Script>after") << QStringLiteral("after");
    QTest::newRow("entities") << QStringLiteral("&amp;&lt;&gt;&quot;&apos;&nbsp;&euro;&#65;&#x42;&#X43;&eacute;&szlig;")
                              << QStringLiteral("&<>\"' \u20acABC\u00e9\u00df");
    QTest::newRow("unknown, invalid and over-long entities")
        << QStringLiteral("&bogus; &#0; &#x110000; &#xZZ; &amp &verylongname; a&b")
        << QStringLiteral("&bogus; &#0; &#x110000; &#xZZ; &amp &verylongname; a&b");
    QTest::newRow("comments, one unclosed")
        << QStringLiteral("a<!-- hidden <p> -->b<!-- never closed") << QStringLiteral("ab");
    QTest::newRow("unclosed tag at the end") << QStringLiteral("text <p unclosed") << QStringLiteral("text");
    QTest::newRow("blank runs and empty lines")
        << QStringLiteral("  a \t b  <p></p><p></p><p>  c\r\n d </p><br><br>") << QStringLiteral("a b\n\nc d");
    QTest::newRow("leading blocks") << QStringLiteral("<p><p>first") << QStringLiteral("first");
}

void TestMailHtmlText::toPlainText() {
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(HtmlText::toPlainText(html), expected);
}

QTEST_GUILESS_MAIN(TestMailHtmlText)
#include "tst_mailhtmltext.moc"

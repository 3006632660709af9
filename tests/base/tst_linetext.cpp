// Values made safe for one line and control characters made visible.
#include "base/LineText.h"

#include <QTest>

using namespace corvane;

class TestLineText : public QObject {
    Q_OBJECT

private slots:
    void forms_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("oneLine");
        QTest::addColumn<QString>("visible");
        QTest::newRow("plain, accents and a tab in one line") << "Jürgen\tLee"
                                                              << "Jürgen\tLee"
                                                              << "Jürgen<U+0009>Lee";
        QTest::newRow("CR LF is one blank, lone CR and LF one each") << "a\r\nb\rc\nd"
                                                                     << "a b c d"
                                                                     << "a<U+000D><U+000A>b<U+000D>c<U+000A>d";
        QTest::newRow("two line ends are two blanks") << "a\r\n\r\nb"
                                                      << "a  b"
                                                      << "a<U+000D><U+000A><U+000D><U+000A>b";
        QTest::newRow("NUL, DEL, C1 next line, line and paragraph separators")
            << QStringLiteral("a") + QChar(0) + QChar(0x7F) + QChar(0x85) + QChar(0x2028) + QChar(0x2029) +
                   QStringLiteral("b")
            << "a     b"
            << "a<U+0000><U+007F><U+0085><U+2028><U+2029>b";
        QTest::newRow("U+009F ends the C1 controls, U+00A0 is none")
            << QStringLiteral("x") + QChar(0x9F) + QChar(0xA0) << QStringLiteral("x ") + QChar(0xA0)
            << QStringLiteral("x<U+009F>") + QChar(0xA0);
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }
    void forms() {
        QFETCH(QString, text);
        QTEST(LineText::oneLine(text), "oneLine");
        QTEST(LineText::oneLine(QStringView(text)), "oneLine");
        QTEST(LineText::visible(text), "visible");
        QFETCH(QString, visible);
        QCOMPARE(LineText::hasControlCharacters(text), visible != text);
    }
};

QTEST_GUILESS_MAIN(TestLineText)
#include "tst_linetext.moc"

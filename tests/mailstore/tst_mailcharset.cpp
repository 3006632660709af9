// Tests of the character set conversion of message text: the sets converted by Qt give exactly what vmime's
// converter gives for every byte, and text of unknown origin is read as UTF-8 or else as ISO-8859-1.
#include "base/CorvaneError.h"
#include "mailstore/MailCharset.h"
#include "mailstore/VmimePlatform.h"

#include <QTest>
#include <vmime/vmime.hpp>

using namespace corvane;

class TestMailCharset : public QObject {
    Q_OBJECT

private slots:
    void sameAsVmime_data();
    void sameAsVmime();
    void lenient_data();
    void lenient();
    void unknownCharsetRaises();
};

void TestMailCharset::sameAsVmime_data() {
    QTest::addColumn<QByteArray>("charset");
    for (const char *name :
         {"ISO-8859-1", "iso-8859-1", "Latin1", "ISO8859-1", "iso_8859-1", "iso-8859-15", "windows-1252", "koi8-r"})
        QTest::newRow(name) << QByteArray(name);
}

void TestMailCharset::sameAsVmime() {
    QFETCH(QByteArray, charset);
    VmimePlatform::ensure();
    std::string every;
    for (int c = 0; c < 256; ++c)
        every += static_cast<char>(c);
    every += "caf\xe9 \xa4 end";
    std::string utf8;
    vmime::charset::convert(every, utf8, vmime::charset(charset.toStdString()), vmime::charset("utf-8"));
    const QString converted = MailCharset::convertedText(every, charset.toStdString());
    QCOMPARE(converted.size(), qsizetype(256 + 10));
    QCOMPARE(converted, QString::fromStdString(utf8));
}

void TestMailCharset::lenient_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("valid UTF-8") << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                               "e")
                                 << QString::fromUtf8("Grüße");
    QTest::newRow("ISO-8859-1 bytes") << QByteArray("Gr\xfc\xdf"
                                                    "e")
                                      << QString::fromUtf8("Grüße");
    QTest::newRow("broken UTF-8 sequence") << QByteArray("caf\xc3 x") << QString::fromUtf8("caf\u00c3 x");
    // A sequence cut off at the very end is not swallowed: the text is read as ISO-8859-1, every byte kept.
    QTest::newRow("UTF-8 cut off at the end") << QByteArray("caf\xc3") << QString::fromUtf8("caf\u00c3");
}

void TestMailCharset::lenient() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(MailCharset::lenientText(bytes), expected);
    QCOMPARE(MailCharset::convertedText(bytes.toStdString(), "UTF-8"), expected);
    QCOMPARE(MailCharset::convertedText(bytes.toStdString(), ""), expected);
}

void TestMailCharset::unknownCharsetRaises() {
    QVERIFY_THROWS_EXCEPTION(CorvaneError, MailCharset::convertedText("x", "x-no-such-charset"));
}

QTEST_GUILESS_MAIN(TestMailCharset)
#include "tst_mailcharset.moc"

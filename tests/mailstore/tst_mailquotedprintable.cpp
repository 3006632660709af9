// Tests of quoted-printable decoding: Corvane's decoder gives exactly what vmime's decoder gives, on well-formed
// text, on every malformed form, and on bodies larger than vmime's read buffer.
#include "mailstore/QuotedPrintable.h"
#include "mailstore/VmimePlatform.h"

#include <QTest>
#include <random>
#include <vmime/vmime.hpp>

using namespace corvane;

namespace {

std::string vmimeDecoded(const std::string &encoded) {
    VmimePlatform::ensure();
    const auto decoder = vmime::utility::encoder::encoderFactory::getInstance()->create("quoted-printable");
    vmime::utility::inputStreamStringAdapter in(encoded);
    std::string out;
    vmime::utility::outputStreamStringAdapter stream(out);
    decoder->decode(in, stream);
    return out;
}

} // namespace

class TestMailQuotedPrintable : public QObject {
    Q_OBJECT

private slots:
    void sameAsVmime_data();
    void sameAsVmime();
    void randomInputSameAsVmime();
};

void TestMailQuotedPrintable::sameAsVmime_data() {
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("plain text") << QByteArray("no escapes at all\n") << QByteArray("no escapes at all\n");
    QTest::newRow("escapes in both cases") << QByteArray("Gr=C3=bc=c3=9Fe")
                                           << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                                         "e");
    QTest::newRow("soft breaks LF and CRLF") << QByteArray("soft=\nbreak=\r\nhere") << QByteArray("softbreakhere");
    QTest::newRow("= before a lone CR eats the next byte") << QByteArray("a=\rXb") << QByteArray("ab");
    QTest::newRow("= before CR at the end") << QByteArray("a=\r") << QByteArray("a");
    QTest::newRow("invalid hex digits count as 0") << QByteArray("=ZZ=G1=1G") << QByteArray("\x00\x01\x10", 3);
    QTest::newRow("= then blank") << QByteArray("x= y") << QByteArray("x\x00", 2);
    QTest::newRow("= at the end") << QByteArray("end=") << QByteArray("end");
    QTest::newRow("= and one digit at the end") << QByteArray("end=4") << QByteArray("end");
    QTest::newRow("trailing blanks kept") << QByteArray("line  \t\n") << QByteArray("line  \t\n");
    QTest::newRow("=3D stays one =") << QByteArray("a=3D3D") << QByteArray("a=3D");
    QTest::newRow("8-bit and NUL bytes copied") << QByteArray("\xff\x00=41", 5)
                                                << QByteArray("\xff\x00"
                                                              "A",
                                                              3);
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestMailQuotedPrintable::sameAsVmime() {
    QFETCH(QByteArray, encoded);
    QFETCH(QByteArray, expected);
    const std::string input = encoded.toStdString();
    QCOMPARE(QByteArray::fromStdString(QuotedPrintable::decoded(input)), expected);
    QCOMPARE(QByteArray::fromStdString(vmimeDecoded(input)), expected);
}

// Random strings made mostly of the characters that matter ("=", line ends, hexadecimal digits and near
// misses), short ones and ones longer than vmime's 16 KB buffer, so that escapes fall across its refills.
void TestMailQuotedPrintable::randomInputSameAsVmime() {
    std::mt19937 random(20261209u);
    const std::string alphabet = std::string("==\r\n09AFafGz \t\xff", 15) + std::string(1, '\0');
    for (int round = 0; round < 400; ++round) {
        const size_t length = round < 380 ? random() % 40 : 16000 + random() % 40000;
        std::string input;
        for (size_t i = 0; i < length; ++i)
            input += alphabet[random() % alphabet.size()];
        const std::string expected = vmimeDecoded(input);
        if (QuotedPrintable::decoded(input) != expected)
            QFAIL(qPrintable(QStringLiteral("differs from vmime for: ") +
                             QString::fromLatin1(QByteArray::fromStdString(input).toPercentEncoding().left(400))));
    }
}

QTEST_GUILESS_MAIN(TestMailQuotedPrintable)
#include "tst_mailquotedprintable.moc"

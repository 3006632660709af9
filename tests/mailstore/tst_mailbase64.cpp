// Tests of base64 decoding: Corvane's decoder gives exactly what vmime's decoder gives, on well-formed text,
// on every malformed form, and on bodies larger than vmime's read buffer.
#include "mailstore/Base64.h"
#include "mailstore/VmimePlatform.h"

#include <QTest>
#include <random>
#include <vmime/vmime.hpp>

using namespace corvane;

namespace {

std::string vmimeDecoded(const std::string &encoded) {
    VmimePlatform::ensure();
    const auto decoder = vmime::utility::encoder::encoderFactory::getInstance()->create("base64");
    vmime::utility::inputStreamStringAdapter in(encoded);
    std::string out;
    vmime::utility::outputStreamStringAdapter stream(out);
    decoder->decode(in, stream);
    return out;
}

} // namespace

class TestMailBase64 : public QObject {
    Q_OBJECT

private slots:
    void sameAsVmime_data();
    void sameAsVmime();
    void randomInputSameAsVmime();
};

void TestMailBase64::sameAsVmime_data() {
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("well formed, wrapped")
        << QByteArray("w6l0w6kg\r\naW4g\nWsO8\r\ncmljaA==\r\n") << QByteArray("\xc3\xa9t\xc3\xa9 in Z\xc3\xbcrich");
    QTest::newRow("one padding") << QByteArray("YWI=") << QByteArray("ab");
    QTest::newRow("short last group dropped") << QByteArray("YWJjZA") << QByteArray("abc");
    QTest::newRow("one character left") << QByteArray("YWJjZ") << QByteArray("abc");
    QTest::newRow("padding in the middle stops") << QByteArray("YQ==YWJj") << QByteArray("a");
    QTest::newRow("= in first place stops") << QByteArray("=YWJj") << QByteArray();
    QTest::newRow("characters outside the alphabet") << QByteArray("YW!j*GQ=") << QByteArray::fromHex("616fe3fc64");
    QTest::newRow("8-bit and NUL bytes") << QByteArray("Y\xffJ\x00Y", 5) << QByteArray::fromHex("63f2ff");
    QTest::newRow("blanks only") << QByteArray(" \t\r\n") << QByteArray();
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestMailBase64::sameAsVmime() {
    QFETCH(QByteArray, encoded);
    QFETCH(QByteArray, expected);
    const std::string input = encoded.toStdString();
    QCOMPARE(QByteArray::fromStdString(vmimeDecoded(input)), expected);
    QCOMPARE(QByteArray::fromStdString(Base64::decoded(input)), expected);
}

// Random strings of alphabet characters with blanks, line ends, "=" and characters outside the alphabet, short
// ones and ones longer than vmime's 16 KB buffer, so that groups fall across its refills.
void TestMailBase64::randomInputSameAsVmime() {
    std::mt19937 random(20261209u);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string odd = std::string("= \t\r\n!*-_.\xff", 12) + std::string(1, '\0');
    for (int round = 0; round < 400; ++round) {
        const size_t length = round < 380 ? random() % 40 : 16000 + random() % 40000;
        const unsigned oddShare = round % 4 == 0 ? 2 : 40;
        std::string input;
        for (size_t i = 0; i < length; ++i)
            input += random() % oddShare == 0 ? odd[random() % odd.size()] : alphabet[random() % alphabet.size()];
        const std::string expected = vmimeDecoded(input);
        if (Base64::decoded(input) != expected)
            QFAIL(qPrintable(QStringLiteral("differs from vmime for: ") +
                             QString::fromLatin1(QByteArray::fromStdString(input).toPercentEncoding().left(400))));
    }
}

QTEST_GUILESS_MAIN(TestMailBase64)
#include "tst_mailbase64.moc"

// The relay library's reading of DNS answers, which are hostile input: well-formed answers with name
// compression and CNAME, and answers that are cut short, truncated, loop, point forwards, or do not belong to
// the question, each refused with its reason and without reading past the packet.
#include "relay/DnsMessage.h"

#include <QTest>

using namespace corvane::relay;

namespace {

const QByteArray kName("\x07"
                       "corvane\x04test\x00",
                       14);
const QByteArray kPointer("\xC0\x0C", 2); // to the question's name at offset 12

QByteArray u16(int v) {
    return QByteArray(1, static_cast<char>(v >> 8)) + QByteArray(1, static_cast<char>(v & 0xFF));
}

// An answer with id 0x1234 and `flags`, one question for corvane.test of `type`, and `records`.
QByteArray answer(int type, int count, const QByteArray &records, int flags = 0x8180, int id = 0x1234) {
    return u16(id) + u16(flags) + u16(1) + u16(count) + u16(0) + u16(0) + kName + u16(type) + u16(1) + records;
}

QByteArray record(const QByteArray &owner, int type, const QByteArray &data) {
    return owner + u16(type) + u16(1) + u16(0) + u16(60) + u16(static_cast<int>(data.size())) + data;
}

} // namespace

class TestDnsMessage : public QObject {
    Q_OBJECT
private slots:
    void query() {
        QCOMPARE(DnsMessage::query(0x1234, "corvane.test", DnsMessage::Mx),
                 QByteArray("\x12\x34\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00", 12) + kName + u16(15) + u16(1));
    }
    void parse_data();
    void parse();
};

// Rows: the packet, the type asked for; the records read ("PREF HOST" or addresses) or a part of the error.
void TestDnsMessage::parse_data() {
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QString>("errorPart");
    const QByteArray mxData = u16(10) + QByteArray("\x02mx", 3) + kPointer;
    QTest::newRow("MX with a compressed name")
        << answer(15, 1, record(kPointer, 15, mxData)) << 15 << QStringList{"10 mx.corvane.test"} << "";
    QTest::newRow("null MX") << answer(15, 1, record(kPointer, 15, u16(0) + QByteArray(1, '\0'))) << 15
                             << QStringList{"0 "} << "";
    const QByteArray alias("\x05"
                           "alias\xC0\x0C",
                           8); // alias.corvane.test, written in the CNAME at offset 42
    QTest::newRow("CNAME then the address")
        << answer(1, 2, record(kPointer, 5, alias) + record(QByteArray("\xC0\x2A", 2), 1, QByteArray("\x7F\0\0\1", 4)))
        << 1 << QStringList{"127.0.0.1"} << "";
    QTest::newRow("another name's address is not taken")
        << answer(1, 1, record(QByteArray("\x01x\xC0\x0C", 4), 1, QByteArray("\x7F\0\0\1", 4))) << 1 << QStringList{}
        << "";
    QTest::newRow("cut inside the header") << answer(15, 0, {}).left(7) << 15 << QStringList{} << "shorter than";
    QTest::newRow("cut inside a record") << answer(15, 1, record(kPointer, 15, mxData)).chopped(3) << 15
                                         << QStringList{} << "runs past the end";
    QTest::newRow("truncated by the server") << answer(15, 0, {}, 0x8380) << 15 << QStringList{} << "truncated";
    QTest::newRow("compression loop") << answer(15, 1, record(QByteArray("\xC0\x1E", 2), 15, mxData)) << 15
                                      << QStringList{} << "loops";
    QTest::newRow("pointer forwards") << answer(15, 1, record(QByteArray("\xC0\x40", 2), 15, mxData)) << 15
                                      << QStringList{} << "points forwards";
    QTest::newRow("label past the end") << answer(15, 1,
                                                  QByteArray("\x3F"
                                                             "abc",
                                                             4))
                                        << 15 << QStringList{} << "runs past the end";
    QTest::newRow("another id") << answer(15, 0, {}, 0x8180, 0x4321) << 15 << QStringList{} << "not the answer";
    QTest::newRow("a query, not an answer") << answer(15, 0, {}, 0x0100) << 15 << QStringList{} << "not the answer";
    QTest::newRow("another question") << answer(1, 0, {}) << 15 << QStringList{} << "another question";
    QTest::newRow("address of the wrong length")
        << answer(1, 1, record(kPointer, 1, QByteArray("\x7F\0\0", 3))) << 1 << QStringList{} << "wrong length";
}

void TestDnsMessage::parse() {
    QFETCH(QByteArray, packet);
    QFETCH(int, type);
    QFETCH(QStringList, records);
    QFETCH(QString, errorPart);
    QString error;
    const std::optional<DnsMessage::Answer> result =
        DnsMessage::parse(packet, 0x1234, "corvane.test", static_cast<DnsMessage::Type>(type), error);
    if (!errorPart.isEmpty()) {
        QVERIFY(!result);
        QVERIFY2(error.contains(errorPart), qPrintable(error));
        return;
    }
    QVERIFY2(result, qPrintable(error));
    QStringList read;
    for (const DnsMessage::MxRecord &mx : result->mx) {
        read << QString::number(mx.preference) + QLatin1Char(' ') + QString::fromLatin1(mx.exchange);
    }
    for (const QHostAddress &address : result->addresses) {
        read << address.toString();
    }
    QCOMPARE(read, records);
}

QTEST_GUILESS_MAIN(TestDnsMessage)
#include "tst_dnsmessage.moc"

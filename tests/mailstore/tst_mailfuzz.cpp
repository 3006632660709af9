// Fuzz test of the mail reader: every public read path over each seed message (the fixtures, the hostile seeds
// under fuzz/ and a few built here) and over variants mutated from it deterministically, so a failure repeats.
// No input may raise anything but CorvaneError, put a control character into a one-line value or NUL into the
// body.
#include "MailReaderProbe.h"

#include <QDir>
#include <QTest>
#include <random>

using namespace corvane;

namespace {

constexpr int kVariantsPerSeed = 100;
constexpr qsizetype kMaxVariantBytes = 64 * 1024;

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing seed %s", qPrintable(path));
    return file.readAll();
}

// A message nested `depth` multipart levels deep with its only text at the bottom, and one with its text first.
QByteArray nestedMessage(int depth, bool textFirst) {
    QByteArray head = "From: deep@example.org\nSubject: deep\n";
    QByteArray tail;
    for (int level = 0; level < depth; ++level) {
        const QByteArray b = "n" + QByteArray::number(level);
        head += "Content-Type: multipart/mixed; boundary=" + b + "\n\n--" + b + "\n";
        if (textFirst && level == 0)
            head += "Content-Type: text/plain\n\nshallow text\n--" + b + "\n";
        tail = "\n--" + b + "--\n" + tail;
    }
    return head + "Content-Type: text/plain\n\ndeepest\n" + tail;
}

// `seed` changed by one to four random edits drawn from `random`: a byte overwritten, a token of mail syntax
// inserted, a range deleted or repeated, the end cut off.
QByteArray mutated(QByteArray seed, std::mt19937 &random) {
    static const QList<QByteArray> tokens = {
        "\r",
        "\n",
        "\r\n",
        QByteArray(1, '\0'),
        "\x85",
        "\xe2\x80\xa8",
        "=?UVF-8?Q?",
        "=?utf-8?q?=0D=0A?=",
        "=?utf-8?b?",
        "?=",
        "Content-Type: multipart/mixed; boundary=b\n",
        "\n--b\n",
        "\n--b--\n",
        "Content-Transfer-Encoding: base64\n",
        "Content-Transfer-Encoding: quoted-printable\n",
        "; charset=",
        "message/rfc822",
        "From: ",
        "To: ",
        "Reply-To: ",
        "<",
        ">",
        "\"",
        ",",
        ":",
        ";",
        "\t",
        " ",
        "=\n",
        "=C3",
        "\n\n",
        "BEGIN:VCARD\n",
        "FN:",
        "EMAIL:",
        "\\n",
        "Content-Disposition: attachment; filename=",
    };
    const auto below = [&](qsizetype bound) {
        return bound <= 0 ? qsizetype(0) : std::uniform_int_distribution<qsizetype>(0, bound - 1)(random);
    };
    const int edits = 1 + static_cast<int>(below(4));
    for (int i = 0; i < edits; ++i) {
        const qsizetype at = below(seed.size() + 1);
        switch (below(5)) {
        case 0:
            if (at < seed.size())
                seed[at] = static_cast<char>(below(256));
            break;
        case 1:
            seed.insert(at, tokens[below(tokens.size())]);
            break;
        case 2:
            seed.remove(at, below(64));
            break;
        case 3:
            if (seed.size() < kMaxVariantBytes)
                seed.insert(at, seed.mid(below(seed.size()), below(256)));
            break;
        default:
            seed.truncate(at);
            break;
        }
    }
    return seed;
}

} // namespace

class TestMailFuzz : public QObject {
    Q_OBJECT

private slots:
    void readPaths_data();
    void readPaths();
    void builtSeeds_data();
    void builtSeeds();
};

void TestMailFuzz::readPaths_data() {
    QTest::addColumn<QByteArray>("seed");
    for (const QString &dirName :
         {QStringLiteral(CORVANE_TEST_DATA "/mail"), QStringLiteral(CORVANE_TEST_DATA "/mail/fuzz")}) {
        const QDir dir(dirName);
        for (const QString &name : dir.entryList({QStringLiteral("*.eml"), QStringLiteral("*.vcf")}, QDir::Files))
            QTest::newRow(qPrintable(dir.dirName() + QLatin1Char('/') + name)) << fileBytes(dir.filePath(name));
    }
    QTest::newRow("nested 40 levels, text at the bottom") << nestedMessage(40, false);
    QTest::newRow("nested 40 levels, text first") << nestedMessage(40, true);
}

void TestMailFuzz::readPaths() {
    QFETCH(QByteArray, seed);
    std::mt19937 random(static_cast<unsigned>(qHash(seed)));
    QStringList faults = test::probeReader(seed);
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("seed: ") + faults.join(QStringLiteral("; "))));
    for (int i = 0; i < kVariantsPerSeed; ++i) {
        const QByteArray variant = mutated(seed, random);
        faults = test::probeReader(variant);
        QVERIFY2(faults.isEmpty(),
                 qPrintable(QStringLiteral("variant %1: %2 in\n%3")
                                .arg(i)
                                .arg(faults.join(QStringLiteral("; ")),
                                     QString::fromLatin1(variant.left(2000).toPercentEncoding(" \n")))));
    }
}

// Structures too large to mutate: deep nesting, which overflowed vmime's stack, and many parts each of which
// searches the rest of the message for its boundary. Each must be read within the reader's limits, the text found where
// the structure allows it.
void TestMailFuzz::builtSeeds_data() {
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("body");
    QTest::newRow("4,000 levels, text at the bottom: ignored") << nestedMessage(4000, false) << QString();
    QTest::newRow("4,000 levels, text first") << nestedMessage(4000, true) << QStringLiteral("shallow text");
    QTest::newRow("20,000 levels, text first") << nestedMessage(20000, true) << QStringLiteral("shallow text");
    QTest::newRow("16 levels, within the quick split") << nestedMessage(16, false) << QStringLiteral("deepest\r\n");
    QTest::newRow("24 levels, within what vmime is given") << nestedMessage(24, false) << QStringLiteral("deepest\r\n");
    QByteArray siblings =
        "Subject: s\nContent-Type: multipart/mixed; boundary=o\n\n--o\nContent-Type: text/plain\n\nfirst\n";
    for (int i = 0; i < 20000; ++i) {
        const QByteArray b = "u" + QByteArray::number(i);
        siblings +=
            "--o\nContent-Type: multipart/mixed; boundary=" + b + "\n\n--" + b + "\nContent-Type: text/plain\n\nx\n";
    }
    QTest::newRow("20,000 parts whose boundary never closes") << siblings + "--o--\n" << QStringLiteral("first");
}

void TestMailFuzz::builtSeeds() {
    QFETCH(QByteArray, raw);
    QFETCH(QString, body);
    const QStringList faults = test::probeReader(raw);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("; "))));
    auto store = std::make_shared<test::MemoryMailStore>(raw);
    QString read;
    try {
        read = MailItem(store, QString(), test::MemoryMailStore::entry()).body();
    } catch (const CorvaneError &e) {
        read = QStringLiteral("raised: ") + e.message();
    }
    QCOMPARE(read, body);
}

QTEST_GUILESS_MAIN(TestMailFuzz)
#include "tst_mailfuzz.moc"

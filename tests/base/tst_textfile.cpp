// Text files as Corvane reads and writes them: decoding of UTF-8 and older single-byte files, merging of one
// copy's changes into a file another copy changed, whole-or-nothing writing.
#include "base/AtomicFile.h"
#include "base/LineMerge.h"
#include "base/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <utime.h>

using namespace corvane;

namespace {
QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
void makeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}
} // namespace

class TestTextFile : public QObject {
    Q_OBJECT

private slots:
    void decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("UTF-8") << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                             "e\r\n")
                               << QStringList{QStringLiteral("Grüße")};
        QTest::newRow("Latin-1") << QByteArray("Gr\xFC\xDF"
                                               "e\r\n")
                                 << QStringList{QStringLiteral("Grüße")};
        QTest::newRow("Windows-1252 quotes and euro") << QByteArray("\x93"
                                                                    "5 \x80\x94")
                                                      << QStringList{QStringLiteral("\u201C5 \u20AC\u201D")};
        QTest::newRow("undefined byte kept") << QByteArray("a\x81"
                                                           "b")
                                             << QStringList{QStringLiteral("a\u0081b")};
        QTest::newRow("each line on its own")
            << QByteArray("caf\xC3\xA9\ncaf\xE9\n") << QStringList{QStringLiteral("café"), QStringLiteral("café")};
        QTest::newRow("byte order mark dropped")
            << QByteArray("\xEF\xBB\xBFone\r\n\r\ntwo") << QStringList{"one", "", "two"};
    }
    void decoding() {
        QFETCH(QByteArray, bytes);
        QTEST(TextFile::decodeLines(bytes), "lines");
    }

    // A device behind a text file's name is refused instead of being read without end.
    void devicesAreNotRead() {
        QTemporaryDir tmp;
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), tmp.filePath(QStringLiteral("never.txt"))));
        QVERIFY_THROWS_EXCEPTION(std::exception, TextFile::readLines(tmp.filePath(QStringLiteral("never.txt"))));
    }

    void merging_data() {
        QTest::addColumn<QStringList>("baseline");
        QTest::addColumn<QStringList>("current");
        QTest::addColumn<QStringList>("onDisk");
        QTest::addColumn<QStringList>("merged");
        QTest::newRow("disk unchanged keeps our order") << QStringList{"a", "b"} << QStringList{"b", "a", "c"}
                                                        << QStringList{"a", "b"} << QStringList{"b", "a", "c"};
        QTest::newRow("both added") << QStringList{"a"} << QStringList{"a", "mine"} << QStringList{"a", "theirs"}
                                    << QStringList{"a", "theirs", "mine"};
        QTest::newRow("we removed, they added")
            << QStringList{"a", "b"} << QStringList{"b"} << QStringList{"a", "b", "c"} << QStringList{"b", "c"};
        QTest::newRow("identical lines counted") << QStringList{"x"} << QStringList{"x", "x", "x"}
                                                 << QStringList{"x", "y"} << QStringList{"x", "y", "x", "x"};
        QTest::newRow("lines never loaded are kept")
            << QStringList{} << QStringList{"new"} << QStringList{"old"} << QStringList{"old", "new"};
    }
    void merging() {
        QFETCH(QStringList, baseline);
        QFETCH(QStringList, current);
        QFETCH(QStringList, onDisk);
        QTEST(LineMerge::merge(baseline, current, onDisk), "merged");
    }

    // update() writes only a changed or missing file, and a failing write leaves the file as it was.
    void lockedUpdate() {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("never.txt"));
        const auto add = [](const QStringList &lines) { return lines + QStringList{QStringLiteral("z")}; };
        QCOMPARE(TextFile::update(path, {QStringLiteral("built-in")}, add), (QStringList{"built-in", "z"}));
        makeFile(path, "Gr\xFC\xDF"
                       "e\r\n");
        const auto same = [](const QStringList &lines) { return lines; };
        QCOMPARE(TextFile::update(path, {}, same), QStringList{QStringLiteral("Grüße")});
        QCOMPARE(bytesOf(path), QByteArray("Gr\xFC\xDF"
                                           "e\r\n"));
        QCOMPARE(TextFile::update(path, {}, add), (QStringList{QStringLiteral("Grüße"), "z"}));
        QCOMPARE(bytesOf(path), QByteArray("Gr\xC3\xBC\xC3\x9F"
                                           "e\r\nz\r\n"));
        QVERIFY(!QFile::exists(path + QStringLiteral(".lock")));
    }

    // A write that is not committed leaves the old file; a device stays a device.
    void wholeOrNothing() {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("backup.csv"));
        makeFile(path, "old\r\n");
        {
            AtomicFile file(path);
            QVERIFY(file.open());
            QVERIFY(file.write("half"));
        }
        QCOMPARE(bytesOf(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"backup.csv"});
        AtomicFile null(QStringLiteral("/dev/null"));
        QVERIFY(null.open());
        QVERIFY(null.write("x"));
        QVERIFY(null.commit());
        QVERIFY(!QFileInfo(QStringLiteral("/dev/null")).isFile());
    }

    void staleTemporaries() {
        QTemporaryDir tmp;
        const QStringList names{"never.txt.a1B2c3", "backup 2.csv.Zz9Yy8", "fresh.txt.abcdef", "keep.txt",
                                "notes.txt.toolong1"};
        for (const QString &name : names) {
            makeFile(tmp.filePath(name), "x");
            if (!name.startsWith(QLatin1String("fresh"))) {
                const utimbuf old{0, 0};
                QCOMPARE(::utime(QFile::encodeName(tmp.filePath(name)).constData(), &old), 0);
            }
        }
        QCOMPARE(AtomicFile::removeStaleTemporaries(tmp.path()), 2);
        QCOMPARE(QDir(tmp.path()).entryList(QDir::Files, QDir::Name),
                 (QStringList{"fresh.txt.abcdef", "keep.txt", "notes.txt.toolong1"}));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"

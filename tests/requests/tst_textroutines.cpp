// The word splitter on request lines, filters and recipient fields, the field splitter, the string helpers,
// the date-time stamp and the one-line file append.
#include "requests/TextRoutines.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

namespace {

QByteArray readBytes(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QByteArrayLiteral("<unreadable>");
    }
    return file.readAll();
}

} // namespace

class TestTextRoutines : public QObject {
    Q_OBJECT

private slots:
    void wordSplitter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<bool>("skipWords");
        QTest::addColumn<bool>("stripQuotes");
        QTest::addColumn<bool>("joinWords");
        QTest::addColumn<QStringList>("expected");

        // Request command lines: skip, strip and join all on.
        const auto command = [](const char *name, const char *text, const QStringList &expected) {
            QTest::newRow(name) << QString::fromUtf8(text) << QStringLiteral(" ") << true << true << true << expected;
        };
        command("subscribe me to address category", "subscribe me to john@example.com Sports News",
                {"subscribe", "john@example.com", "Sports News"});
        command("join category address", "join Sports News john@example.com",
                {"join", "Sports News", "john@example.com"});
        command("category split by address", "subscribe Sports john@example.com Weekly News",
                {"subscribe", "Sports", "john@example.com", "Weekly News"});
        command("addresses never join", "change old@example.com new@example.com",
                {"change", "old@example.com", "new@example.com"});
        command("skip words any case, quotes stripped", "RE: Subscribe ME To \"john@example.com\" \"Sports\"",
                {"Subscribe", "john@example.com", "Sports"});
        command("@ in first position does not count", "join a b @home", {"join", "a b @home"});
        command("doubled delimiters", "  join   Sports    News  ", {"join", "Sports News"});
        command("spaces only", "     ", {});
        command("one quote pair stripped", "join \"\"Sports\"\"", {"join", "\"Sports\""});
        command("quoted empty word dropped", "join \"\" Sports", {"join", "Sports"});

        // Errors-list reprocessing: quotes kept.
        QTest::newRow("quotes kept, words joined")
            << "join \"Sports News\""
            << " " << true << false << true << QStringList{"join", "\"Sports News\""};
        // Joining off.
        QTest::newRow("join off") << "join Sports News"
                                  << " " << true << true << false << QStringList{"join", "Sports", "News"};
        // Category filter: "," with every flag off.
        QTest::newRow("comma filter") << "Sports, News ,,Me, to ,\"Quoted\""
                                      << "," << false << false << false
                                      << QStringList{"Sports", "News", "Me", "to", "\"Quoted\""};
        QTest::newRow("comma filter, trailing comma")
            << "Sports,News,"
            << "," << false << false << false << QStringList{"Sports", "News"};
        QTest::newRow("joining needs a space delimiter") << "a,b,c"
                                                         << "," << false << false << true << QStringList{"a", "b", "c"};
        // Recipient fields: ";".
        QTest::newRow("recipient field") << "a@example.com; Jane Roe ;b@example.com;"
                                         << ";" << false << false << false
                                         << QStringList{"a@example.com", "Jane Roe", "b@example.com"};
        QTest::newRow("empty delimiter keeps the text whole") << " a b "
                                                              << "" << false << false << false << QStringList{"a b"};
    }
    void wordSplitter() {
        QFETCH(QString, text);
        QFETCH(QString, delimiter);
        QFETCH(bool, skipWords);
        QFETCH(bool, stripQuotes);
        QFETCH(bool, joinWords);
        QFETCH(QStringList, expected);
        QStringList list{"left over"};
        TextRoutines::OCVStrToStringlist(list, text, delimiter, skipWords, stripQuotes, joinWords);
        QCOMPARE(list, expected);
    }

    void fieldSplitter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("stripQuotes");
        QTest::addColumn<bool>("keepEmpty");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty field kept") << "a,,b" << false << true << QStringList{"a", "", "b"};
        QTest::newRow("empty field dropped") << "a,,b" << false << false << QStringList{"a", "b"};
        QTest::newRow("trailing delimiter closes the last field") << "a,b," << false << true << QStringList{"a", "b"};
        QTest::newRow("doubled trailing delimiter") << "a,b,," << false << true << QStringList{"a", "b", ""};
        QTest::newRow("blank fields") << " , " << false << true << QStringList{"", ""};
        QTest::newRow("quoted fields") << "\"x\", \"y\" ,\"\"" << true << true << QStringList{"x", "y", ""};
        QTest::newRow("delimiter alone") << "," << false << true << QStringList{};
    }
    void fieldSplitter() {
        QFETCH(QString, text);
        QFETCH(bool, stripQuotes);
        QFETCH(bool, keepEmpty);
        QFETCH(QStringList, expected);
        QStringList list{"left over"};
        TextRoutines::SplitText(list, text, QStringLiteral(","), stripQuotes, keepEmpty);
        QCOMPARE(list, expected);
    }

    void replaceAll_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *text, const char *search, const char *replacement,
                            const char *expected) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(search)
                                << QString::fromUtf8(replacement) << QString::fromUtf8(expected);
        };
        row("merge field", "Dear [name], hello [name]", "[name]", "John", "Dear John, hello John");
        row("replacement holds search", "a b a", "a", "aa", "aa b aa");
        row("replacement wraps search", "[n][n]", "[n]", "[[n]]", "[[n]][[n]]");
        row("joined pieces not searched again", "aab", "ab", "b", "ab");
        row("empty text", "", "a", "b", "");
        row("empty search", "abc", "", "z", "abc");
    }
    void replaceAll() {
        QFETCH(QString, text);
        QFETCH(QString, search);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(TextRoutines::ReplaceAll(text, search, replacement), expected);
    }

    void removeAll_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("part");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *text, const char *part, const char *expected) {
            QTest::newRow(name) << QString::fromUtf8(text) << QString::fromUtf8(part) << QString::fromUtf8(expected);
        };
        row("pieces joined by a removal", "aabb", "ab", "");
        row("every occurrence", "a--b-c", "-", "abc");
        row("empty part", "abc", "", "abc");
    }
    void removeAll() {
        QFETCH(QString, text);
        QFETCH(QString, part);
        QFETCH(QString, expected);
        QCOMPARE(TextRoutines::RemoveAll(text, part), expected);
    }

    void leftAndDropChars_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("dropped");
        QTest::newRow("0") << 0 << QString() << QStringLiteral("abc");
        QTest::newRow("length") << 3 << QStringLiteral("abc") << QString();
        QTest::newRow("negative") << -1 << QString() << QStringLiteral("abc");
    }
    void leftAndDropChars() {
        QFETCH(int, n);
        QFETCH(QString, left);
        QFETCH(QString, dropped);
        QCOMPARE(TextRoutines::LeftChars(QStringLiteral("abc"), n), left);
        QCOMPARE(TextRoutines::DropLeftChars(QStringLiteral("abc"), n), dropped);
    }

    void textToBool_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ifDefaultFalse");
        QTest::addColumn<bool>("ifDefaultTrue");
        QTest::newRow("true") << "true" << true << true;
        QTest::newRow("False") << "False" << false << false;
        QTest::newRow("padded") << " true" << false << true;
        QTest::newRow("yes") << "yes" << false << true;
        QTest::newRow("empty") << "" << false << true;
    }
    void textToBool() {
        QFETCH(QString, text);
        QFETCH(bool, ifDefaultFalse);
        QFETCH(bool, ifDefaultTrue);
        QCOMPARE(TextRoutines::TextToBool(text, false), ifDefaultFalse);
        QCOMPARE(TextRoutines::TextToBool(text, true), ifDefaultTrue);
    }

    void trailingSeparator_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *path, const char *expected) {
            QTest::newRow(name) << QString::fromUtf8(path) << QString::fromUtf8(expected);
        };
        row("appended", "/home/user/corvane", "/home/user/corvane/");
        row("slash kept", "/home/user/", "/home/user/");
        row("backslash kept", "C:\\Corvane\\", "C:\\Corvane\\");
        row("trimmed first", "  /data \t", "/data/");
        row("empty", "", "");
    }
    void trailingSeparator() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(TextRoutines::IncludeTrailingSeparator(path), expected);
    }

    void appendLineToFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("log.txt"));

        QVERIFY(TextRoutines::AppendLineToFile(path, QStringLiteral("Zo\u00eb joined"), false));
        QCOMPARE(readBytes(path), QByteArray("Zo\xc3\xab joined\r\n"));
        QVERIFY(TextRoutines::AppendLineToFile(path, QString(), false));
        QVERIFY(TextRoutines::AppendLineToFile(path, QStringLiteral("second"), false));
        QCOMPARE(readBytes(path), QByteArray("Zo\xc3\xab joined\r\n\r\nsecond\r\n"));
        QVERIFY(TextRoutines::AppendLineToFile(path, QStringLiteral("fresh"), true));
        QCOMPARE(readBytes(path), QByteArray("fresh\r\n"));

        const QString created = dir.filePath(QStringLiteral("new.txt"));
        QVERIFY(TextRoutines::AppendLineToFile(created, QStringLiteral("x"), true));
        QCOMPARE(readBytes(created), QByteArray("x\r\n"));
    }

    // A missing folder, a folder in place of the file and an empty name all answer false, whatever the mode.
    void appendLineToFileFailures() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        for (const QString &path : {dir.filePath(QStringLiteral("missing/log.txt")), dir.filePath("sub"), QString()}) {
            QVERIFY2(!TextRoutines::AppendLineToFile(path, QStringLiteral("line"), false), qPrintable(path));
            QVERIFY2(!TextRoutines::AppendLineToFile(path, QStringLiteral("line"), true), qPrintable(path));
        }
    }

    // Short date, one space, long time, in the default locale.
    void dateTimeStamp() {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QLocale locale;
        const QString format =
            locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + locale.timeFormat(QLocale::LongFormat);
        const QString before = locale.toString(QDateTime::currentDateTime(), format);
        const QString stamp = TextRoutines::getdatetimestring();
        const QString after = locale.toString(QDateTime::currentDateTime(), format);
        QLocale::setDefault(previous);
        QVERIFY2(stamp == before || stamp == after, qPrintable(stamp));
    }
};

QTEST_GUILESS_MAIN(TestTextRoutines)
#include "tst_textroutines.moc"

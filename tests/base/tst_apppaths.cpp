// Path tidying, the application directory and the text-file line ends.
#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "base/StoredText.h"
#include "base/TextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

class TestAppPaths : public QObject {
    Q_OBJECT

private slots:
    void fixpath_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("add");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty stays empty") << "   " << true << "";
        QTest::newRow("append") << " /data/lists " << true << "/data/lists/";
        QTest::newRow("no append") << "/data/lists" << false << "/data/lists";
        QTest::newRow("slash kept") << "/data/lists/" << true << "/data/lists/";
        QTest::newRow("slash removed") << "/data/lists/" << false << "/data/lists";
        QTest::newRow("backslash kept") << "C:\\lists\\" << true << "C:\\lists\\";
        QTest::newRow("backslash removed") << "C:\\lists\\" << false << "C:\\lists";
    }
    void fixpath() {
        QFETCH(QString, text);
        QFETCH(bool, add);
        QFETCH(QString, expected);
        QCOMPARE(AppPaths::fixpath(text, add), expected);
    }

    void applicationDirectoryOverride() {
        QTemporaryDir tmp;
        const QString dir = tmp.path() + QStringLiteral("/home/sub");
        AppPaths::setApplicationDirectory(dir);
        QCOMPARE(AppPaths::applicationDirectory(), dir + QLatin1Char('/'));
        QVERIFY(QFileInfo(dir).isDir());
        AppPaths::setApplicationDirectory(QString());
        QVERIFY(AppPaths::applicationDirectory() != dir + QLatin1Char('/'));
    }

    void textFileLineEnds() {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("lines.txt"));
        TextFile::writeLines(path, {QStringLiteral("one"), QString(), QStringLiteral("drei ü")});
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("one\r\n\r\ndrei \xc3\xbc\r\n"));
        f.close();
        QCOMPARE(TextFile::readLines(path), QStringList({"one", "", "drei ü"}));

        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("a\nb\r\nc");
        f.close();
        QCOMPARE(TextFile::readLines(path), QStringList({"a", "b", "c"}));
        TextFile::appendLine(path, QStringLiteral("d"));
        QCOMPARE(TextFile::readLines(path), QStringList({"a", "b", "cd"}));
    }

    void storedBooleans_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fallback");
        QTest::addColumn<bool>("expected");
        QTest::newRow("TRUE") << "TRUE" << false << true;
        QTest::newRow("true") << "true" << false << true;
        QTest::newRow("True") << "True" << false << true;
        QTest::newRow("False") << "False" << true << false;
        QTest::newRow("yes gives default") << "yes" << true << true;
        QTest::newRow("yes gives default off") << "yes" << false << false;
        QTest::newRow("empty gives default") << "" << true << true;
        QTest::newRow("1 is not a boolean") << "1" << false << false;
    }
    void storedBooleans() {
        QFETCH(QString, text);
        QFETCH(bool, fallback);
        QFETCH(bool, expected);
        QCOMPARE(StoredText::toBool(text, fallback), expected);
    }

    void storedIntegers() {
        QCOMPARE(StoredText::toInt(QStringLiteral("42"), 7), 42);
        QCOMPARE(StoredText::toInt(QStringLiteral("-1"), 7), -1);
        QCOMPARE(StoredText::toInt(QStringLiteral("4x"), 7), 7);
        QCOMPARE(StoredText::toInt(QString(), 7), 7);
        QCOMPARE(StoredText::fromBool(true), QStringLiteral("true"));
        QCOMPARE(StoredText::fromBool(false), QStringLiteral("False"));
    }

    void missingFileRaises() {
        QVERIFY_THROWS_EXCEPTION(CorvaneError, TextFile::readLines(QStringLiteral("/nonexistent/x.txt")));
    }
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"

// Harvesting addresses from a folder of files: the extension rule, which files are read (capitals, no
// extension, Rich Text Format, sub-folders, links, pipes), the Rich Text Format reading, a malformed file's
// question and hostile file names.
#include "ScriptedPrompt.h"
#include "base/CorvaneError.h"
#include "listio/FileFolderHarvest.h"
#include "listio/RtfText.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace corvane;

class TestFileHarvest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QTemporaryDir> outside;
    std::unique_ptr<ScriptedPrompt> prompt;
    Settings settings;

    static void write(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    QString in(const QString &name) const { return dir->filePath(name); }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        outside = std::make_unique<QTemporaryDir>();
        prompt = std::make_unique<ScriptedPrompt>();
        write(in(QStringLiteral("upper.TXT")), "Write to Ann@Example.org please\r\n");
        write(in(QStringLiteral("lower.txt")), "ann@example.org, bob@example.org\n");
        write(in(QStringLiteral("README")), "no extension: noext@example.org\n");
        write(in(QStringLiteral("letter.rtf")),
              "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial hidden@font.org;}}{\\*\\generator gen@x.org;}"
              "\\f0 Dear Jos\\'e9,\\par write to rtf@example.org\\line or {\\b bold@example.org}}");
        QDir().mkpath(in(QStringLiteral("sub")));
        write(in(QStringLiteral("sub/deep.txt")), "deep@example.org\n");
        write(outside->filePath(QStringLiteral("secret.txt")), "secret@example.org\n");
        QFile::link(outside->filePath(QStringLiteral("secret.txt")), in(QStringLiteral("escape.txt")));
        QFile::link(in(QStringLiteral("lower.txt")), in(QStringLiteral("alias.txt")));
        QVERIFY(::mkfifo(qPrintable(in(QStringLiteral("pipe.txt"))), 0600) == 0);
    }

    void extensionMatch_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("match");
        QTest::newRow("capitals") << "A.TXT"
                                  << "*.txt" << true;
        QTest::newRow("other extension") << "a.csv"
                                         << "*.txt" << false;
        QTest::newRow("no extension, text mask") << "README"
                                                 << "*.txt" << false;
        QTest::newRow("no extension as .aaa") << "README"
                                              << "*.txt;*.aaa" << true;
        QTest::newRow("last extension counts") << "a.txt.bak"
                                               << "*.txt" << false;
        QTest::newRow("all files") << "README"
                                   << "*.*" << true;
        QTest::newRow("all files with ;") << "x.y"
                                          << "*.*;" << true;
        QTest::newRow("second pattern") << "b.Rtf"
                                        << "*.txt;*.rtf" << true;
        QTest::newRow("extension part of another") << "a.xt"
                                                   << "*.txt" << false;
    }
    void extensionMatch() {
        QFETCH(QString, name);
        QFETCH(QString, mask);
        QFETCH(bool, match);
        QCOMPARE(FileFolderHarvest::extensionMatches(name, mask), match);
    }

    void scan_data() {
        QTest::addColumn<int>("fileType");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("text files") << 0 << QStringList{"Ann@Example.org", "bob@example.org"};
        QTest::newRow("all files") << 1
                                   << QStringList{"Ann@Example.org", "bob@example.org", "bold@example.org",
                                                  "noext@example.org", "rtf@example.org"};
    }
    void scan() {
        QFETCH(int, fileType);
        QFETCH(QStringList, lines);
        FileFolderHarvest harvest(settings, *prompt);
        const FileFolderHarvest::Result result = harvest.scan(dir->path(), FileFolderHarvest::maskOf(fileType));
        QCOMPARE(result.outcome, FileFolderHarvest::Outcome::Completed);
        QStringList got = result.lines;
        // The first met of "ann@" depends on the order the file system lists the files in.
        got.replaceInStrings(QStringLiteral("ann@example.org"), QStringLiteral("Ann@Example.org"));
        QCOMPARE(got, lines);
        QVERIFY(prompt->texts().isEmpty());
        QVERIFY(!prompt->progressVisible);
        QCOMPARE(prompt->busyDepth, 0);
    }

    void rtf_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("text");
        QTest::newRow("groups dropped, breaks kept")
            << QByteArray("{\\rtf1{\\colortbl;\\red0;}{\\stylesheet{\\s0 Normal;}}{\\info{\\author a@b.org}}"
                          "one\\par two\\line three\\tab four}")
            << "one\ntwo\nthree\tfour";
        QTest::newRow("code page and unicode fallback")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'c0\\'e1 \\u8364?\\uc2\\u955\\'3f\\'3fx}") << "Аб €λx";
        QTest::newRow("default code page and escapes")
            << QByteArray("{\\rtf1 caf\\'e9 \\{a\\}\\\\ \\~b}") << QString::fromUtf8("café {a}\\ \u00a0b");
        QTest::newRow("ignorable destination and field")
            << QByteArray("{\\rtf1{\\*\\unknown x@y.org}{\\field{\\*\\fldinst HYPERLINK \"mailto:h@x.org\"}{\\fldrslt "
                          "shown}}}")
            << "shown";
        QTest::newRow("binary data skipped") << QByteArray("{\\rtf1 a{\\bin3 }}}b}c}") << "abc";
    }
    void rtf() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, text);
        QVERIFY(RtfText::isRtf(rtf));
        QCOMPARE(RtfText::toPlainText(rtf), text);
    }

    void malformedRtf_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::newRow("truncated") << QByteArray("{\\rtf1 a@b.org{\\b x");
        QTest::newRow("too many closing braces") << QByteArray("{\\rtf1 a}}");
        QTest::newRow("nesting too deep") << QByteArray("{\\rtf1 ") + QByteArray(100000, '{');
        QTest::newRow("endless control word") << QByteArray("{\\rtf1 \\") + QByteArray(5000, 'a') + '}';
    }
    void malformedRtf() {
        QFETCH(QByteArray, rtf);
        QVERIFY_THROWS_EXCEPTION(CorvaneError, RtfText::toPlainText(rtf));
    }

    // A malformed file asks whether to go on: Yes keeps what the other files gave, No hands on nothing.
    void malformedFileQuestion_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("outcome");
        QTest::newRow("Yes") << int(UserPrompt::Yes) << int(FileFolderHarvest::Outcome::Completed);
        QTest::newRow("No") << int(UserPrompt::No) << int(FileFolderHarvest::Outcome::Stopped);
    }
    void malformedFileQuestion() {
        QFETCH(int, answer);
        QFETCH(int, outcome);
        const QString name = QStringLiteral("bad\r\nname\x01.txt");
        write(in(name), "{\\rtf1 cut@example.org{");
        prompt->answer(UserPrompt::Button(answer));
        FileFolderHarvest harvest(settings, *prompt);
        const FileFolderHarvest::Result result = harvest.scan(dir->path(), QStringLiteral("*.txt"));
        QCOMPARE(int(result.outcome), outcome);
        QCOMPARE(result.failedFiles, 1);
        QCOMPARE(result.lines.isEmpty(), answer == UserPrompt::No);
        QVERIFY(!result.lines.contains(QStringLiteral("cut@example.org")));
        QCOMPARE(prompt->texts().constFirst(),
                 QStringLiteral("An error was encountered processing the file, ") + dir->path() +
                     QStringLiteral("/bad<U+000D><U+000A>name<U+0001>.txt.  Do you want to continue processing?"));
        QVERIFY(prompt->allAnswersUsed());
    }

    void nothingFound_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("outcome");
        QTest::newRow("missing folder") << "/nonexistent/folder"
                                        << QStringList{"Unable to change to the directory, /nonexistent/folder.",
                                                       "No files of the specified type could be found in the folder, "
                                                       "/nonexistent/folder!"}
                                        << int(FileFolderHarvest::Outcome::NoFiles);
        QTest::newRow("only sub-folders") << "sub-only"
                                          << QStringList{"No files of the specified type could be found in the folder, "
                                                         "%1!"}
                                          << int(FileFolderHarvest::Outcome::NoFiles);
        QTest::newRow("no address in the files")
            << "empty" << QStringList{"No e-mail addresses were found in files of the folder, %1"}
            << int(FileFolderHarvest::Outcome::Completed);
    }
    void nothingFound() {
        QFETCH(QString, folder);
        QFETCH(QStringList, texts);
        QFETCH(int, outcome);
        QDir().mkpath(in(QStringLiteral("sub-only/inner.txt")));
        QDir().mkpath(in(QStringLiteral("empty")));
        write(in(QStringLiteral("empty/a.txt")), "nothing here\n");
        if (!folder.startsWith(QLatin1Char('/')))
            folder = in(folder);
        FileFolderHarvest harvest(settings, *prompt);
        QCOMPARE(int(harvest.scan(folder, QStringLiteral("*.txt")).outcome), outcome);
        QCOMPARE(prompt->texts(), texts.replaceInStrings(QStringLiteral("%1"), folder));
    }

    void cancelHandsOnNothing() {
        prompt->cancelAfterProgressCalls = 1;
        FileFolderHarvest harvest(settings, *prompt);
        const FileFolderHarvest::Result result = harvest.scan(dir->path(), QStringLiteral("*.*"));
        QCOMPARE(result.outcome, FileFolderHarvest::Outcome::Stopped);
        QVERIFY(result.lines.isEmpty());
        QVERIFY(!prompt->progressVisible);
    }
};

QTEST_GUILESS_MAIN(TestFileHarvest)
#include "tst_fileharvest.moc"

// corvane-cli's import and enter commands, run as the program: usage errors, summaries and exit codes, and an
// import killed half-way that loses nothing and is finished by running it again.
#include "CliRun.h"
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestCliImport : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;

    using Result = corvane::test::CliResult;

    corvane::test::CliOptions options(const QByteArray &input = {}) const {
        corvane::test::CliOptions options;
        options.workingDirectory = m_tmp->path();
        options.leading = QStringList{QStringLiteral("--yes")};
        options.input = input;
        options.limitMs = 120000;
        return options;
    }

    Result cli(const QStringList &arguments, const QByteArray &input = {}) {
        return corvane::test::runCli(QStringLiteral(CORVANE_CLI), *m_tmp, arguments, options(input));
    }

    void makeFile(const QString &name, const QByteArray &bytes) {
        QFile file(m_tmp->filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    // The entries as "address|category|name", sorted.
    QStringList entries() {
        const Result r = cli({QStringLiteral("list")});
        QStringList out;
        for (const QString &line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList f = line.split(QLatin1Char('\t'));
            out.append(f.value(1) + QLatin1Char('|') + f.value(2) + QLatin1Char('|') + f.value(5));
        }
        out.sort();
        return out;
    }

    // The count the summary line of `outcome` gives, 0 when absent.
    static qint64 outcome(const QString &out, const QString &result) {
        for (const QString &line : out.split(QLatin1Char('\n'))) {
            if (line.endsWith(QLatin1Char('\t') + result)) {
                return line.section(QLatin1Char('\t'), 0, 0).toLongLong();
            }
        }
        return 0;
    }

private slots:
    void init() { m_tmp = std::make_unique<QTemporaryDir>(); }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("import without file") << QStringList{"import"} << "usage: import FILE";
        QTest::newRow("unknown column") << QStringList{"import", "f.csv", "--columns", "e-mail,phone"}
                                        << "unknown, repeated or too many columns";
        QTest::newRow("long separator") << QStringList{"import", "f.csv", "--separator", ";;"} << "one character";
        QTest::newRow("category with columns") << QStringList{"import", "f.csv", "--header", "--category", "C"}
                                               << "--category is for a single-column file";
        QTest::newRow("enter without choice") << QStringList{"enter", "f.txt"} << "usage: enter";
        QTest::newRow("two choices") << QStringList{"enter", "--add", "--remove"} << "unexpected argument --remove";
        QTest::newRow("undeliverable with category")
            << QStringList{"enter", "--undeliverable", "--category", "C"} << "usage: enter";
    }
    void usageErrors() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Result r = cli(arguments);
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    void importAndEnter() {
        makeFile(QStringLiteral("one.txt"), "a@x.org\r\nb@x.org\r\nnot-valid@\r\n");
        Result r = cli({QStringLiteral("import"), QStringLiteral("one.txt"), QStringLiteral("--category"),
                        QStringLiteral("News")});
        QCOMPARE(r.status, 0);
        QCOMPARE(outcome(r.out, QStringLiteral("Entered Successfully")), 2);
        QVERIFY2(r.out.contains(QStringLiteral("3 lines processed")), qPrintable(r.out));

        makeFile(QStringLiteral("calc.csv"), "\"Name\";\"Email\";\"Group\";\n\"Cy Ek\";\"c@x.org\";\"Club\";\n");
        r = cli({QStringLiteral("import"), QStringLiteral("calc.csv"), QStringLiteral("--separator"),
                 QStringLiteral(";"), QStringLiteral("--header"), QStringLiteral("--columns"),
                 QStringLiteral("full-name,e-mail,category")});
        QCOMPARE(r.status, 0);
        QVERIFY(r.err.contains(QStringLiteral("1 entries have been processed!")));
        QCOMPARE(entries(), QStringList({"a@x.org|News|", "b@x.org|News|", "c@x.org|Club|Cy Ek"}));

        r = cli(
            {QStringLiteral("enter"), QStringLiteral("--remove"), QStringLiteral("--category"), QStringLiteral("News")},
            "a@x.org\nc@x.org\n");
        QCOMPARE(r.status, 0);
        QCOMPARE(outcome(r.out, QStringLiteral("Entry successfully deleted!")), 1);
        QCOMPARE(outcome(r.out, QStringLiteral("E-mail address not found!")), 1);
        r = cli({QStringLiteral("enter"), QStringLiteral("--undeliverable"), QStringLiteral("-")}, "b@x.org\n");
        QCOMPARE(outcome(r.out, QStringLiteral("Bounce count incremented!")), 1);
        QCOMPARE(entries(), QStringList({"b@x.org|News|", "c@x.org|Club|Cy Ek"}));

        r = cli({QStringLiteral("import"), QStringLiteral("missing.txt")});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(QStringLiteral("Error encountered opening your import file!")));
    }

    // Every line is committed by the entry rules as it is done: a killed import keeps them, and running it
    // again only finds them there.
    void killedImportLosesNothing() {
        constexpr int kLines = 100000;
        QByteArray file;
        for (int i = 0; i < kLines; ++i) {
            file += "member" + QByteArray::number(i) + "@example.org\r\n";
        }
        makeFile(QStringLiteral("big.txt"), file);
        const QStringList import{QStringLiteral("import"), QStringLiteral("big.txt"), QStringLiteral("--category"),
                                 QStringLiteral("Big")};
        QProcess first;
        corvane::test::startCli(first, QStringLiteral(CORVANE_CLI), *m_tmp, import, options());
        QVERIFY(first.waitForStarted());
        // Kill it once the log shows a few hundred requests done.
        QFile log(m_tmp->filePath(QStringLiteral("home/log.txt")));
        QTRY_VERIFY_WITH_TIMEOUT(log.size() > 30000, 60000);
        first.kill();
        QVERIFY(first.waitForFinished());
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);

        const qint64 done = entries().size();
        QVERIFY2(done > 0 && done < kLines, qPrintable(QString::number(done)));
        const Result again = cli(import);
        QCOMPARE(again.status, 0);
        QCOMPARE(outcome(again.out, QStringLiteral("Entry already exists!")), done);
        QCOMPARE(outcome(again.out, QStringLiteral("Entered Successfully")), kLines - done);
        QCOMPARE(entries().size(), kLines);
    }
};

QTEST_GUILESS_MAIN(TestCliImport)
#include "tst_cliimport.moc"

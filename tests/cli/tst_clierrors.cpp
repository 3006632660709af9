// corvane-cli errors --reprocess end to end: a line of the errors list run again by the program as its own
// process, with and without --ignore-rules, its output, exit status and what is left in the list.
#include "CliRun.h"
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestCliErrors : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;

    using Result = corvane::test::CliResult;

    Result cli(const QStringList &arguments) {
        return corvane::test::runCli(QStringLiteral(CORVANE_CLI), *m_tmp,
                                     QStringList{QStringLiteral("--yes")} + arguments);
    }

private slots:
    void reprocess_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errorsAfter");
        QTest::newRow("fails again") << QStringList{"--reprocess", "1"} << 1
                                     << "Reprocessed: ADD bad@@example.org News\n"
                                        "Failed again: ADD bad@@example.org News\n"
                                     << "ADD bad@@example.org News\n";
        QTest::newRow("rules ignored") << QStringList{"--reprocess", "1", "--ignore-rules"} << 0
                                       << "Reprocessed: ADD bad@@example.org News\n"
                                       << "";
        QTest::newRow("past the end") << QStringList{"--reprocess", "2"} << 2 << ""
                                      << "ADD bad@@example.org News\n";
    }
    void reprocess() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, errorsAfter);
        m_tmp = std::make_unique<QTemporaryDir>();
        QCOMPARE(cli({QStringLiteral("info")}).status, 0);
        QCOMPARE(cli({QStringLiteral("add"), QStringLiteral("bad@@example.org"), QStringLiteral("--category"),
                      QStringLiteral("News")})
                     .status,
                 1);
        const Result r = cli(QStringList{QStringLiteral("errors")} + arguments);
        QCOMPARE(r.out, out);
        QCOMPARE(r.status, status);
        QCOMPARE(cli({QStringLiteral("errors")}).out, errorsAfter);
        const QString list = cli({QStringLiteral("list")}).out;
        QCOMPARE(list.contains(QStringLiteral("bad@@example.org\tNews")), status == 0);
    }
};

QTEST_GUILESS_MAIN(TestCliErrors)
#include "tst_clierrors.moc"

// corvane-cli's harvest command, run as the program: a mail folder, the contacts folder and a folder of files,
// the exit codes, and its output piped into "enter".
#include "CliRun.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestCliHarvest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;

    using Result = corvane::test::CliResult;

    Result cli(const QStringList &arguments, const QByteArray &input = {}) {
        corvane::test::CliOptions options;
        options.leading = QStringList{QStringLiteral("--yes")};
        options.input = input;
        options.limitMs = 60000;
        return corvane::test::runCli(QStringLiteral(CORVANE_CLI), *m_tmp, arguments, options);
    }

    void put(const QString &path, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(m_tmp->filePath(path)).path());
        QFile file(m_tmp->filePath(path));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        for (const char *sub :
             {"Mail/new", "Mail/cur", "Mail/tmp", "Mail/.Club/new", "Mail/.Club/tmp", "Mail/.People/cur"})
            QDir().mkpath(m_tmp->filePath(QLatin1String(sub)));
        put(QStringLiteral("Mail/.Club/maildirfolder"), {});
        put(QStringLiteral("Mail/.People/maildirfolder"), {});
        put(QStringLiteral("Mail/.Club/cur/1.M1P1.t:2,S"),
            "From: \"Doe, Jane\" <jane@example.org>\r\nTo: club@example.org\r\nSubject: hi\r\n\r\n"
            "Also ask bob@example.org\r\n");
        put(QStringLiteral("Mail/.People/cur/a.vcf"),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nEMAIL:ann@example.org;al@example.org\r\nEND:VCARD\r\n");
        put(QStringLiteral("files/a.TXT"), "write to file@example.org\r\n");
        put(QStringLiteral("files/b.rtf"), "{\\rtf1 rich@example.org\\par}");
        QCOMPARE(cli({"settings", "set", "MailStore", m_tmp->filePath(QStringLiteral("Mail"))}).status, 0);
    }

    void harvest_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("senders by default")
            << QStringList{"--folder", "Club"} << 0 << QStringList{"Jane Doe <jane@example.org>"};
        QTest::newRow("recipients and bodies") << QStringList{"--folder", "Club", "--recipients", "--bodies"} << 0
                                               << QStringList{"bob@example.org", "club@example.org"};
        QTest::newRow("contacts") << QStringList{"--contacts"} << 0 << QStringList{"al@example.org", "ann@example.org"};
        QTest::newRow("contacts folder by name")
            << QStringList{"--folder", "People"} << 0 << QStringList{"al@example.org", "ann@example.org"};
        QTest::newRow("text files") << QStringList{"--files", "files"} << 0 << QStringList{"file@example.org"};
        QTest::newRow("all files") << QStringList{"--files", "files", "--all-files"} << 0
                                   << QStringList{"file@example.org", "rich@example.org"};
        QTest::newRow("folder missing") << QStringList{"--folder", "Gone"} << 1 << QStringList{};
        QTest::newRow("two sources") << QStringList{"--contacts", "--files", "files"} << 2 << QStringList{};
        QTest::newRow("tick without folder") << QStringList{"--contacts", "--bodies"} << 2 << QStringList{};
    }
    void harvest() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, lines);
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^files$")), m_tmp->filePath("files"));
        const Result r = cli(QStringList{"harvest"} + arguments);
        QCOMPARE(r.status, status);
        QCOMPARE(r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), lines);
        if (status == 0)
            QVERIFY2(r.err.contains(QStringLiteral("harvest: %1 addresses found").arg(lines.size())),
                     qPrintable(r.err));
    }

    void pipedIntoEnter() {
        const Result found = cli({"harvest", "--folder", "Club", "--from", "--bodies"});
        QCOMPARE(found.status, 0);
        QCOMPARE(cli({"enter", "--add", "--category", "Club"}, found.out.toUtf8()).status, 0);
        const QString list = cli({"list"}).out;
        QVERIFY2(list.contains(QStringLiteral("jane@example.org\tClub")), qPrintable(list));
        QVERIFY2(list.contains(QStringLiteral("bob@example.org\tClub")), qPrintable(list));
    }
};

QTEST_GUILESS_MAIN(TestCliHarvest)
#include "tst_cliharvest.moc"

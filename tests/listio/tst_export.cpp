// The delimited list export and the back-up over a real list database: line layout for field choices and
// separators, the table's order and filter, cancel, write failures and the per-entry question, the printout
// copy by copy, and the back-up file's name rules.
#include "RecordingPrintTarget.h"
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "db/TdmML.h"
#include "listio/BackUpFile.h"
#include "listio/ListExport.h"
#include "listio/PrintPageFlow.h"
#include "requests/TextRoutines.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;

Q_DECLARE_METATYPE(ExportFields)

namespace {

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<TdmML> m_dm;

    QString path(const QString &name) const { return m_tmp->filePath(name); }
    QString appDir() const { return AppPaths::applicationDirectory(); }
    SqliteTable &table() { return m_dm->tblML(); }

    // Three entries (fields: address, category, bounces, comments, full name, first name, may send).
    void addThreeEntries() {
        table().lockTable();
        table().appendRecord(
            {QStringLiteral("b@example.org"), QStringLiteral("Sports"), 0, QString(), QString(), QString(), false});
        table().appendRecord({QStringLiteral("c@example.org"), QStringLiteral("news"), 5, QStringLiteral("Zoë ü"),
                              QStringLiteral("Chloë Ä"), QStringLiteral("Chloë"), true});
        table().appendRecord({QStringLiteral("a@example.org"), QStringLiteral("News"), 12,
                              QStringLiteral("hello, world"), QStringLiteral("Ann Smith"), QStringLiteral("Ann"),
                              false});
        table().unlockTable();
        table().setIndexFieldNames(QStringLiteral("Item"));
    }

    void addNumberedEntries(int count) {
        table().lockTable();
        for (int i = 0; i < count; ++i) {
            table().appendRecord({QStringLiteral("user%1@example.org").arg(i, 3, 10, QLatin1Char('0')),
                                  QStringLiteral("News"), i, QString(), QString(), QString(), false});
        }
        table().unlockTable();
        table().setIndexFieldNames(QStringLiteral("Item"));
    }

    static QByteArray numberedLines(int from, int to) {
        QByteArray lines;
        for (int i = from; i < to; ++i) {
            lines += QStringLiteral("user%1@example.org\r\n").arg(i, 3, 10, QLatin1Char('0')).toUtf8();
        }
        return lines;
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_tmp->filePath(QStringLiteral("config")));
        AppPaths::setApplicationDirectory(m_tmp->filePath(QStringLiteral("app")));
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_prompt->answer(UserPrompt::Yes);
        m_dm = std::make_unique<TdmML>(*m_prompt);
        m_dm->dmMLCreate();
        QVERIFY(m_dm->DatabaseLoaded());
        m_prompt->shown.clear();
        m_prompt->progress.clear();
    }
    void cleanup() {
        m_dm.reset();
        m_prompt.reset();
        AppPaths::setApplicationDirectory(QString());
        m_tmp.reset();
    }

    void lineLayout_data() {
        QTest::addColumn<ExportFields>("fields");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QByteArray>("expected");
        const ExportFields all;
        QTest::newRow("all fields, fixed order") << all << ","
                                                 << "Item"
                                                 << QByteArray("a@example.org,News,Ann Smith,Ann,hello, world,12\r\n"
                                                               "b@example.org,Sports,,,,0\r\n"
                                                               "c@example.org,news,Chlo\xC3\xAB \xC3\x84,Chlo\xC3\xAB,"
                                                               "Zo\xC3\xAB \xC3\xBC,5\r\n");
        QTest::newRow("only full name") << ExportFields{false, false, true, false, false, false} << ","
                                        << "Item" << QByteArray("Ann Smith\r\n\r\nChlo\xC3\xAB \xC3\x84\r\n");
        QTest::newRow("e-mail and empty comments") << ExportFields{true, false, false, false, true, false} << ";"
                                                   << "Item"
                                                   << QByteArray("a@example.org;hello, world\r\n"
                                                                 "b@example.org;\r\n"
                                                                 "c@example.org;Zo\xC3\xAB \xC3\xBC\r\n");
        QTest::newRow("separator inside a value written raw")
            << ExportFields{false, false, true, false, true, false} << ","
            << "Item" << QByteArray("Ann Smith,hello, world\r\n,\r\nChlo\xC3\xAB \xC3\x84,Zo\xC3\xAB \xC3\xBC\r\n");
        QTest::newRow("empty separator means comma")
            << ExportFields{true, true, false, false, false, true} << ""
            << "Item" << QByteArray("a@example.org,News,12\r\nb@example.org,Sports,0\r\nc@example.org,news,5\r\n");
        QTest::newRow("tab, ordered by bounces") << ExportFields{true, false, false, false, false, true} << "\t"
                                                 << "Bounces"
                                                 << QByteArray("b@example.org\t0\r\nc@example.org\t5\r\n"
                                                               "a@example.org\t12\r\n");
        QTest::newRow("ordered by category, then key")
            << ExportFields{false, true, false, true, false, false} << "|"
            << "Category" << QByteArray("news|Chlo\xC3\xAB\r\nNews|Ann\r\nSports|\r\n");
        QTest::newRow("no field gives an empty file") << ExportFields{false, false, false, false, false, false} << ","
                                                      << "Item" << QByteArray();
    }
    void lineLayout() {
        QFETCH(ExportFields, fields);
        QFETCH(QString, separator);
        QFETCH(QString, order);
        QFETCH(QByteArray, expected);
        addThreeEntries();
        table().setIndexFieldNames(order);
        const QString file = path(QStringLiteral("out.csv"));
        QFile::remove(file);
        ListExport run(*m_prompt, table());
        QVERIFY(run.exportlist(file, QString(), fields, false, separator));
        QVERIFY(QFile::exists(file));
        QCOMPARE(readAll(file), expected);
        QVERIFY(m_prompt->shown.isEmpty());
        QVERIFY(m_prompt->progress.contains(QStringLiteral("33|Exporting Entries")));
        QVERIFY(!m_prompt->progressVisible);
        QCOMPARE(m_prompt->busyDepth, 0);
        QVERIFY(!table().isLocked());
    }

    // The file reads back through the multi-column import's field splitting: empty fields keep their place,
    // and a comment holding the separator comes back as two fields.
    void readsBackThroughImportSplitting() {
        addThreeEntries();
        const QString file = path(QStringLiteral("round.csv"));
        ListExport run(*m_prompt, table());
        QVERIFY(run.exportlist(file, QString(), ExportFields{}, false, ","));
        const QList<QByteArray> lines = readAll(file).split('\n');
        QCOMPARE(lines.size(), 4);
        const QList<QStringList> expected{
            {"a@example.org", "News", "Ann Smith", "Ann", "hello", "world", "12"},
            {"b@example.org", "Sports", "", "", "", "0"},
            {"c@example.org", "news", "Chlo\u00eb \u00c4", "Chlo\u00eb", "Zo\u00eb \u00fc", "5"}};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(lines.at(i).endsWith('\r'));
            QStringList fields;
            TextRoutines::SplitText(fields, QString::fromUtf8(lines.at(i).chopped(1)), QStringLiteral(","), true, true);
            QCOMPARE(fields, expected.at(i));
        }
    }

    // The main window's category filter does not narrow the export, and is in force again afterwards.
    void filterDroppedForTheRunAndRestored() {
        addThreeEntries();
        table().setFilter(TableFilter::categories(TableFilter::Mode::Include, QStringLiteral("news")));
        table().setFiltered(true);
        QCOMPARE(table().recordCount(), 2);
        const QString file = path(QStringLiteral("all.csv"));
        ListExport run(*m_prompt, table());
        QVERIFY(run.exportlist(file, QString(), ExportFields{true, false, false, false, false, false}, false, ","));
        QCOMPARE(readAll(file), QByteArray("a@example.org\r\nb@example.org\r\nc@example.org\r\n"));
        QVERIFY(table().filtered());
        QCOMPARE(table().recordCount(), 2);
    }

    // Only a complete run replaces the file: a cancel leaves the earlier file, or none, and no temporary file.
    void cancelKeepsTheEarlierFile_data() {
        QTest::addColumn<QByteArray>("earlier"); // empty: no earlier file
        QTest::newRow("earlier file") << QByteArray("earlier back-up\r\n");
        QTest::newRow("no earlier file") << QByteArray();
    }
    void cancelKeepsTheEarlierFile() {
        QFETCH(QByteArray, earlier);
        addNumberedEntries(50);
        const QString file = path(QStringLiteral("cancel.csv"));
        if (!earlier.isEmpty()) {
            QFile old(file);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(earlier);
        }
        m_prompt->cancelAfterProgressCalls = 24; // the 25th progress call (entry 25) cancels
        ListExport run(*m_prompt, table());
        QVERIFY(!run.exportlist(file, QString(), ExportFields{true, false, false, false, false, false}, true, ","));
        QCOMPARE(QFile::exists(file), !earlier.isEmpty());
        if (!earlier.isEmpty()) {
            QCOMPARE(readAll(file), earlier);
        }
        QCOMPARE(QDir(m_tmp->path()).entryList({QStringLiteral("cancel.csv*")}, QDir::Files | QDir::Hidden).size(),
                 earlier.isEmpty() ? 0 : 1);
        QVERIFY(m_prompt->progress.contains(QStringLiteral("2|Backing Up Entries")));
        QVERIFY(m_prompt->shown.isEmpty());
        QVERIFY(!m_prompt->progressVisible);
        QVERIFY(!table().isLocked());
    }

    // The files of the open database are never written over, whatever name leads to them.
    void databaseFilesAreRefused_data() {
        QTest::addColumn<QString>("name"); // relative to the database directory
        QTest::newRow("list table") << "mailist.DAT";
        QTest::newRow("other letter case") << "MAILIST.dat";
        QTest::newRow("through a link") << "link.csv";
        QTest::newRow("journal through ..") << "../app/mailist.DAT-journal";
    }
    void databaseFilesAreRefused() {
        QFETCH(QString, name);
        addThreeEntries();
        const QString dir = m_dm->databaseDirectory();
        QVERIFY(QFile::link(dir + QStringLiteral("mailist.DAT"), dir + QStringLiteral("link.csv")));
        const QByteArray before = readAll(dir + QStringLiteral("mailist.DAT"));
        ListExport run(*m_prompt, table());
        QVERIFY(!run.exportlist(dir + name, QString(), ExportFields{}, false, ","));
        QCOMPARE(m_prompt->texts(), QStringList{QStringLiteral("Unable to write to the file, ") + dir + name +
                                                QStringLiteral(": it belongs to the open database")});
        QCOMPARE(readAll(dir + QStringLiteral("mailist.DAT")), before);
        QCOMPARE(table().recordCount(), 3);
        // A file of the same name elsewhere is an ordinary file.
        QVERIFY(run.exportlist(path(QStringLiteral("mailist.DAT")), QString(), ExportFields{}, false, ","));
    }

    void fileThatCannotBeCreated() {
        addThreeEntries();
        const QString file = path(QStringLiteral("no/such/dir/out.csv"));
        ListExport run(*m_prompt, table());
        QVERIFY(!run.exportlist(file, QString(), ExportFields{}, false, ","));
        QCOMPARE(m_prompt->texts(), QStringList{QStringLiteral("Unable to write to the file, ") + file});
        QVERIFY(m_prompt->progress.isEmpty());
    }

    // A full disk: the flush after the 20th entry fails. Yes tries the same entry again (the question's
    // number has moved on); No ends the run. An entry that keeps failing ends the run after ten tries.
    void failingEntryQuestion_data() {
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("questions");
        const QString q = QStringLiteral("An error was encountered with line %1.  Do you want to continue?");
        QTest::newRow("no") << QList<int>{UserPrompt::No} << QStringList{q.arg(20)};
        QTest::newRow("yes, then no") << QList<int>{UserPrompt::Yes, UserPrompt::No}
                                      << QStringList{q.arg(20), q.arg(21)};
        QList<int> yes;
        QStringList asked;
        for (int i = 0; i < ListExport::kMaxTriesPerEntry; ++i) {
            yes.append(UserPrompt::Yes);
            asked.append(q.arg(20 + i));
        }
        QTest::newRow("yes until the tries run out") << yes << asked;
    }
    void failingEntryQuestion() {
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, questions);
        addNumberedEntries(30);
        for (const int answer : answers) {
            m_prompt->answer(UserPrompt::Button(answer));
        }
        ListExport run(*m_prompt, table());
        QVERIFY(!run.exportlist(QStringLiteral("/dev/full"), QString(), ExportFields{}, false, ","));
        QCOMPARE(m_prompt->texts(), questions);
        QVERIFY(m_prompt->allAnswersUsed());
        QVERIFY(!m_prompt->progressVisible);
        QCOMPARE(m_prompt->busyDepth, 0);
        QVERIFY(!table().isLocked());
    }

    // Fewer entries than one flush interval: the lines only reach the disk at the end, and a failure there is
    // reported, not taken for success.
    void lastLinesThatCannotBeWritten() {
        addThreeEntries();
        ListExport run(*m_prompt, table());
        QVERIFY(!run.exportlist(QStringLiteral("/dev/full"), QString(), ExportFields{}, false, ","));
        QCOMPARE(m_prompt->texts(), QStringList{QStringLiteral("Unable to write to the file, /dev/full")});
    }

    // The printout: the printer is chosen before the walk, and each copy is a walk of its own whose lines
    // reach the printer as they are read.
    void printLinesGoToThePrinter_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("wantedLines");
        QTest::addColumn<int>("failAtLine");
        QTest::addColumn<bool>("result");
        QTest::addColumn<bool>("printed");
        QTest::addColumn<int>("linesPerCopy");
        QTest::addColumn<int>("aborted");
        QTest::newRow("two copies") << true << 2 << -1 << -1 << true << true << 3 << 0;
        QTest::newRow("print dialog cancelled") << false << 1 << -1 << -1 << true << false << 0 << 0;
        QTest::newRow("page range ends early") << true << 1 << 2 << -1 << true << true << 2 << 0;
        QTest::newRow("printer fails") << true << 2 << -1 << 1 << false << false << 1 << 1;
    }
    void printLinesGoToThePrinter() {
        QFETCH(bool, accept);
        QFETCH(int, copies);
        QFETCH(int, wantedLines);
        QFETCH(int, failAtLine);
        QFETCH(bool, result);
        QFETCH(bool, printed);
        QFETCH(int, linesPerCopy);
        QFETCH(int, aborted);
        addThreeEntries();
        test::RecordingPrintTarget printer;
        printer.accept = accept;
        printer.copyCount = copies;
        printer.wantedLines = wantedLines;
        printer.failAtLine = failAtLine;
        ListExport run(*m_prompt, table());
        run.printTarget = &printer;
        const QString heading = ListExport::printHeading();
        QVERIFY(heading.startsWith(QStringLiteral("Mailing List Print at ")));
        QCOMPARE(run.exportlist(QString(), heading, true, false, true, false, false, true, false, ";"), result);
        QCOMPARE(run.printed(), printed);
        QCOMPARE(printer.chosenHeading, heading);
        const QStringList all{QStringLiteral("a@example.org;Ann Smith;12"), QStringLiteral("b@example.org;;0"),
                              QStringLiteral("c@example.org;Chloë Ä;5")};
        const int jobs = !accept ? 0 : failAtLine >= 0 ? 1 : copies;
        QCOMPARE(printer.jobs, QList<QStringList>(jobs, all.mid(0, linesPerCopy)));
        QCOMPARE(printer.jobTitles, QStringList(jobs, heading));
        QCOMPARE(printer.finished, failAtLine >= 0 ? 0 : jobs);
        QCOMPARE(printer.aborted, aborted);
        QCOMPARE(m_prompt->texts(),
                 failAtLine >= 0 ? QStringList{QStringLiteral("An error was encountered printing the file, , check you "
                                                              "have sufficient disk space and try again.")}
                                 : QStringList());
        QCOMPARE(m_prompt->busyDepth, 0);
    }

    // The printed page layout: `places` lists "page.row" for each line, with "*" for a new page and "-" for
    // a line left out by the page range.
    void printPageFlow_data() {
        QTest::addColumn<int>("perPage");
        QTest::addColumn<int>("fromPage");
        QTest::addColumn<int>("toPage");
        QTest::addColumn<QString>("places");
        QTest::addColumn<int>("finishedAfter");
        QTest::newRow("whole") << 2 << 1 << INT_MAX << "1.0 1.1 *2.0 2.1 *3.0" << -1;
        QTest::newRow("range from the second page") << 2 << 2 << 3 << "- - 2.0 2.1 *3.0 3.1" << 6;
        QTest::newRow("one page") << 3 << 2 << 2 << "- - - 2.0 2.1 2.2" << 6;
        QTest::newRow("no row fits") << 0 << 1 << INT_MAX << "1.0 *2.0 *3.0" << -1;
        QTest::newRow("end before start") << 2 << 2 << 1 << "- - 2.0 2.1 *3.0" << -1;
    }
    void printPageFlow() {
        QFETCH(int, perPage);
        QFETCH(int, fromPage);
        QFETCH(int, toPage);
        QFETCH(QString, places);
        QFETCH(int, finishedAfter);
        PrintPageFlow flow(perPage, fromPage, toPage);
        QStringList got;
        int finishedAt = -1;
        for (qsizetype i = 0; i < places.split(u' ').size(); ++i) {
            const PrintPageFlow::Place place = flow.next();
            got.append(!place.drawn ? QStringLiteral("-")
                                    : (place.newPage ? QStringLiteral("*") : QString()) +
                                          QStringLiteral("%1.%2").arg(place.page).arg(place.row));
            if (finishedAt < 0 && flow.finished()) {
                finishedAt = static_cast<int>(i) + 1;
            }
        }
        QCOMPARE(got.join(u' '), places);
        QCOMPARE(finishedAt, finishedAfter);
    }

    // Cancel in the progress window throws the unfinished copy away; without a printer nothing is walked.
    void printCancelledOrWithoutPrinter() {
        addNumberedEntries(10);
        test::RecordingPrintTarget printer;
        printer.copyCount = 2;
        ListExport run(*m_prompt, table());
        QVERIFY(!run.exportlist(QString(), QString(), ExportFields{}, false, ","));
        QVERIFY(m_prompt->progress.isEmpty());
        run.printTarget = &printer;
        m_prompt->cancelAfterProgressCalls = 3;
        QVERIFY(!run.exportlist(QString(), QString(), ExportFields{}, false, ","));
        QVERIFY(!run.printed());
        QCOMPARE(printer.jobs.size(), 1);
        QCOMPARE(printer.jobs.first().size(), 3);
        QCOMPARE(printer.aborted, 1);
        QCOMPARE(printer.finished, 0);
    }

    void backUpFileName_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<bool>("numbered");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("expected");
        // "$tmp/" stands for the temporary directory, "$app/" for the application directory.
        QTest::newRow("unset") << "" << false << QStringList() << "$app/backup.csv";
        QTest::newRow("directory missing") << "$tmp/gone/list.csv" << false << QStringList() << "$app/backup.csv";
        QTest::newRow("no directory part") << "list.csv" << false << QStringList() << "$app/backup.csv";
        QTest::newRow("setting used") << "$tmp/list.csv" << false << QStringList{"$tmp/list.csv"} << "$tmp/list.csv";
        QTest::newRow("numbered, free") << "" << true << QStringList() << "$app/backup.csv";
        QTest::newRow("numbered, two taken")
            << "" << true << QStringList{"$app/backup.csv", "$app/backup 2.csv"} << "$app/backup 3.csv";
        QTest::newRow("numbered, gap used")
            << "$tmp/b.v1.csv" << true << QStringList{"$tmp/b.v1.csv", "$tmp/b.v1 3.csv"} << "$tmp/b.v1 2.csv";
        QTest::newRow("numbered, no extension") << "$tmp/list" << true << QStringList{"$tmp/list"} << "$tmp/list 2";
    }
    void backUpFileName() {
        QFETCH(QString, setting);
        QFETCH(bool, numbered);
        QFETCH(QStringList, existing);
        QFETCH(QString, expected);
        const QString tmp = m_tmp->path() + QLatin1Char('/');
        auto expand = [&](QString text) {
            return text.replace(QStringLiteral("$tmp/"), tmp).replace(QStringLiteral("$app/"), appDir());
        };
        for (const QString &name : existing) {
            QFile file(expand(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Settings settings;
        settings.BackUpFilename = expand(setting);
        settings.newbackupfilename = numbered;
        QCOMPARE(BackUpFile::backUpFileName(settings, appDir()), expand(expected));
    }

    void saveBackUpFile_data() {
        QTest::addColumn<bool>("showMessage");
        QTest::newRow("with message") << true;
        QTest::newRow("quiet") << false;
    }
    void saveBackUpFile() {
        QFETCH(bool, showMessage);
        addThreeEntries();
        Settings settings;
        settings.newbackupfilename = true;
        QFile old(appDir() + QStringLiteral("backup.csv"));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QString name;
        QVERIFY(BackUpFile::SaveBackUpFile(*m_prompt, table(), settings, appDir(), showMessage, &name));
        QCOMPARE(name, appDir() + QStringLiteral("backup 2.csv"));
        QCOMPARE(readAll(appDir() + QStringLiteral("backup.csv")), QByteArray("old"));
        QVERIFY(readAll(name).startsWith("a@example.org,News,Ann Smith,Ann,hello, world,12\r\nb@example.org,"));
        QVERIFY(m_prompt->progress.contains(QStringLiteral("100|Backing Up Entries")));
        QCOMPARE(m_prompt->texts(), showMessage
                                        ? QStringList{QStringLiteral("Your backup file has been saved as ") + name +
                                                      QStringLiteral(".  You can view it with Excel or Notepad")}
                                        : QStringList());
    }

    // The back-up on exit raises when the file cannot be written, so that closing asks the person.
    void backUpOnExitFailureRaises() {
        addThreeEntries();
        // A setting that names a directory, not a file: the file cannot be created.
        QVERIFY(QDir().mkpath(path(QStringLiteral("dir"))));
        Settings settings;
        settings.BackUpFilename = path(QStringLiteral("dir/"));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, BackUpFile::writeBackUp(*m_prompt, table(), settings, appDir()));
        QCOMPARE(m_prompt->texts().size(), 1);
        QVERIFY(m_prompt->texts().first().startsWith(QStringLiteral("Unable to write to the file, ")));
        QCOMPARE(BackUpFile::writeBackUp(*m_prompt, table(), Settings(), appDir()), appDir() + "backup.csv");
    }

    void exportFieldNames_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<ExportFields>("fields");
        QTest::newRow("all, any order and case")
            << "Bounces,email,CATEGORY,fullname,firstname,comments" << true << ExportFields{};
        QTest::newRow("two") << "comments, email" << true << ExportFields{true, false, false, false, true, false};
        QTest::newRow("unknown") << "email,phone" << false << ExportFields{};
        QTest::newRow("empty") << "" << false << ExportFields{};
    }
    void exportFieldNames() {
        QFETCH(QString, list);
        QFETCH(bool, valid);
        QFETCH(ExportFields, fields);
        ExportFields parsed{false, false, false, false, false, false};
        QCOMPARE(ExportFields::parse(list, parsed), valid);
        if (valid) {
            QCOMPARE(parsed.email, fields.email);
            QCOMPARE(parsed.category, fields.category);
            QCOMPARE(parsed.fullName, fields.fullName);
            QCOMPARE(parsed.firstName, fields.firstName);
            QCOMPARE(parsed.comments, fields.comments);
            QCOMPARE(parsed.bounces, fields.bounces);
        } else {
            QVERIFY(!parsed.any());
        }
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"

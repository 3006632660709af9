// The import of entry files and manual entry against a real list database: field splitting and mapping,
// line ends and encodings, single- and multi-column runs, spreadsheet exports, and the three manual choices.
#include "ScriptedPrompt.h"
#include "TestDatabase.h"
#include "base/LineText.h"
#include "listio/EnterAddresses.h"
#include "listio/ImportLines.h"
#include "listio/ImportSettings.h"
#include "listio/ListImport.h"
#include "requests/EntryRules.h"

#include <QFile>
#include <QTest>

using namespace corvane;

class TestImport : public QObject {
    Q_OBJECT

private:
    TestDatabase db;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<ActivityLog> log;
    ErrorsList errors;
    Acknowledger acknowledger;
    std::unique_ptr<EntryRules> rules;

    QString write(const QByteArray &bytes, const QString &name = QStringLiteral("import.csv")) {
        const QString path = db.tmp->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            qFatal("cannot write the import file");
        }
        return path;
    }
    // Every entry as "Item|Category|Bounces|Comments|Name|Salutation", in insertion order.
    QStringList rows() {
        SqliteTable &t = db.table();
        QStringList out;
        for (t.first(); !t.eof(); t.next()) {
            out.append(QStringList{t.text(QStringLiteral("Item")), t.text(QStringLiteral("Category")),
                                   t.text(QStringLiteral("Bounces")), t.text(QStringLiteral("Comments")),
                                   t.text(QStringLiteral("Name")), t.text(QStringLiteral("Salutation"))}
                           .join(QLatin1Char('|')));
        }
        return out;
    }
    QStringList items() {
        QStringList out;
        for (const QString &row : rows()) {
            out.append(row.section(QLatin1Char('|'), 0, 1));
        }
        return out;
    }

private slots:
    void init() {
        db.setUp();
        db.prompt->shown.clear();
        settings = std::make_unique<Settings>();
        settings->GuessSalutation = false;
        log = std::make_unique<ActivityLog>(*settings);
        rules = std::make_unique<EntryRules>(db.table(), *settings, *log, errors, *db.prompt, acknowledger);
    }
    void cleanup() {
        rules.reset();
        log.reset();
        errors.clear();
        db.tearDown();
    }

    void splitFields_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("plain") << "a@x.org,News,Ann"
                               << "," << QStringList{"a@x.org", "News", "Ann"};
        QTest::newRow("empty line") << ""
                                    << "," << QStringList{};
        QTest::newRow("only separator") << ";"
                                        << ";" << QStringList{};
        QTest::newRow("trailing separator") << "a,b,"
                                            << "," << QStringList{"a", "b"};
        QTest::newRow("leading separator") << ",a"
                                           << "," << QStringList{"", "a"};
        QTest::newRow("two separators") << "a,,b"
                                        << "," << QStringList{"a", "", "b"};
        QTest::newRow("quoted and trimmed") << " \"a@x.org\" ;\t\"News\""
                                            << ";" << QStringList{"a@x.org", "News"};
        QTest::newRow("quotes do not protect") << "\"Doe, John\",j@x.org"
                                               << "," << QStringList{"Doe", "John", "j@x.org"};
        QTest::newRow("empty separator means comma") << "a,b"
                                                     << "" << QStringList{"a", "b"};
        QTest::newRow("empty quoted") << "\"\",b"
                                      << "," << QStringList{"", "b"};
    }
    void splitFields() {
        QFETCH(QString, line);
        QFETCH(QString, separator);
        QFETCH(QStringList, fields);
        QCOMPARE(ImportSettings::splitFields(line, separator), fields);
    }

    void values_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QString>("expected"); // email|category|full|first|comments|bounces
        QTest::newRow("default order") << QStringList{"a@x.org", "News", "Ann Lee", "Ann", "c", "3"} << ""
                                       << "a@x.org|News|Ann Lee|Ann|c|3";
        QTest::newRow("fewer fields") << QStringList{"a@x.org"} << ""
                                      << "a@x.org|||||0";
        QTest::newRow("bounces not a number") << QStringList{"a@x.org", "", "", "", "", "many"} << ""
                                              << "a@x.org|||||0";
        QTest::newRow("reordered with ignore") << QStringList{"Lee", "junk", "a@x.org"} << "full-name,ignore,e-mail"
                                               << "a@x.org||Lee|||0";
        QTest::newRow("twelfth field dropped")
            << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "b@x.org"}
            << "ignore,ignore,ignore,ignore,ignore"
            << "6|7|8|9|10|11";
    }
    void values() {
        QFETCH(QStringList, fields);
        QFETCH(QString, columns);
        QFETCH(QString, expected);
        QStringList mapping = ImportSettings::defaultMapping();
        if (!columns.isEmpty()) {
            QVERIFY(ImportSettings::parseColumns(columns, mapping));
        }
        QCOMPARE(mapping.size(), 11);
        const ImportValues v = ImportSettings::values(fields, mapping);
        QCOMPARE(QStringList({v.email, v.category, v.fullName, v.firstName, v.comments, QString::number(v.bounces)})
                     .join(QLatin1Char('|')),
                 expected);
    }

    void parseColumnsRefuses_data() {
        QTest::addColumn<QString>("columns");
        QTest::newRow("unknown") << "e-mail,phone";
        QTest::newRow("repeated") << "e-mail,category,e-mail";
        QTest::newRow("too many ignores") << "ignore,ignore,ignore,ignore,ignore,ignore";
    }
    void parseColumnsRefuses() {
        QFETCH(QString, columns);
        QStringList mapping{"kept"};
        QVERIFY(!ImportSettings::parseColumns(columns, mapping));
        QCOMPARE(mapping, QStringList{"kept"});
    }

    void lineEndsAndEncodings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("utf-8 with mark, CR LF") << QByteArray("\xEF\xBB\xBFjos\xC3\xA9@x.org\r\nb@x.org\r\n")
                                                << QStringList{u"jos\u00e9@x.org"_qs, "b@x.org"} << true;
        QTest::newRow("utf-8 without mark, LF") << QByteArray("Zo\xC3\xAB <z@x.org>\n\nc@x.org")
                                                << QStringList{u"Zo\u00eb <z@x.org>"_qs, "", "c@x.org"} << true;
        QTest::newRow("windows-1252 accents")
            << QByteArray("Jos\xE9 <j@x.org>\r\n\x80uro \x93q\x94\r\n")
            << QStringList{u"Jos\u00e9 <j@x.org>"_qs, u"\u20acuro \u201cq\u201d"_qs} << false;
        QTest::newRow("one bad byte makes all 1252")
            << QByteArray("\xC3\xA9\n\xE9\n") << QStringList{u"\u00c3\u00a9"_qs, u"\u00e9"_qs} << false;
        QTest::newRow("CR only") << QByteArray("a@x.org\rb@x.org\r\rc@x.org\r")
                                 << QStringList{"a@x.org", "b@x.org", "", "c@x.org"} << true;
        QTest::newRow("CR LF across a read")
            << QByteArray(65535, 'a') + "\r\nb" << QStringList{QString(65535, u'a'), "b"} << true;
        QTest::newRow("empty file") << QByteArray() << QStringList{} << true;
    }
    void lineEndsAndEncodings() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(bool, utf8);
        ImportLines source = ImportLines::fromFile(write(bytes));
        QCOMPARE(source.count(), lines.size());
        QCOMPARE(source.utf8(), utf8);
        for (int round = 0; round < 2; ++round) {
            QStringList read;
            QString line;
            while (source.next(line)) {
                read.append(line);
            }
            QCOMPARE(read, lines);
            source.rewind();
        }
    }

    void singleColumn_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<qint64>("processed");
        QTest::newRow("three addresses, one refused") << QByteArray("a@x.org\r\nnot-valid@\r\n\"Bo Ek\" <b@x.org>\r\n")
                                                      << QStringList{"a@x.org|News", "b@x.org|News"} << qint64(3);
        QTest::newRow("blank lines and a line of spaces")
            << QByteArray("\r\n   \r\n\r\na@x.org\r\n") << QStringList{"a@x.org|News"} << qint64(2);
        QTest::newRow("duplicate and control characters")
            << QByteArray("\ta@x.org \x01\r\nA@X.ORG\r\nc@x\x07.org\r\n") << QStringList{"a@x.org|News"} << qint64(3);
    }
    void singleColumn() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, entries);
        QFETCH(qint64, processed);
        ListImport run(*rules, *db.prompt);
        ImportSettings mapping;
        qint64 count = -1;
        QVERIFY(
            run.importFile(write(file, QStringLiteral("members.txt")), false, QStringLiteral("News"), mapping, &count));
        QCOMPARE(count, processed);
        QCOMPARE(items(), entries);
        QCOMPARE(db.prompt->texts().constLast(),
                 QStringLiteral("Processing of %1 entries has been completed").arg(processed));
        QVERIFY(!db.prompt->progressVisible);
        for (const QString &shown : db.prompt->progress) {
            QVERIFY2(!LineText::hasControlCharacters(shown), qPrintable(shown));
        }
        QCOMPARE(db.prompt->busyDepth, 0);
        // Two blanks stand between "at" and the date.
        QVERIFY(rows()
                    .constFirst()
                    .section(QLatin1Char('|'), 3, 3)
                    .startsWith(QStringLiteral("Import of entries from file \"members.txt\" at  ")));
    }

    void singleColumnNeedsCategoryAndFile() {
        ListImport run(*rules, *db.prompt);
        ImportSettings mapping;
        QVERIFY(!run.importFile(write("a@x.org\n"), false, QString(), mapping));
        QVERIFY(!run.importFile(db.tmp->filePath(QStringLiteral("missing.csv")), false, QStringLiteral("N"), mapping));
        QCOMPARE(db.prompt->texts(), QStringList({"You have not entered a list category to add these addresses to!",
                                                  "Error encountered opening your import file!"}));
        QVERIFY(rows().isEmpty());
    }

    void cancelKeepsWhatWasDone() {
        ImportLines lines(QStringList{"a@x.org", "b@x.org", "c@x.org"});
        db.prompt->cancelAfterProgressCalls = 1;
        ListImport run(*rules, *db.prompt);
        const qint64 count = run.Importfile(lines, true, true, QStringLiteral("p"), QStringLiteral("N"), false);
        QVERIFY(!run.completed());
        QVERIFY(count >= 1 && count < 3);
        QCOMPARE(rows().size(), int(count));
        QCOMPARE(db.prompt->texts().constLast(),
                 QStringLiteral("Processing of %1 entries has been completed").arg(count));
    }

    // A line whose request raises (an activity-log observer that fails stands for any failure the entry rules
    // do not catch themselves) asks whether to go on.
    void failingLineQuestion_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("No stops the run") << int(UserPrompt::No) << QStringList{"a@x.org|N", "b@x.org|N"};
        QTest::newRow("Yes goes on") << int(UserPrompt::Yes) << QStringList{"a@x.org|N", "b@x.org|N", "c@x.org|N"};
    }
    void failingLineQuestion() {
        QFETCH(int, answer);
        QFETCH(QStringList, entries);
        log->setObserver([](const QString &line) {
            if (line.contains(QLatin1String("b@x.org")))
                throw CorvaneError(QStringLiteral("refused"));
        });
        db.prompt->answer(UserPrompt::Button(answer));
        ImportLines lines(QStringList{"a@x.org", "b@x.org", "c@x.org"});
        ListImport run(*rules, *db.prompt);
        run.Importfile(lines, true, false, QStringLiteral("p"), QStringLiteral("N"), false);
        QCOMPARE(run.completed(), answer == UserPrompt::Yes);
        QCOMPARE(items(), entries);
        QVERIFY(db.prompt->allAnswersUsed());
        QVERIFY(db.prompt->texts().constFirst().startsWith(
            QStringLiteral("An error was encountered with line 1: refused")));
    }

    // Files as LibreOffice Calc writes them: header row, quoted text fields, a trailing empty column.
    void spreadsheetExport_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<bool>("header");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<qint64>("processed");
        QTest::newRow("semicolons, header, trailing column")
            << QByteArray("\"Email\";\"Group\";\"Name\";\"First\";\"Note\";\"Bounces\";\n"
                          "\"a@x.org\";\"Club\";\"Ann Lee\";\"Ann\";;2;\n"
                          "\"b@x.org\";;\"Bo Ek\";;\"vip\";x;\n")
            << ";" << true
            << QStringList{"a@x.org|Club|2|Import of entries from file \"calc.csv\" at |Ann Lee|Ann",
                           "b@x.org|Default|0|vip|Bo Ek|"}
            << qint64(2);
        QTest::newRow("header and one line") << QByteArray("Email,Group\r\nc@x.org,Club\r\n") << "," << true
                                             << QStringList{"c@x.org|Club|0|Import of entries from file \"calc.csv\" "
                                                            "at ||"}
                                             << qint64(1);
        QTest::newRow("quoted comma splits the name") << QByteArray("d@x.org,News,\"Doe, John\"\r\n") << "," << false
                                                      << QStringList{"d@x.org|News|0|Import of entries from file "
                                                                     "\"calc.csv\" at |Doe|John"}
                                                      << qint64(1);
    }
    void spreadsheetExport() {
        QFETCH(QByteArray, file);
        QFETCH(QString, separator);
        QFETCH(bool, header);
        QFETCH(QStringList, entries);
        QFETCH(qint64, processed);
        ImportSettings mapping;
        mapping.setFileName(write(file, QStringLiteral("calc.csv")));
        mapping.setSeparator(separator, *db.prompt);
        mapping.setHeader(header, *db.prompt);
        ListImport run(*rules, *db.prompt);
        qint64 count = -1;
        QVERIFY(run.importFile(mapping.fileName(), true, QString(), mapping, &count));
        QCOMPARE(count, processed);
        QStringList got = rows();
        for (QString &row : got) {
            // The date-time stamp after "at " differs per run.
            QStringList parts = row.split(QLatin1Char('|'));
            if (parts[3].contains(QLatin1String(" at "))) {
                parts[3] = parts[3].left(parts[3].indexOf(QLatin1String(" at ")) + 4);
            }
            row = parts.join(QLatin1Char('|'));
        }
        QCOMPARE(got, entries);
        QCOMPARE(db.prompt->texts().constLast(), QStringLiteral("%1 entries have been processed!").arg(processed));
    }

    void settingsDialogColumns() {
        ImportSettings mapping;
        mapping.setFileName(write("a@x.org\nb@x.org\n"));
        mapping.rebuild(*db.prompt);
        QCOMPARE(mapping.fileFields(), QStringList{"Field 1"});
        QVERIFY(mapping.canClose(*db.prompt));
        QVERIFY(mapping.movefield(0, +1, *db.prompt) == 1);
        QVERIFY(!mapping.canClose(*db.prompt));
        QCOMPARE(db.prompt->texts().constLast(),
                 QStringLiteral("You have not mapped your e-mail field.  This field is required!"));
        QCOMPARE(mapping.rowText(1), QStringLiteral("E-mail (no field)"));
        QCOMPARE(mapping.rowText(10), QStringLiteral("(ignore field)"));
        QCOMPARE(mapping.movefield(0, -1, *db.prompt), 0);
        QCOMPARE(db.prompt->beeps, 1);
        QCOMPARE(mapping.movefield(-1, 1, *db.prompt), -1);
        QCOMPARE(db.prompt->texts().constLast(), QStringLiteral("You have not selected a field to move!"));
        // A new separator rebuilds from the file and resets the arrangement.
        mapping.setSeparator(QStringLiteral(";"), *db.prompt);
        QCOMPARE(mapping.mapping(), ImportSettings::defaultMapping());
        QCOMPARE(mapping.exampleLabel(), QStringLiteral("(e.g. someone@example.com;My_Category)"));
    }

    void multiColumnBuildsMappingFirst() {
        ImportSettings mapping;
        mapping.setFileName(write("a@x.org,News\n"));
        QVERIFY(!mapping.built());
        ImportLines lines = ImportLines::fromFile(mapping.fileName());
        ListImport run(*rules, *db.prompt);
        QCOMPARE(run.ImportMultiColumnFile(lines, mapping, QStringLiteral("p ")), qint64(1));
        QCOMPARE(items(), QStringList{"a@x.org|News"});
    }

    void manualEntry_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("removeAll");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("add") << int(EnterAddresses::Choice::Add) << false << "Club"
                             << QStringList{"a@x.org|One", "a@x.org|Two", "b@x.org|Two", "a@x.org|Club",
                                            "c@x.org|Club"};
        QTest::newRow("remove from all") << int(EnterAddresses::Choice::Remove) << true << ""
                                         << QStringList{"b@x.org|Two"};
        QTest::newRow("remove from one") << int(EnterAddresses::Choice::Remove) << false << "Two"
                                         << QStringList{"a@x.org|One", "b@x.org|Two"};
        QTest::newRow("undeliverable, comma category not checked")
            << int(EnterAddresses::Choice::Undeliverable) << false << "a,b"
            << QStringList{"a@x.org|One", "a@x.org|Two", "b@x.org|Two"};
    }
    void manualEntry() {
        QFETCH(int, choice);
        QFETCH(bool, removeAll);
        QFETCH(QString, category);
        QFETCH(QStringList, entries);
        settings->MultipleCategorySupport.checked = true;
        for (const auto &[item, cat] : {std::pair{"a@x.org", "One"}, {"a@x.org", "Two"}, {"b@x.org", "Two"}}) {
            rules->insertentry(true, item, cat, {}, {}, {}, 0, false, false);
        }
        const QStringList lines = EnterAddresses::linesOf(QStringLiteral("a@x.org\r\nc@x.org\r\n"));
        QCOMPARE(lines.size(), 2);
        const auto which = EnterAddresses::Choice(choice);
        QVERIFY(EnterAddresses::accept(*rules, *db.prompt, lines, which, category, removeAll, category));
        QStringList got = items();
        got.sort();
        entries.sort();
        QCOMPARE(got, entries);
        if (which == EnterAddresses::Choice::Undeliverable) {
            db.table().first();
            QCOMPARE(db.table().integer(QStringLiteral("Bounces")), 1);
        }
        QVERIFY(db.prompt->texts().isEmpty());
    }

    void manualEntryChecks() {
        QVERIFY(
            !EnterAddresses::accept(*rules, *db.prompt, {"a@x.org"}, EnterAddresses::Choice::Remove, {}, false, {}));
        QVERIFY(!EnterAddresses::accept(*rules, *db.prompt, {"a@x.org"}, EnterAddresses::Choice::Add,
                                        QStringLiteral("a,b"), false, {}));
        QCOMPARE(db.prompt->texts().constFirst(),
                 QStringLiteral("You have not entered a category to remove these addresses from!"));
        QCOMPARE(db.prompt->texts().size(), 2);
        QVERIFY(rows().isEmpty());
        QCOMPARE(EnterAddresses::question(0), QStringLiteral("How should these  addresses be processed?"));
        QCOMPARE(EnterAddresses::question(3), QStringLiteral("How should these 3 addresses be processed?"));
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"

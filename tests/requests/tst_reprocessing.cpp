// The errors window's behaviour over a real list database: the list shown sorted without duplicates, the
// enabling of the actions, the deletion of selected lines, and the reprocessing of every kind of line the
// errors list holds, with and without "Ignore All Rules".
#include "RulesFixture.h"
#include "requests/ReprocessAsker.h"
#include "requests/Tdlgerrors.h"
#include "requests/Tdlgreprocess.h"

using namespace corvane;
using namespace corvane::test;

namespace {
// Answers the "Reprocess Entry" form: records what it was shown, ticks "Ignore All Rules" as told.
class FakeReprocessAsker : public ReprocessAsker {
public:
    bool ask(Tdlgreprocess &form) override {
        asked.append(QStringList{form.add ? QStringLiteral("add") : QStringLiteral("remove"), form.email, form.category,
                                 form.reason}
                         .join(QLatin1Char('|')));
        form.ignoreAllRules = ignore;
        return confirm;
    }
    bool confirm = true;
    bool ignore = false;
    QStringList asked;
};

class FakeChangeAsker : public AddressChangeAsker {
public:
    bool ask(QString &oldAddress, QString &newAddress, bool showIgnoreBox, bool &ignoreAllRules) override {
        asked.append(oldAddress + QLatin1Char('|') + newAddress + (showIgnoreBox ? QStringLiteral("|box") : ""));
        ignoreAllRules = ignore;
        return confirm;
    }
    bool confirm = true;
    bool ignore = false;
    QStringList asked;
};
} // namespace

class TestReprocessing : public QObject {
    Q_OBJECT

private slots:
    void reprocessing_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("answer"); // "ok", "ignore" (ok with the box ticked) or "cancel"
        QTest::addColumn<QString>("asked");  // what the dialog showed; empty: no dialog
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("errorsAfter");

        const QString invalid = QStringLiteral("Address contains too many @ symbols");
        QTest::newRow("add refused again")
            << "ADD a@b@x.com News" << QStringList() << QStringList() << "ok"
            << "add|a@b@x.com|News|" + invalid << QStringList() << QStringList{"ADD a@b@x.com News"};
        QTest::newRow("add with rules ignored")
            << "ADD a@b@x.com News" << QStringList() << QStringList() << "ignore"
            << "add|a@b@x.com|News|" + invalid << QStringList{"a@b@x.com|News|0"} << QStringList();
        QTest::newRow("no category gives the default")
            << "ADD good@x.com" << QStringList() << QStringList() << "ok"
            << "add|good@x.com||None" << QStringList{"good@x.com|Default|0"} << QStringList();
        QTest::newRow("words to and me leave the category")
            << "ADD good@x.com Back To me School" << QStringList() << QStringList() << "ok"
            << "add|good@x.com|Back School|None" << QStringList{"good@x.com|Back School|0"} << QStringList();
        QTest::newRow("blocked address refused") << "ADD nobody@example.com" << QStringList() << QStringList() << "ok"
                                                 << "add|nobody@example.com||None" << QStringList() << QStringList();
        QTest::newRow("blocked address, rules ignored")
            << "ADD nobody@example.com" << QStringList() << QStringList() << "ignore"
            << "add|nobody@example.com||None" << QStringList{"nobody@example.com|Default|0"} << QStringList();
        QTest::newRow("category rules apply with rules ignored")
            << "ADD good@x.com Chess" << QStringList{"restrict", "errorList"} << QStringList() << "ignore"
            << "add|good@x.com|Chess|None" << QStringList() << QStringList{"ADD good@x.com Chess"};
        QTest::newRow("remove from one category")
            << "REMOVE m@x.com News" << QStringList{"multi"} << QStringList{"m@x.com|News", "m@x.com|Sports"} << "ok"
            << "remove|m@x.com|News|None" << QStringList{"m@x.com|Sports|0"} << QStringList();
        QTest::newRow("bounce removal: every category")
            << "REMOVE m@x.com" << QStringList{"multi"} << QStringList{"m@x.com|News", "m@x.com|Sports"} << "ok"
            << "remove|m@x.com||None" << QStringList() << QStringList();
        QTest::newRow("cancel keeps the line")
            << "ADD good@x.com News" << QStringList() << QStringList() << "cancel"
            << "add|good@x.com|News|None" << QStringList() << QStringList{"ADD good@x.com News"};
        QTest::newRow("modify") << "MODIFY old@x.com new@x.com" << QStringList() << QStringList{"old@x.com|News"}
                                << "ok"
                                << "old@x.com|new@x.com|box" << QStringList{"new@x.com|News|0"} << QStringList();
        QTest::newRow("modify to an exception address fails again")
            << "MODIFY old@x.com new__@x.com" << QStringList() << QStringList{"old@x.com|News"} << "ok"
            << "old@x.com|new__@x.com|box" << QStringList{"old@x.com|News|0"}
            << QStringList{"MODIFY old@x.com new__@x.com"};
        QTest::newRow("modify to an exception address, rules ignored")
            << "MODIFY old@x.com new__@x.com" << QStringList() << QStringList{"old@x.com|News"} << "ignore"
            << "old@x.com|new__@x.com|box" << QStringList{"new__@x.com|News|0"} << QStringList();
        QTest::newRow("modify cancelled")
            << "MODIFY old@x.com new@x.com" << QStringList() << QStringList{"old@x.com|News"} << "cancel"
            << "old@x.com|new@x.com|box" << QStringList{"old@x.com|News|0"}
            << QStringList{"MODIFY old@x.com new@x.com"};
        // Refused requests are listed with their control characters made visible: never stored from there.
        QTest::newRow("visible control character in the address")
            << "ADD evil<U+000D>@x.com News" << QStringList() << QStringList() << "ignore" << QString() << QStringList()
            << QStringList{"ADD evil<U+000D>@x.com News"};
        QTest::newRow("visible control character in a change")
            << "MODIFY old@x.com new<U+0000>@x.com" << QStringList() << QStringList{"old@x.com|News"} << "ignore"
            << QString() << QStringList{"old@x.com|News|0"} << QStringList{"MODIFY old@x.com new<U+0000>@x.com"};
    }
    void reprocessing() {
        QFETCH(QString, line);
        QFETCH(QStringList, options);
        QFETCH(QStringList, entries);
        QFETCH(QString, answer);
        QFETCH(QString, asked);
        QFETCH(QStringList, rows);
        QFETCH(QStringList, errorsAfter);
        RulesFixture f;
        f.applyOptions(options);
        f.addEntries(entries);
        f.errors.setLines({line});
        Tdlgerrors window(f.errors, f.rules, f.settings, f.prompt);
        window.FormShow();
        window.setSelection({0}, 0);
        FakeReprocessAsker reprocess;
        FakeChangeAsker change;
        reprocess.confirm = change.confirm = answer != QLatin1String("cancel");
        reprocess.ignore = change.ignore = answer == QLatin1String("ignore");

        const Tdlgerrors::Outcome outcome = window.ReprocessEntry(reprocess, change);

        const QStringList seen = reprocess.asked + change.asked;
        QCOMPARE(seen, asked.isEmpty() ? QStringList() : QStringList{asked});
        QCOMPARE(f.rows(), rows);
        QCOMPARE(f.errors.lines(), errorsAfter);
        if (asked.isEmpty()) {
            QCOMPARE(outcome, Tdlgerrors::Outcome::Refused);
            QCOMPARE(f.prompt.texts(), QStringList{Tdlgerrors::refusedText()});
        } else {
            QCOMPARE(outcome, answer == QLatin1String("cancel") ? Tdlgerrors::Outcome::Cancelled
                                                                : Tdlgerrors::Outcome::Reprocessed);
        }
        // Added entries carry the reprocessing comment; nothing is acknowledged.
        for (const QString &row :
             line.startsWith(QLatin1String("ADD"), Qt::CaseInsensitive) ? f.rows(true) : QStringList()) {
            const QString address = row.section(QLatin1Char('|'), 0, 0);
            if (!entries.join(QLatin1Char(' ')).contains(address)) {
                QVERIFY2(row.section(QLatin1Char('|'), 3, 3).startsWith(QStringLiteral("Reprocessing of entry at ")),
                         qPrintable(row));
            }
        }
        QVERIFY(f.acks.sent.isEmpty());
    }

    void showingSortsWithoutDuplicates_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("identical lines") << QStringList{"REMOVE b@x.com", "ADD a@x.com", "REMOVE b@x.com"}
                                         << QStringList{"ADD a@x.com", "REMOVE b@x.com"};
        QTest::newRow("case only: the first survives")
            << QStringList{"add B@x.com", "ADD a@x.com", "ADD b@X.com"} << QStringList{"ADD a@x.com", "add B@x.com"};
        QTest::newRow("sorted without regard to case")
            << QStringList{"modify c@x.com d@x.com", "REMOVE b@x.com", "ADD a@x.com"}
            << QStringList{"ADD a@x.com", "modify c@x.com d@x.com", "REMOVE b@x.com"};
    }
    void showingSortsWithoutDuplicates() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, shown);
        RulesFixture f;
        f.errors.setLines(lines);
        Tdlgerrors window(f.errors, f.rules, f.settings, f.prompt);
        window.setSelection({0}, 0);
        window.FormShow();
        QCOMPARE(f.errors.lines(), shown);
        QVERIFY(window.selection().isEmpty());
        QVERIFY(!window.actionsEnabled());
    }

    void deleting_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QList<int>>("left");      // the remaining lines by their first numbers
        QTest::addColumn<QList<int>>("selection"); // the selection afterwards
        QTest::newRow("one in the middle") << 4 << QList<int>{1} << QList<int>{0, 2, 3} << QList<int>{1};
        QTest::newRow("two apart") << 6 << QList<int>{1, 3} << QList<int>{0, 2, 4, 5} << QList<int>{1};
        QTest::newRow("the last two") << 3 << QList<int>{1, 2} << QList<int>{0} << QList<int>{0};
        QTest::newRow("all") << 3 << QList<int>{2, 0, 1} << QList<int>() << QList<int>();
        QTest::newRow("nothing selected") << 2 << QList<int>() << QList<int>{0, 1} << QList<int>();
    }
    void deleting() {
        QFETCH(int, count);
        QFETCH(QList<int>, selected);
        QFETCH(QList<int>, left);
        QFETCH(QList<int>, selection);
        RulesFixture f;
        QStringList lines;
        for (int i = 0; i < count; ++i) {
            lines.append(QStringLiteral("ADD a%1@x.com").arg(i));
        }
        f.errors.setLines(lines);
        Tdlgerrors window(f.errors, f.rules, f.settings, f.prompt);
        window.setSelection(selected, selected.value(0, -1));
        QCOMPARE(window.actionsEnabled(), !window.selection().isEmpty());
        window.DeleteEntry();
        QStringList expected;
        for (int i : left) {
            expected.append(lines.at(i));
        }
        QCOMPARE(f.errors.lines(), expected);
        QCOMPARE(window.selection(), selection);
        QCOMPARE(window.focused(), selection.value(0, -1));
        QCOMPARE(window.actionsEnabled(), !selection.isEmpty());
    }

    void reprocessingActsOnTheFocusedLineAndSelectsItsPlace() {
        RulesFixture f;
        f.errors.setLines({"ADD a@x.com", "ADD b@x.com", "ADD c@x.com"});
        Tdlgerrors window(f.errors, f.rules, f.settings, f.prompt);
        window.setSelection({0, 2}, 2);
        FakeReprocessAsker reprocess;
        FakeChangeAsker change;
        QCOMPARE(window.ReprocessEntry(reprocess, change), Tdlgerrors::Outcome::Reprocessed);
        QCOMPARE(reprocess.asked, QStringList{"add|c@x.com||None"});
        QCOMPARE(f.errors.lines(), (QStringList{"ADD a@x.com", "ADD b@x.com"}));
        QCOMPARE(window.selection(), QList<int>{1});
        window.setSelection({}, -1);
        QCOMPARE(window.ReprocessEntry(reprocess, change), Tdlgerrors::Outcome::Nothing);
        QCOMPARE(reprocess.asked.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestReprocessing)
#include "tst_reprocessing.moc"

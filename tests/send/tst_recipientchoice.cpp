// The unique recipients computed into tblTemp from a real list database: the four choices, duplicates by
// letter case and category, personalisation on and off, typed lines with and without the validity check,
// the count label, the staleness flag and a cancelled computation.
#include "TestDatabase.h"
#include "db/SqliteTable.h"
#include "send/RecipientChoice.h"

#include <QTest>

using namespace corvane;

using Choice = RecipientChoice::Choice;

class TestRecipientChoice : public QObject {
    Q_OBJECT
    TestDatabase db;
    std::unique_ptr<RecipientChoice> rc;

    // tblTemp as "email|name|salutation" rows, by address.
    QStringList tempRows() {
        SqliteTable &t = db.dm->tblTemp();
        QStringList rows;
        t.setIndexFieldNames(QStringLiteral("Email"));
        for (t.first(); !t.eof(); t.next()) {
            rows << t.text(QStringLiteral("Email")) + QLatin1Char('|') + t.text(QStringLiteral("Name")) +
                        QLatin1Char('|') + t.text(QStringLiteral("Salutation"));
        }
        return rows;
    }

private slots:
    void init() {
        db.setUp();
        db.dm->CreateTemporaryTables();
        const QList<QStringList> entries{
            {"a@x.com", "news", "Ann Able", "Ann"},  {"A@X.COM", "sport", "Other", "O"},
            {"b@x.com", "sport", "Bob Bell", "Bob"}, {"c@x.com", "newsletter", "", ""},
            {"  d@x.com ", "News", " Dee ", " D "},
        };
        for (const QStringList &e : entries) {
            db.table().appendRecord({e[0], e[1], 0, QString(), e[2], e[3], false});
        }
        rc = std::make_unique<RecipientChoice>(db.table(), db.dm->tblTemp(), *db.prompt);
        rc->setProgressInterval(1);
    }
    void cleanup() {
        rc.reset();
        db.tearDown();
    }
    void fromList_data();
    void fromList();
    void manual_data();
    void manual();
    void staleness();
    void cancelled();
};

void TestRecipientChoice::fromList_data() {
    QTest::addColumn<Choice>("choice");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("notFilter");
    QTest::addColumn<bool>("personalise");
    QTest::addColumn<QString>("selectionLabel");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("all, first row of an address keeps its names, values trimmed")
        << Choice::All << ""
        << "" << true << "  5 Records"
        << QStringList{"a@x.com|Ann Able|Ann", "b@x.com|Bob Bell|Bob", "c@x.com||", "d@x.com|Dee|D"};
    QTest::newRow("all without personalisation: no names")
        << Choice::All << ""
        << "" << false << "  5 Records" << QStringList{"a@x.com||", "b@x.com||", "c@x.com||", "d@x.com||"};
    QTest::newRow("category prefix, letter case ignored")
        << Choice::Filter << "news"
        << "" << true << "  3 Records" << QStringList{"a@x.com|Ann Able|Ann", "c@x.com||", "d@x.com|Dee|D"};
    QTest::newRow("two categories") << Choice::Filter << "sport, newsl"
                                    << "" << true << "  3 Records"
                                    << QStringList{"A@X.COM|Other|O", "b@x.com|Bob Bell|Bob", "c@x.com||"};
    QTest::newRow("not of a category: the other entry of the address counts")
        << Choice::NotFilter << ""
        << "news" << true << "  2 Records" << QStringList{"A@X.COM|Other|O", "b@x.com|Bob Bell|Bob"};
    QTest::newRow("empty selection computes") << Choice::Filter << "zzz"
                                              << "" << true << "  0 Records" << QStringList{};
    QTest::newRow("filter chosen with an empty box: everything")
        << Choice::Filter << ""
        << "sport" << false << "  5 Records" << QStringList{"a@x.com||", "b@x.com||", "c@x.com||", "d@x.com||"};
}

void TestRecipientChoice::fromList() {
    QFETCH(Choice, choice);
    QFETCH(QString, filter);
    QFETCH(QString, notFilter);
    QFETCH(bool, personalise);
    QFETCH(QString, selectionLabel);
    QFETCH(QStringList, rows);
    rc->setChoice(choice);
    rc->setEdtfilter(filter);
    if (!notFilter.isEmpty()) {
        rc->edtnotfilterChange(notFilter);
        rc->setChoice(choice);
    }
    rc->rdballClick();
    QCOMPARE(rc->lblcount(), selectionLabel);
    QVERIFY(rc->stale());
    rc->btnrecalcClick(personalise);
    QCOMPARE(tempRows(), rows);
    QCOMPARE(rc->lblcount(), QStringLiteral("%1 Unique Recipients").arg(rows.size()));
    QVERIFY(!rc->stale());
    if (!rows.isEmpty()) {
        QCOMPARE(db.prompt->progress.value(0), QStringLiteral("0|Generating Unique Recipient List"));
    }
    QVERIFY(!db.prompt->progressVisible);
    QCOMPARE(db.prompt->busyDepth, 0);
}

void TestRecipientChoice::manual_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ignoreInvalid");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("rejects");
    const QString lines = QStringLiteral("Jane Doe <jane@x.com>\nnot an address\n\n  joe@x.com  \nJOE@x.com\n");
    QTest::newRow("invalid ignored: empty and bad lines rejected")
        << lines << true << QStringList{"jane@x.com|Jane Doe|", "joe@x.com||"} << QStringList{"not an address", ""};
    QTest::newRow("invalid kept: one empty address at most")
        << lines << false << QStringList{"||", "jane@x.com|Jane Doe|", "joe@x.com||", "not an address||"}
        << QStringList{};
}

void TestRecipientChoice::manual() {
    QFETCH(QString, typed);
    QFETCH(bool, ignoreInvalid);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, rejects);
    rc->setChoice(Choice::Manual);
    rc->rdballClick();
    QVERIFY(rc->enterRecipientsVisible());
    // Until the typed list is computed the label counts the list table's selection.
    QCOMPARE(rc->lblcount(), QStringLiteral("  5 Records"));
    rc->memCustom = typed;
    rc->chkvalidity = ignoreInvalid;
    rc->memrejects = QStringList{QStringLiteral("earlier")};
    rc->btnrecalcClick(true);
    QCOMPARE(tempRows(), rows);
    QCOMPARE(rc->memrejects, QStringList{QStringLiteral("earlier")} + rejects);
    QCOMPARE(rc->lblcount(), QStringLiteral("%1 Unique Recipients").arg(rows.size()));
    QVERIFY(!rc->stale());
    QVERIFY(db.prompt->progress.contains(QStringLiteral("20|Processing address, jane@x.com")));
}

void TestRecipientChoice::staleness() {
    rc->rdballClick();
    rc->btnrecalcClick(false);
    QVERIFY(!rc->stale());
    rc->memCustom = QStringLiteral("typing does not make it stale");
    QVERIFY(!rc->stale());
    rc->edtfilterChange(QStringLiteral("sport"));
    QCOMPARE(rc->choice(), Choice::Filter);
    QVERIFY(rc->stale());
    QCOMPARE(rc->lblcount(), QStringLiteral("  2 Records"));
    rc->btnrecalcClick(false);
    rc->markStale();
    QVERIFY(rc->stale());
    rc->btnrecalcClick(false);
    rc->edtnotfilterChange(QStringLiteral("sport"));
    QCOMPARE(rc->choice(), Choice::NotFilter);
    QCOMPARE(rc->lblcount(), QStringLiteral("  3 Records"));
    QVERIFY(rc->stale());
}

void TestRecipientChoice::cancelled() {
    rc->rdballClick();
    rc->btnrecalcClick(false);
    const QString label = rc->lblcount();
    rc->markStale();
    db.prompt->cancelAfterProgressCalls = 2;
    rc->btnrecalcClick(true);
    QVERIFY(rc->stale());
    QCOMPARE(rc->lblcount(), label);
    // The walk (by address: the blanks of "  d@x.com " first) stops at its third row, which was added before
    // the check; the rows before the cancel stay.
    QCOMPARE(tempRows(), QStringList({"a@x.com|Ann Able|Ann", "d@x.com|Dee|D"}));
}

QTEST_GUILESS_MAIN(TestRecipientChoice)
#include "tst_recipientchoice.moc"

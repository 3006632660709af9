// The entry rules for adding and removing: tidying, category rules, duplicate rule, validity and blocked
// addresses, removal from several categories, and what each outcome leaves in the list, the activity log,
// the errors list and the acknowledgements; the check of typed categories.
#include "RulesFixture.h"

#include <QFile>

using namespace corvane;
using namespace corvane::test;

namespace {
const QString Ann = QStringLiteral("ann@example.org");

QString added(const QString &address, const QString &list) {
    return address + QStringLiteral(" | The e-mail address, ") + address +
           QStringLiteral(", was successfully added to ") + list;
}
QString removed(const QString &address, const QString &list) {
    return address + QStringLiteral(" | The e-mail address, ") + address +
           QStringLiteral(", was successfully removed from ") + list;
}
} // namespace

class TestEntryRules : public QObject {
    Q_OBJECT

    std::unique_ptr<RulesFixture> f;

private slots:
    void init() { f = std::make_unique<RulesFixture>(); }
    void cleanup() { f.reset(); }

    void insertentry_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<bool>("add");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("fullName");
        QTest::addColumn<bool>("skipChecks");
        QTest::addColumn<bool>("acknowledge");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<QStringList>("acks");

        const QString longAddress =
            QString(60, QLatin1Char('u')) + QStringLiteral("@a-rather-long-domain-name.example.org");
        const QStringList threeOfAnn{Ann + "|A", Ann + "|B", Ann + "|C", "bob@example.org|A"};
        const QStringList bobLeft{"bob@example.org|A|0||Name|Sal|true"};

        // Adding.
        QTest::newRow("display name gives address, name and first name")
            << QStringList{} << QStringList{} << true << "\"Lee, Ann\" <ann@example.org>"
            << "News"
            << "" << false << true << QStringList{"ADD ann@example.org News [req] -> Entered Successfully"}
            << QStringList{"ann@example.org|News|0|req|Ann Lee|Ann|false"} << QStringList{}
            << QStringList{added(Ann, "our Mailing list.")};
        QTest::newRow("multiple categories name the category; sending allowed")
            << QStringList{"multi", "userSend"} << QStringList{} << true << Ann << "News"
            << "Ann Lee" << false << true << QStringList{"ADD ann@example.org News [req] -> Entered Successfully"}
            << QStringList{"ann@example.org|News|0|req|Ann Lee|Ann|true"} << QStringList{}
            << QStringList{added(Ann, "the Mailing list, News.")};
        QTest::newRow("empty category becomes the default")
            << QStringList{"multi"} << QStringList{} << true << Ann << ""
            << "" << false << true << QStringList{"ADD ann@example.org Default [req] -> Entered Successfully"}
            << QStringList{"ann@example.org|Default|0|req|||false"} << QStringList{}
            << QStringList{added(Ann, "the Mailing list, Default.")};
        QTest::newRow("no first name guessed when switched off")
            << QStringList{"noGuess"} << QStringList{} << true << Ann << "News"
            << "Ann Lee" << false << false << QStringList{"ADD ann@example.org News [req] -> Entered Successfully"}
            << QStringList{"ann@example.org|News|0|req|Ann Lee||false"} << QStringList{} << QStringList{};
        QTest::newRow("one entry per address: exists in another category, comments replaced")
            << QStringList{} << QStringList{Ann + "|Sports|0|old"} << true << "ANN@example.org"
            << "News"
            << "" << false << true << QStringList{"ADD ANN@example.org News [req] -> Entry already exists!"}
            << QStringList{"ann@example.org|Sports|0|req|Name|Sal|true"} << QStringList{}
            << QStringList{"ANN@example.org | The e-mail address, ANN@example.org, is already contained in our "
                           "Mailing list"};
        QTest::newRow("existing entry keeps its comments when asked")
            << QStringList{"keepComments"} << QStringList{Ann + "|Sports|0|old"} << true << Ann << "News"
            << "" << false << false << QStringList{"ADD ann@example.org News [req] -> Entry already exists!"}
            << QStringList{"ann@example.org|Sports|0|old|Name|Sal|true"} << QStringList{} << QStringList{};
        QTest::newRow("multiple categories: a second entry in another category")
            << QStringList{"multi"} << QStringList{Ann + "|Sports|0|old"} << true << Ann << "News"
            << "" << false << true << QStringList{"ADD ann@example.org News [req] -> Entered Successfully"}
            << QStringList{"ann@example.org|Sports|0|old|Name|Sal|true", "ann@example.org|News|0|req|||false"}
            << QStringList{} << QStringList{added(Ann, "the Mailing list, News.")};
        QTest::newRow("multiple categories: same category in other letter case exists")
            << QStringList{"multi"} << QStringList{Ann + "|News|0|old"} << true << Ann << "NEWS"
            << "" << false << true << QStringList{"ADD ann@example.org NEWS [req] -> Entry already exists!"}
            << QStringList{"ann@example.org|News|0|req|Name|Sal|true"} << QStringList{}
            << QStringList{Ann + " | The e-mail address, ann@example.org, is already contained in the Mailing list, "
                                 "NEWS."};
        QTest::newRow("invalid address")
            << QStringList{} << QStringList{} << true << "ann smith@example.org"
            << "News"
            << "" << false << true
            << QStringList{"ADD ann smith@example.org News [req] -> Not Added: Invalid E-mail Address (Error: Address "
                           "contains an invalid character)!"}
            << QStringList{} << QStringList{"ADD ann smith@example.org News"} << QStringList{};
        QTest::newRow("address holding an exception text")
            << QStringList{} << QStringList{} << true << "ann__x@example.org"
            << ""
            << "" << false << true
            << QStringList{"ADD ann__x@example.org Default [req] -> Not Added: Invalid E-mail Address (Error: E-mail "
                           "address contains Exception text as set in Options)!"}
            << QStringList{} << QStringList{"ADD ann__x@example.org Default"} << QStringList{};
        QTest::newRow("invalid address with checks skipped")
            << QStringList{} << QStringList{} << true << "ann smith@example.org"
            << "News"
            << "" << true << false << QStringList{"ADD ann smith@example.org News [req] -> Entered Successfully"}
            << QStringList{"ann smith@example.org|News|0|req|||false"} << QStringList{} << QStringList{};
        QTest::newRow("an address in the list exists even when now invalid")
            << QStringList{} << QStringList{"ann smith@example.org|News|0|old"} << true << "ann smith@example.org"
            << "News"
            << "" << false << false << QStringList{"ADD ann smith@example.org News [req] -> Entry already exists!"}
            << QStringList{"ann smith@example.org|News|0|req|Name|Sal|true"} << QStringList{} << QStringList{};
        QTest::newRow("blocked address, letter case ignored")
            << QStringList{} << QStringList{} << true << "NoBody@Example.com"
            << "News"
            << "" << false << true
            << QStringList{"ADD NoBody@Example.com News [req] -> Not Added: E-mail Address is blocked by rule!"}
            << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("blocked address with checks skipped")
            << QStringList{} << QStringList{} << true << "nobody@example.com"
            << "News"
            << "" << true << false << QStringList{"ADD nobody@example.com News [req] -> Entered Successfully"}
            << QStringList{"nobody@example.com|News|0|req|||false"} << QStringList{} << QStringList{};
        QTest::newRow("address without @ leaves nothing")
            << QStringList{} << QStringList{} << true << "ann.example.org"
            << "News"
            << "" << false << true << QStringList{} << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("empty address leaves nothing")
            << QStringList{} << QStringList{} << false << ""
            << "News"
            << "" << false << true << QStringList{} << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("address longer than an entry holds is refused, not cut")
            << QStringList{} << QStringList{} << true << longAddress << "News"
            << "" << false << true
            << QStringList{"ADD " + longAddress + " News [req] -> Error inserting into database: The e-mail address " +
                           longAddress + " is longer than the 80 characters an entry can hold"}
            << QStringList{} << QStringList{"ADD " + longAddress + " News"} << QStringList{};

        // Allowed categories.
        QTest::newRow("allowed category in other letter case is kept as requested")
            << QStringList{"restrict", "errorList"} << QStringList{} << true << Ann << "news"
            << "" << false << false << QStringList{"ADD ann@example.org news [req] -> Entered Successfully"}
            << QStringList{"ann@example.org|news|0|req|||false"} << QStringList{} << QStringList{};
        QTest::newRow("default category is always allowed")
            << QStringList{"restrict", "errorList"} << QStringList{} << true << Ann << "DEFAULT"
            << "" << false << false << QStringList{"ADD ann@example.org DEFAULT [req] -> Entered Successfully"}
            << QStringList{"ann@example.org|DEFAULT|0|req|||false"} << QStringList{} << QStringList{};
        QTest::newRow("category not allowed goes to the errors list")
            << QStringList{"restrict", "errorList"} << QStringList{} << true << Ann << "Chess"
            << "" << false << true
            << QStringList{"ADD ann@example.org Chess [req] -> Not Added: Invalid Category Address!"} << QStringList{}
            << QStringList{"ADD ann@example.org Chess"} << QStringList{};
        QTest::newRow("category not allowed is replaced")
            << QStringList{"restrict", "alt:Other", "multi"} << QStringList{} << true << Ann << "Chess"
            << "" << false << true << QStringList{"ADD ann@example.org Other [req] -> Entered Successfully"}
            << QStringList{"ann@example.org|Other|0|req|||false"} << QStringList{}
            << QStringList{added(Ann, "the Mailing list, Other.")};
        QTest::newRow("empty allowed list accepts every category")
            << QStringList{"restrictEmpty", "errorList"} << QStringList{} << true << Ann << "Chess"
            << "" << false << false << QStringList{"ADD ann@example.org Chess [req] -> Entered Successfully"}
            << QStringList{"ann@example.org|Chess|0|req|||false"} << QStringList{} << QStringList{};
        QTest::newRow("removal in a category not allowed")
            << QStringList{"restrict", "errorList"} << QStringList{Ann + "|News"} << false << Ann << "Chess"
            << "" << false << true
            << QStringList{"REMOVE ann@example.org Chess [req] -> Not Added: Invalid Category Address!"}
            << QStringList{"ann@example.org|News|0||Name|Sal|true"} << QStringList{"REMOVE ann@example.org Chess"}
            << QStringList{};
        QTest::newRow("removal from all categories is not restricted")
            << QStringList{"restrict", "errorList", "multi"} << QStringList{Ann + "|News", Ann + "|Chess"} << false
            << Ann << "all"
            << "" << false << false << QStringList{"REMOVE ann@example.org  [req] -> Entry successfully deleted!"}
            << QStringList{} << QStringList{} << QStringList{};

        // Removing.
        QTest::newRow("empty category removes from three categories")
            << QStringList{"multi"} << threeOfAnn << false << Ann << ""
            << "" << false << true << QStringList{"REMOVE ann@example.org  [req] -> Entry successfully deleted!"}
            << bobLeft << QStringList{} << QStringList(3, removed(Ann, "our Mailing list."));
        QTest::newRow("ME removes from every category, without acknowledgements")
            << QStringList{"multi"} << threeOfAnn << false << "ANN@EXAMPLE.ORG"
            << "me"
            << "" << false << false << QStringList{"REMOVE ANN@EXAMPLE.ORG  [req] -> Entry successfully deleted!"}
            << bobLeft << QStringList{} << QStringList{};
        QTest::newRow("multiple categories: only the named category")
            << QStringList{"multi"} << threeOfAnn << false << Ann << "b"
            << "" << false << true << QStringList{"REMOVE ann@example.org b [req] -> Entry successfully deleted!"}
            << QStringList{"ann@example.org|A|0||Name|Sal|true", "ann@example.org|C|0||Name|Sal|true", bobLeft.first()}
            << QStringList{} << QStringList{removed(Ann, "the Mailing list, b.")};
        QTest::newRow("one entry per address: the named category does not matter")
            << QStringList{} << threeOfAnn << false << Ann << "B"
            << "" << false << true << QStringList{"REMOVE ann@example.org B [req] -> Entry successfully deleted!"}
            << bobLeft << QStringList{} << QStringList(3, removed(Ann, "our Mailing list."));
        QTest::newRow("address not in the list")
            << QStringList{} << QStringList{} << false << "zed@example.org"
            << ""
            << "" << false << true << QStringList{"REMOVE zed@example.org  [req] -> E-mail address not found!"}
            << QStringList{} << QStringList{}
            << QStringList{"zed@example.org | There is no record of the e-mail address, zed@example.org, in our "
                           "Mailing list!"};
        QTest::newRow("multiple categories: not in the named category")
            << QStringList{"multi"} << QStringList{Ann + "|A"} << false << Ann << "B"
            << "" << false << true << QStringList{"REMOVE ann@example.org B [req] -> E-mail address not found!"}
            << QStringList{"ann@example.org|A|0||Name|Sal|true"} << QStringList{}
            << QStringList{Ann + " | There is no record of the e-mail address, ann@example.org, in the Mailing list, "
                                 "B."};
        QTest::newRow("removal needs no valid address")
            << QStringList{} << QStringList{"ann smith@example.org|A"} << false << "ann smith@example.org"
            << ""
            << "" << false << false << QStringList{"REMOVE ann smith@example.org  [req] -> Entry successfully deleted!"}
            << QStringList{} << QStringList{} << QStringList{};

        // Control characters, as an encoded word in a mail header may decode to, are refused.
        const QString refused = QStringLiteral(" [req] -> The request holds control characters and was refused!");
        QTest::newRow("a display name folded over lines")
            << QStringList{} << QStringList{} << true << "\"Evil\r\nREMOVE everybody\" <ann@example.org>"
            << "News"
            << "" << false << true << QStringList{"ADD ann@example.org News" + refused} << QStringList{}
            << QStringList{"ADD ann@example.org News"} << QStringList{};
        QTest::newRow("a category forging a line")
            << QStringList{"multi"} << QStringList{} << true << Ann << "News\r\nADD x@evil.example Sports"
            << "" << false << true
            << QStringList{"ADD ann@example.org News<U+000D><U+000A>ADD x@evil.example Sports" + refused}
            << QStringList{} << QStringList{"ADD ann@example.org News<U+000D><U+000A>ADD x@evil.example Sports"}
            << QStringList{};
        QTest::newRow("skipping the checks lets no NUL through")
            << QStringList{} << QStringList{} << true
            << QStringLiteral("ann@exam") + QChar(0) + QStringLiteral("ple.org") << "News"
            << "" << true << false << QStringList{"ADD ann@exam<U+0000>ple.org News" + refused} << QStringList{}
            << QStringList{"ADD ann@exam<U+0000>ple.org News"} << QStringList{};
        QTest::newRow("a removal with a line feed in the address")
            << QStringList{"unsubscribersBlocked"} << QStringList{Ann + "|A"} << false << Ann + "\n"
            << ""
            << "" << false << true << QStringList{"REMOVE ann@example.org<U+000A> " + refused}
            << QStringList{"ann@example.org|A|0||Name|Sal|true"} << QStringList{"REMOVE ann@example.org<U+000A>"}
            << QStringList{};
    }

    void insertentry() {
        QFETCH(QStringList, options);
        QFETCH(QStringList, existing);
        QFETCH(bool, add);
        QFETCH(QString, address);
        QFETCH(QString, category);
        QFETCH(QString, fullName);
        QFETCH(bool, skipChecks);
        QFETCH(bool, acknowledge);
        f->applyOptions(options);
        f->addEntries(existing);

        f->rules.insertentry(add, address, category, fullName, QString(), QStringLiteral("req"), 0, skipChecks,
                             acknowledge);

        QTEST(f->logLines(), "log");
        QTEST(f->rows(true), "rows");
        QTEST(f->errors.lines(), "errors");
        QTEST(f->acks.sent, "acks");
        QVERIFY(f->prompt.shown.isEmpty());
    }

    void controlCharactersInOtherStoredValues_data() {
        QTest::addColumn<QString>("firstName");
        QTest::addColumn<QString>("comments");
        QTest::addColumn<QString>("defaultCategory");
        QTest::addColumn<QString>("logged");
        QTest::addColumn<QString>("error");
        // Refused before the category rules: the log shows the category as requested (empty here).
        QTest::newRow("first name with a tab") << "An\tn"
                                               << "c"
                                               << "Default"
                                               << "ADD ann@example.org  [c]"
                                               << "ADD ann@example.org";
        QTest::newRow("comments with DEL and a C1 next line")
            << "" << QStringLiteral("c\x7f") + QChar(0x85) << "Default"
            << "ADD ann@example.org  [c<U+007F><U+0085>]"
            << "ADD ann@example.org";
        QTest::newRow("default category of the settings") << ""
                                                          << "c"
                                                          << "Def\nault"
                                                          << "ADD ann@example.org Def<U+000A>ault [c]"
                                                          << "ADD ann@example.org Def<U+000A>ault";
    }
    void controlCharactersInOtherStoredValues() {
        QFETCH(QString, firstName);
        QFETCH(QString, comments);
        QFETCH(QString, defaultCategory);
        QFETCH(QString, logged);
        f->settings.defaultcategory = defaultCategory;
        f->rules.insertentry(true, Ann, QString(), QStringLiteral("Ann Lee"), firstName, comments, 0, true, true);
        QCOMPARE(f->logLines(), QStringList{logged + " -> The request holds control characters and was refused!"});
        QTEST(f->errors.lines().join(QLatin1Char('|')), "error");
        QVERIFY(f->rows().isEmpty());
        QVERIFY(f->acks.sent.isEmpty());
    }

    void givenValuesOfNewEntry() {
        f->rules.insertentry(true, Ann, QStringLiteral("News"), QStringLiteral("Ann Lee"), QStringLiteral("Annie"),
                             QStringLiteral("from import"), 4, false, false);
        QCOMPARE(f->rows(true), QStringList{"ann@example.org|News|4|from import|Ann Lee|Annie|false"});
    }

    void unsubscriberBlocked_data() {
        QTest::addColumn<bool>("option");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("blocked");
        QTest::addColumn<QStringList>("rows");

        const QStringList nobody{"nobody@example.com"};
        QTest::newRow("not in the list: blocked in lower case, sorted")
            << true << QStringList{} << "Abe@Example.org" << QStringList{"abe@example.org", "nobody@example.com"}
            << QStringList{};
        QTest::newRow("in the list: removed and blocked")
            << true << QStringList{"zed@example.org|A"} << "zed@example.org"
            << QStringList{"nobody@example.com", "zed@example.org"} << QStringList{};
        QTest::newRow("already blocked in other letter case: not added twice")
            << true << QStringList{} << "NOBODY@example.com" << nobody << QStringList{};
        QTest::newRow("option off") << false << QStringList{"zed@example.org|A"} << "zed@example.org" << nobody
                                    << QStringList{};
    }

    void unsubscriberBlocked() {
        QFETCH(bool, option);
        QFETCH(QStringList, existing);
        QFETCH(QString, address);
        f->settings.AddUnsubscribers = option;
        f->addEntries(existing);

        f->rules.insertentry(false, address, QString(), QString(), QString(), QString(), 0, false, false);

        QTEST(f->settings.BlockedAddresses.items(), "blocked");
        QTEST(f->rows(), "rows");
        // A blocked unsubscriber cannot come back by request.
        f->rules.insertentry(true, address, QString(), QString(), QString(), QString(), 0, false, false);
        QCOMPARE(f->rows().isEmpty(), option);
    }

    void logSwitchedOff() {
        f->settings.MaintainLog = false;
        f->rules.insertentry(true, Ann, QString(), QString(), QString(), QString(), 0, false, false);
        QVERIFY(!QFile::exists(ActivityLog::fileName()));

        QFile file(ActivityLog::fileName());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier\r\n");
        file.close();
        f->rules.insertentry(false, Ann, QString(), QString(), QString(), QString(), 0, false, false);
        QCOMPARE(f->logLines(), QStringList{"earlier"});

        f->settings.MaintainLog = true;
        f->rules.insertentry(true, Ann, QString(), QString(), QString(), QString(), 0, false, false);
        QCOMPARE(f->logLines(), (QStringList{"earlier", "ADD ann@example.org Default [] -> Entered Successfully"}));
        QVERIFY(f->rows().size() == 1);
    }

    void getGroupOfUser() {
        f->addEntries({"zed@example.org|Z", Ann + "|B", Ann + "|A"});
        QCOMPARE(f->rules.GetGroupOfUser(QStringLiteral("ANN@example.org")), QStringLiteral("B"));
        QCOMPARE(f->rules.GetGroupOfUser(QStringLiteral("bob@example.org")), QString());
        f->dm.CloseDatabase();
        QCOMPARE(f->rules.GetGroupOfUser(Ann), QString());
    }

    void checkCategory_data() {
        QTest::addColumn<QString>("category");
        QTest::addColumn<int>("answer"); // UserPrompt::NoButton: no question expected
        QTest::addColumn<bool>("acceptable");
        QTest::addColumn<QStringList>("messages");

        const QString comma = QStringLiteral(
            "The category you have entered contains a comma.  Commas are not permitted in category names.");
        const QString space =
            QStringLiteral("The category you have entered contains a space.  Are you sure you want to continue?");
        QTest::newRow("empty") << "" << int(UserPrompt::NoButton) << true << QStringList{};
        QTest::newRow("plain") << "News" << int(UserPrompt::NoButton) << true << QStringList{};
        QTest::newRow("leading comma") << ",News" << int(UserPrompt::NoButton) << false << QStringList{comma};
        QTest::newRow("comma and space: the comma decides")
            << "News, Sports" << int(UserPrompt::NoButton) << false << QStringList{comma};
        QTest::newRow("leading space, Yes") << " News" << int(UserPrompt::Yes) << true << QStringList{space};
        QTest::newRow("inner space, No") << "Sports News" << int(UserPrompt::No) << false << QStringList{space};
    }

    void checkCategory() {
        QFETCH(QString, category);
        QFETCH(int, answer);
        if (answer != UserPrompt::NoButton) {
            f->prompt.answer(UserPrompt::Button(answer));
        }
        QTEST(f->rules.CheckCategory(category), "acceptable");
        QTEST(f->prompt.texts(), "messages");
        QVERIFY(f->prompt.allAnswersUsed());
    }
};

QTEST_GUILESS_MAIN(TestEntryRules)
#include "tst_entryrules.moc"

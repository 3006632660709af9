// The options dialog's rules without widgets: list editing and its normalisation, the enabling table, OK's
// checks and commits, Cancel, the restart message, the blocked-list rescan and the fixed To: address.
#include "../requests/RulesFixture.h"
#include "SettingsFixture.h"
#include "settings/SettingsStore.h"
#include "settings/Tdlgoptions.h"

#include <QSet>
#include <QTest>

using namespace corvane;

namespace {

// Drives one row of the enabling table on or off by the option it is named after.
void drive(const QString &driver, bool on, Settings &s, OptionsMirror &m) {
    if (driver == QLatin1String("Do not allow the insertion of invalid addresses")) {
        s.Except = on;
    } else if (driver == QLatin1String("Only allow the following list categories:")) {
        m.rdbRestrictCategories = on;
    } else if (driver == QLatin1String("Change the category to:")) {
        m.rdbRestrictCategories = true;
        s.WrongCategoryIsError = {!on, on};
    } else if (driver == QLatin1String("Add multiple addresses (hidden) to each e-mail")) {
        m.rdbSeparateEmail = !on;
    } else if (driver == QLatin1String("Automatically process Delivery Failure messages")) {
        s.FailedMail = on;
    } else if (driver == QLatin1String("Send e-mails to users advising them of Mailing List changes")) {
        s.SendAcknowledgement = on;
    } else if (driver == QLatin1String("Scan for new entries every")) {
        s.AutoScanDelayed = on;
    } else if (driver == QLatin1String("Send messages at")) {
        s.StaggerDelay.checked = on;
    } else if (driver == QLatin1String("Allows users to send to mailing lists")) {
        s.UserSending = on;
    } else if (driver == QLatin1String("Remove addresses that have bounced more than")) {
        s.BounceMax.checked = on;
    } else if (driver == QLatin1String("Limit caching of database records to:")) {
        s.LimitDBCache = on;
    } else {
        QFAIL(qPrintable(QStringLiteral("no driver ") + driver));
    }
}

QStringList namesOf(const std::vector<OptionsControl> &controls) {
    QStringList names;
    for (const OptionsControl c : controls) {
        names.append(OptionsEnabling::controlName(c));
    }
    return names;
}

// An editor that replaces the lines by `typed`, or cancels when `ok` is false.
Tdlgoptions::Editor typing(const QStringList &typed, bool ok = true) {
    return [typed, ok](QStringList &lines) {
        if (ok) {
            lines = typed;
        }
        return ok;
    };
}

} // namespace

class TestOptionsDialog : public QObject {
    Q_OBJECT

private slots:
    void editEntries_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QList<int>>("commaAnswers");
        QTest::addColumn<QStringList>("expected");
        const auto ok = static_cast<int>(UserPrompt::Ok);
        const auto cancel = static_cast<int>(UserPrompt::Cancel);
        QTest::newRow("comma turned into underscore, duplicate dropped")
            << int(RuleListKind::AllowedCategories) << QStringList{"News, Sports", "news", "NEWS"} << QList<int>{ok}
            << QStringList{"news", "news_ sports"};
        QTest::newRow("comma line dropped on Cancel")
            << int(RuleListKind::AllowedCategories) << QStringList{"Sports,Golf", "Chess"} << QList<int>{cancel}
            << QStringList{"chess"};
        QTest::newRow("one question per comma line")
            << int(RuleListKind::AllowedCategories) << QStringList{"a,b", "c,d"} << QList<int>{ok, cancel}
            << QStringList{"a_b"};
        QTest::newRow("synonyms upper-cased into one")
            << int(RuleListKind::AddSynonyms) << QStringList{"join", "Join", "JOIN"} << QList<int>{}
            << QStringList{"JOIN"};
        QTest::newRow("empty lines vanish, blank lines stay")
            << int(RuleListKind::ModifySynonyms) << QStringList{"", "alter", "   ", ""} << QList<int>{}
            << QStringList{"   ", "ALTER"};
        QTest::newRow("blocked addresses lower-cased and sorted")
            << int(RuleListKind::BlockedAddresses) << QStringList{"Zed@Example.org", "amy@example.org"} << QList<int>{}
            << QStringList{"amy@example.org", "zed@example.org"};
        QTest::newRow("failure subjects keep their case, first kept")
            << int(RuleListKind::FailureSubjects) << QStringList{"Returned Mail", "returned mail", "Non-delivery"}
            << QList<int>{} << QStringList{"Non-delivery", "Returned Mail"};
        QTest::newRow("no comma question outside categories")
            << int(RuleListKind::AddressExceptions) << QStringList{"a,b"} << QList<int>{} << QStringList{"a,b"};
    }
    void editEntries() {
        QFETCH(int, kind);
        QFETCH(QStringList, typed);
        QFETCH(QList<int>, commaAnswers);
        QFETCH(QStringList, expected);
        test::RulesFixture f;
        SettingsStore store(f.prompt, f.dm);
        Tdlgoptions dialog(f.settings, store, f.dm, f.prompt, &f.rules);
        for (const int answer : commaAnswers) {
            f.prompt.answer(static_cast<UserPrompt::Button>(answer));
        }
        const auto list = static_cast<RuleListKind>(kind);
        QVERIFY(dialog.EditEntries(list, typing(typed)));
        QCOMPARE(RuleListEditing::items(f.settings, list), expected);
        QVERIFY(f.prompt.allAnswersUsed());
        QCOMPARE(f.prompt.texts().count(RuleListEditing::commaQuestion()), commaAnswers.size());
        if (list == RuleListKind::AllowedCategories) {
            QCOMPARE(dialog.categoryItems(), expected);
        }
        // Cancel in the editor changes nothing.
        QVERIFY(!dialog.EditEntries(list, typing({"other"}, false)));
        QCOMPARE(RuleListEditing::items(f.settings, list), expected);
    }

    void enablingTable_data() {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QStringList>("controls");
        QSet<QString> covered;
        for (const OptionsEnabling::Row &row : OptionsEnabling::rows()) {
            const QStringList names = namesOf(row.controls);
            QTest::newRow(qPrintable(row.driver)) << row.driver << names;
            for (const QString &name : names) {
                QVERIFY2(!covered.contains(name), qPrintable(name + " is in two rows"));
                covered.insert(name);
            }
        }
        QCOMPARE(covered.size(), int(OptionsControl::CacheSpin) + 1);
    }
    void enablingTable() {
        QFETCH(QString, driver);
        QFETCH(QStringList, controls);
        for (const bool on : {true, false, true}) {
            Settings s;
            OptionsMirror m;
            // Every other row the other way, so that a row reading the wrong option shows.
            for (const OptionsEnabling::Row &row : OptionsEnabling::rows()) {
                if (row.driver != driver && row.driver != QLatin1String("Change the category to:")) {
                    drive(row.driver, !on, s, m);
                }
            }
            drive(driver, on, s, m);
            const QHash<OptionsControl, bool> states = OptionsEnabling::states(s, m);
            for (auto it = states.cbegin(); it != states.cend(); ++it) {
                if (controls.contains(OptionsEnabling::controlName(it.key()))) {
                    QVERIFY2(it.value() == on, qPrintable(OptionsEnabling::controlName(it.key())));
                }
            }
        }
    }
    void alternativeCategoryNeedsRestriction() {
        Settings s;
        OptionsMirror m;
        s.WrongCategoryIsError = {false, true};
        m.rdbRestrictCategories = false;
        QVERIFY(!OptionsEnabling::states(s, m).value(OptionsControl::AlternativeCategory));
        m.rdbRestrictCategories = true;
        QVERIFY(OptionsEnabling::states(s, m).value(OptionsControl::AlternativeCategory));
    }

    void okChecks_data() {
        QTest::addColumn<bool>("userSending");
        QTest::addColumn<QString>("userFolder");
        QTest::addColumn<bool>("forwardAll");
        QTest::addColumn<QString>("listFolder");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("empty user folder")
            << true << "" << false << "MailingList" << false << QStringList{Tdlgoptions::userFolderMissingText()};
        QTest::newRow("forward all from the request folder")
            << true << "Lists" << true << "Lists" << false << QStringList{Tdlgoptions::sameFolderText("Lists")};
        QTest::newRow("both checks fail")
            << true << "" << true << "" << false
            << QStringList{Tdlgoptions::userFolderMissingText(), Tdlgoptions::sameFolderText("")};
        QTest::newRow("folder names differ in case only")
            << true << "lists" << true << "Lists" << true << QStringList{};
        QTest::newRow("subject messages from the request folder")
            << true << "Lists" << false << "Lists" << true << QStringList{};
        QTest::newRow("user sending off") << false << "" << true << "" << true << QStringList{};
    }
    void okChecks() {
        QFETCH(bool, userSending);
        QFETCH(QString, userFolder);
        QFETCH(bool, forwardAll);
        QFETCH(QString, listFolder);
        QFETCH(bool, closes);
        QFETCH(QStringList, messages);
        test::RulesFixture f;
        SettingsStore store(f.prompt, f.dm);
        store.Loadentries(f.settings);
        Tdlgoptions dialog(f.settings, store, f.dm, f.prompt, &f.rules);
        dialog.FormShow();
        int cachingApplied = 0;
        dialog.applyCaching = [&] { ++cachingApplied; };
        f.settings.UserSending = userSending;
        f.settings.UserSendingFolder = userFolder;
        f.settings.ForwardAll = {forwardAll, !forwardAll};
        dialog.mirror.cmbMailingList = listFolder;
        f.settings.BounceMax = {true, 7};
        dialog.mirror.rdbSeparateEmail = true;
        f.settings.AddSynonyms.setItems({"ENROL"});
        QCOMPARE(dialog.BitBtn1Click(), closes);
        QCOMPARE(f.prompt.texts(), messages);
        QCOMPARE(dialog.currentPage, closes ? int(Tdlgoptions::General) : int(Tdlgoptions::UserSending));
        // The later steps ran all the same: the changes are stored.
        QCOMPARE(cachingApplied, 1);
        QCOMPARE(SettingsSandbox::stored("BounceMax").toString(), QStringLiteral("7"));
        QCOMPARE(SettingsSandbox::stored("SendCount ").toString(), QStringLiteral("1"));
        QCOMPARE(SettingsSandbox::stored("MailingListGroup").toString(), listFolder);
        QCOMPARE(SettingsSandbox::stored("UserSending").toString(),
                 userSending ? QStringLiteral("true") : QStringLiteral("False"));
        QCOMPARE(TextFile::readLines(AppPaths::applicationDirectory() + "addstr.txt"), QStringList{"ENROL"});
    }

    void okCommitsMirroredControls() {
        test::RulesFixture f;
        SettingsStore store(f.prompt, f.dm);
        store.Loadentries(f.settings);
        Tdlgoptions dialog(f.settings, store, f.dm, f.prompt, &f.rules);
        f.settings.SendCount = 1;
        f.settings.RestrictCategories = false;
        dialog.FormShow();
        QVERIFY(dialog.mirror.rdbSeparateEmail);
        dialog.mirror.rdbSeparateEmail = false;
        dialog.mirror.spnRecipients = 75;
        // Restricting to an empty list of categories does not restrict.
        dialog.mirror.rdbRestrictCategories = true;
        f.settings.defaultcategory.clear();
        f.settings.AlternativeCategory.clear();
        QVERIFY(dialog.BitBtn1Click());
        QCOMPARE(f.settings.SendCount, 75);
        QVERIFY(!f.settings.RestrictCategories);
        QCOMPARE(f.settings.defaultcategory, QStringLiteral("Default"));
        QCOMPARE(f.settings.AlternativeCategory, QStringLiteral("Default"));
        f.settings.AllowedCategories = {"news"};
        QVERIFY(dialog.BitBtn1Click());
        QVERIFY(f.settings.RestrictCategories);
        f.settings.RestrictCategories = true;
        f.settings.AllowedCategories.clear();
        dialog.FormShow();
        QVERIFY(!dialog.mirror.rdbRestrictCategories);
    }

    void restartMessageOnce_data() {
        QTest::addColumn<bool>("share");
        QTest::addColumn<bool>("strict");
        QTest::addColumn<int>("messages");
        QTest::newRow("nothing changed") << false << false << 0;
        QTest::newRow("sharing changed") << true << false << 1;
        QTest::newRow("strict detection changed") << false << true << 1;
        QTest::newRow("both changed") << true << true << 1;
    }
    void restartMessageOnce() {
        QFETCH(bool, share);
        QFETCH(bool, strict);
        QFETCH(int, messages);
        test::RulesFixture f;
        SettingsStore store(f.prompt, f.dm);
        store.Loadentries(f.settings);
        f.dm.setDBExclusive(true);
        f.dm.setStrictChangeDetection(false);
        Tdlgoptions dialog(f.settings, store, f.dm, f.prompt, &f.rules);
        dialog.FormShow();
        dialog.mirror.chkShareDB = share;
        dialog.mirror.chkStrictDetection = strict;
        QVERIFY(dialog.BitBtn1Click());
        QCOMPARE(f.prompt.texts().count(Tdlgoptions::restartText()), messages);
        QCOMPARE(f.dm.DBExclusive(), !share);
        QCOMPARE(f.dm.StrictChangeDetection(), strict);
        QCOMPARE(SettingsSandbox::stored("DBExclusive").toString(),
                 share ? QStringLiteral("False") : QStringLiteral("true"));
        f.prompt.shown.clear();
        dialog.FormShow();
        QVERIFY(dialog.BitBtn1Click());
        QVERIFY(f.prompt.texts().isEmpty());
    }

    void cancelRestoresStoredState_data() {
        QTest::addColumn<bool>("savedBefore");
        QTest::newRow("files saved before") << true;
        QTest::newRow("no files yet") << false;
    }
    void cancelRestoresStoredState() {
        QFETCH(bool, savedBefore);
        test::RulesFixture f;
        SettingsStore store(f.prompt, f.dm);
        store.Loadentries(f.settings);
        Tdlgoptions dialog(f.settings, store, f.dm, f.prompt, &f.rules);
        if (savedBefore) {
            dialog.FormShow();
            f.settings.RemoveSynonyms.setItems({"LEAVE"});
            QVERIFY(dialog.BitBtn1Click());
        }
        const Settings before = f.settings;
        dialog.FormShow();
        f.settings.MaintainLog = !f.settings.MaintainLog;
        f.settings.UserSending = true;
        f.prompt.answer(UserPrompt::Ok);
        QVERIFY(dialog.EditEntries(RuleListKind::RemoveSynonyms, typing({"quit"})));
        QVERIFY(dialog.EditEntries(RuleListKind::AllowedCategories, typing({"golf"})));
        dialog.BitBtn2Click();
        QVERIFY(f.settings == before);
        QVERIFY(dialog.categoryItems().isEmpty());
    }

    void blockedRescan_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<bool>("asked");
        const QStringList all{"amy@example.org|news|0", "bob@example.org|news|0", "bob@example.org|sport|0",
                              "cy@example.org|news|0"};
        QTest::newRow("Yes removes every listed address in every category")
            << QStringList{"BOB@example.org", "nobody@example.net"} << int(UserPrompt::Yes)
            << QStringList{all.at(0), all.at(3)} << true;
        QTest::newRow("No keeps the list") << QStringList{"bob@example.org"} << int(UserPrompt::No) << all << true;
        QTest::newRow("emptied list asks nothing") << QStringList{""} << int(UserPrompt::NoButton) << all << false;
    }
    void blockedRescan() {
        QFETCH(QStringList, typed);
        QFETCH(int, answer);
        QFETCH(QStringList, remaining);
        QFETCH(bool, asked);
        test::RulesFixture f;
        f.settings.MultipleCategorySupport = {true, false};
        f.addEntries({"amy@example.org|news", "bob@example.org|news", "bob@example.org|sport", "cy@example.org|news"});
        SettingsStore store(f.prompt, f.dm);
        Tdlgoptions dialog(f.settings, store, f.dm, f.prompt, &f.rules);
        if (asked) {
            f.prompt.answer(static_cast<UserPrompt::Button>(answer));
        }
        dialog.btnneverjoinClick(typing(typed));
        QCOMPARE(f.prompt.texts().contains(Tdlgoptions::rescanQuestion()), asked);
        QVERIFY(f.prompt.allAnswersUsed());
        QCOMPARE(f.rows(), remaining);
        if (answer == UserPrompt::Yes) {
            const QStringList log = test::RulesFixture::logLines();
            QVERIFY(!log.filter("REMOVE bob@example.org").isEmpty());
        }
    }

    void defaultToAddress_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("kept");
        QTest::newRow("valid address asks nothing")
            << "list@example.org" << int(UserPrompt::NoButton) << "list@example.org";
        QTest::newRow("invalid kept on Yes") << "list@@example" << int(UserPrompt::Yes) << "list@@example";
        QTest::newRow("invalid emptied on No") << "list@@example" << int(UserPrompt::No) << "";
        QTest::newRow("empty field asks nothing") << "" << int(UserPrompt::NoButton) << "";
    }
    void defaultToAddress() {
        QFETCH(QString, address);
        QFETCH(int, answer);
        QFETCH(QString, kept);
        test::RulesFixture f;
        SettingsStore store(f.prompt, f.dm);
        Tdlgoptions dialog(f.settings, store, f.dm, f.prompt, &f.rules);
        if (answer != UserPrompt::NoButton) {
            f.prompt.answer(static_cast<UserPrompt::Button>(answer));
        }
        f.settings.DefaultToAddress = address;
        dialog.defaulttoaddressExit();
        QCOMPARE(f.settings.DefaultToAddress, kept);
        QVERIFY(f.prompt.allAnswersUsed());
        QCOMPARE(f.prompt.texts().size(), answer == UserPrompt::NoButton ? 0 : 1);
    }

    // The list address is refused where it is typed, and again by OK, which keeps the dialog open on its page.
    void listAddress_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("valid, blanks dropped") << " news@example.org "
                                               << "news@example.org";
        QTest::newRow("line break") << "news@example.org\r\nBcc: x@example.org"
                                    << "";
    }
    void listAddress() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        test::RulesFixture f;
        SettingsStore store(f.prompt, f.dm);
        Tdlgoptions dialog(f.settings, store, f.dm, f.prompt, &f.rules);
        f.settings.ListAddress = typed;
        QCOMPARE(dialog.listaddressExit(), !kept.isEmpty());
        QCOMPARE(f.settings.ListAddress, kept);
        QCOMPARE(f.prompt.texts().filter(QStringLiteral("no List-Id or List-Unsubscribe")).size(), kept.isEmpty());
        f.settings.ListAddress = typed;
        QCOMPARE(dialog.BitBtn1Click(), !kept.isEmpty());
        QCOMPARE(dialog.currentPage, kept.isEmpty() ? int(Tdlgoptions::SendingMail) : int(Tdlgoptions::General));
    }
};

QTEST_GUILESS_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"

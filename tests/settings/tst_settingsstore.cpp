// Loading and saving of the settings values and the rule files: defaults on a fresh machine, the reading
// rules and special cases, round trips of every value, reloading, and the stored database path.
#include "SettingsFixture.h"
#include "settings/SettingsStore.h"

#include <QTest>
#include <map>

using namespace corvane;

namespace {

// Every value name in load order with the text stored for it on a fresh machine.
const QList<QPair<QString, QString>> &freshValues() {
    static const QList<QPair<QString, QString>> values = {
        {"MailingListGroup", "MailingList"},
        {"AlternativeCategory", "Default"},
        {"FailedMail", "False"},
        {"LimitDBCache", "False"},
        {"DBCacheSize", "2000"},
        {"ShowGroupPanel", "true"},
        {"AllowEditing", "False"},
        {"AddSignaturePrior", "true"},
        {"SigOnForward", "False"},
        {"chkhtmlchecked", "False"},
        {"BounceMax", "10"},
        {"DefaultToAddress", ""},
        {"RemoveOutofOffice", "False"},
        {"Acknowledge", "False"},
        {"SendLog", "False"},
        {"AddUnsubscribers", "False"},
        {"SendCount ", "500"},
        {"MultipleCategorySupport", "true"},
        {"Except", "true"},
        {"RestrictCategories", "False"},
        {"GetSenderAddressMethod", "5"},
        {"ChokeDownload", "0"},
        {"EmailMethod", "-1"},
        {"UseRedemption", "true"},
        {"AlwaysShowSenderError", "true"},
        {"AlwaysResolveAddresses", "true"},
        {"AcknowledgementSubject", "Mailing List Changes"},
        {"WrongCategoryIsError", "False"},
        {"SendAcknowledgement", "False"},
        {"StaggerDelay", "0"},
        {"SMTPHost", ""},
        {"SMTPPort", "25"},
        {"SMTPID", ""},
        {"SMTPName", ""},
        {"SMTPEmail", ""},
        {"DNSHost", ""},
        {"DNSTimeOut", "6000"},
        {"DNSProcessBounce", "true"},
        {"UserSending", "False"},
        {"UserSendingFolder", ""},
        {"ForwardAll", "False"},
        {"ForwardToWhom", "Subject"},
        {"MustBelongToGroup", "true"},
        {"CheckUser", "False"},
        {"DefaultNoUserSend", "true"},
        {"GuessSalutation", "true"},
        {"MaintainLog", "true"},
        {"AutoScanDelayedTime", "60"},
        {"AutoScanDelayed", "False"},
        {"AutoScanStartUp", "False"},
        {"defaultcategory", "Default"},
        {"RootFolder", "<Root>"},
        {"BackUpOnExit", "False"},
        {"BackUpFilename", ""},
        {"newbackupfilename", "False"},
        {"allowfromaddressasentry", "true"},
        {"UpdateCommentsWhenEntryExists", "true"},
        {"ScanAllEmailLines", "true"},
        {"ProcessAsUnread", "False"},
        {"DBPath", "/srv/lists"},
        {"StrictChangeDetection", "False"},
        {"DBExclusive", "true"},
    };
    return values;
}

// Stores each "name=value" entry (the name may end in a blank).
void storeAll(const QStringList &entries) {
    for (const QString &entry : entries) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        SettingsSandbox::store(entry.left(eq), entry.mid(eq + 1));
    }
}

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SettingsSandbox> sandbox;
    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<FakeDatabase> db;
    std::unique_ptr<SettingsStore> store;

private slots:
    void init() {
        sandbox = std::make_unique<SettingsSandbox>();
        prompt = std::make_unique<ScriptedPrompt>();
        db = std::make_unique<FakeDatabase>();
        store = std::make_unique<SettingsStore>(*prompt, *db);
    }
    void cleanup() {
        store.reset();
        sandbox.reset();
    }

    void valueNamesInLoadOrder() {
        QStringList expected;
        for (const auto &value : freshValues()) {
            expected.append(value.first);
        }
        QCOMPARE(SettingsStore::valueNames(), expected);
    }

    void freshMachineValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        for (const auto &value : freshValues()) {
            QTest::newRow(qPrintable(value.first)) << value.first << value.second;
        }
    }
    void freshMachineValues() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        Settings settings;
        store->Loadentries(settings);
        QCOMPARE(store->storedText(settings, name), expected);
        store->SaveEntries(settings);
        QCOMPARE(SettingsSandbox::stored(name).toString(), expected);
        QCOMPARE(prompt->texts(), QStringList());
        QCOMPARE(db->flushes, 1);
    }

    void freshMachineFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("addstr") << "addstr.txt" << QByteArray("ADD\r\nJOIN\r\nSUBSCRIBE\r\nSUSCRIBE\r\n");
        QTest::newRow("remstr") << "remstr.txt"
                                << QByteArray("REMOVE\r\nUNJOIN\r\nUNSCRIBE\r\nUNSUBSCRIBE\r\nUNSUSCRIBE\r\n");
        QTest::newRow("Modifystr") << "Modifystr.txt" << QByteArray("CHANGE\r\nMODIFY\r\nUPDATE\r\n");
        QTest::newRow("except") << "except.txt" << QByteArray("__\r\nhotmial\r\n");
        QTest::newRow("never") << "never.txt" << QByteArray("nobody@example.com\r\n");
        QTest::newRow("failed") << "failed.txt"
                                << QByteArray("Delivery failure\r\nDelivery has failed\r\nError delivering\r\n"
                                              "Failed mail\r\nfailure delivery\r\nfailure notice\r\n"
                                              "Mail delivery failed\r\nmail failed\r\nMail System Error\r\n"
                                              "No User\r\nNondeliverable mail\r\nNon-delivery\r\nReturned Mail\r\n"
                                              "Undeliverable\r\nUndelivered\r\nUnzustellbar\r\n");
        QTest::newRow("cats") << "cats.txt" << QByteArray();
        QTest::newRow("signature") << "signature.txt" << QByteArray();
        QTest::newRow("AckHeader") << "AckHeader.txt"
                                   << QByteArray("Your mailing list changes have been \r\n"
                                                 "processed.  The result of this processing was:\r\n");
        QTest::newRow("AckFooter") << "AckFooter.txt"
                                   << QByteArray("If this action was incorrect, please reply to this \r\n"
                                                 "e-mail and advise us of the problem.\r\n\r\nThank you\r\n\r\n"
                                                 "Webmaster\r\n");
    }
    void freshMachineFiles() {
        QFETCH(QString, name);
        QFETCH(QByteArray, expected);
        Settings settings;
        store->Loadentries(settings);
        QVERIFY(!sandbox->fileExists(name));
        store->SaveEntries(settings);
        QVERIFY(sandbox->fileExists(name));
        QCOMPARE(sandbox->fileBytes(name), expected);
    }

    void sendCountIsStoredWithItsBlank() {
        SettingsSandbox::store(QStringLiteral("SendCount"), QStringLiteral("7"));
        Settings settings;
        store->Loadentries(settings);
        QCOMPARE(settings.SendCount, 500);
        settings.SendCount = 25;
        store->SaveEntries(settings);
        QFile ini(sandbox->iniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray text = ini.readAll();
        QVERIFY2(text.contains("\nSendCount%20=25\n"), text.constData());
        QVERIFY2(text.contains("\nSendCount=7\n"), text.constData());
    }

    void readingRules_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("TRUE") << QStringList{"FailedMail=TRUE"} << "FailedMail"
                              << "true";
        QTest::newRow("true") << QStringList{"FailedMail=true"} << "FailedMail"
                              << "true";
        QTest::newRow("True") << QStringList{"FailedMail=True"} << "FailedMail"
                              << "true";
        QTest::newRow("FALSE") << QStringList{"Except=FALSE"} << "Except"
                               << "False";
        QTest::newRow("yes gives default off") << QStringList{"FailedMail=yes"} << "FailedMail"
                                               << "False";
        QTest::newRow("yes gives default on") << QStringList{"DNSProcessBounce=yes"} << "DNSProcessBounce"
                                              << "true";
        QTest::newRow("radio yes gives default") << QStringList{"ScanAllEmailLines=yes"} << "ScanAllEmailLines"
                                                 << "true";
        QTest::newRow("integer with letters") << QStringList{"SMTPPort=25x"} << "SMTPPort"
                                              << "25";
        QTest::newRow("integer with blanks") << QStringList{"SMTPPort= 587 "} << "SMTPPort"
                                             << "587";
        QTest::newRow("cache below its range") << QStringList{"DBCacheSize=50"} << "DBCacheSize"
                                               << "100";
        QTest::newRow("scan interval 0") << QStringList{"AutoScanDelayedTime=0"} << "AutoScanDelayedTime"
                                         << "1";
        QTest::newRow("item index beyond 16 bits") << QStringList{"EmailMethod=70000"} << "EmailMethod"
                                                   << "-1";
        QTest::newRow("negative item index") << QStringList{"EmailMethod=-1"} << "EmailMethod"
                                             << "-1";
        QTest::newRow("BounceMax 0") << QStringList{"BounceMax=0"} << "BounceMax"
                                     << "0";
        QTest::newRow("BounceMax negative") << QStringList{"BounceMax=-4"} << "BounceMax"
                                            << "0";
        QTest::newRow("BounceMax above spin") << QStringList{"BounceMax=5000"} << "BounceMax"
                                              << "999";
        QTest::newRow("StaggerDelay 0") << QStringList{"StaggerDelay=0"} << "StaggerDelay"
                                        << "0";
        QTest::newRow("StaggerDelay 30") << QStringList{"StaggerDelay=30"} << "StaggerDelay"
                                         << "30";
        QTest::newRow("MailingListGroup empty") << QStringList{"MailingListGroup="} << "MailingListGroup"
                                                << "MailingList";
        QTest::newRow("defaultcategory empty") << QStringList{"defaultcategory="} << "defaultcategory"
                                               << "Default";
        QTest::newRow("RootFolder empty") << QStringList{"RootFolder="} << "RootFolder"
                                          << "<Root>";
        QTest::newRow("AlternativeCategory empty")
            << QStringList{"AlternativeCategory=", "defaultcategory=Members"} << "AlternativeCategory"
            << "Members";
        QTest::newRow("AlternativeCategory and default empty")
            << QStringList{"AlternativeCategory=", "defaultcategory="} << "AlternativeCategory"
            << "Default";
        QTest::newRow("AlternativeCategory kept")
            << QStringList{"AlternativeCategory=Guests", "defaultcategory=Members"} << "AlternativeCategory"
            << "Guests";
        QTest::newRow("subject empty") << QStringList{"AcknowledgementSubject="} << "AcknowledgementSubject"
                                       << "Mailing List Changes";
        QTest::newRow("forward sender") << QStringList{"ForwardToWhom=sender"} << "ForwardToWhom"
                                        << "Sender";
        QTest::newRow("forward email") << QStringList{"ForwardToWhom=eMail"} << "ForwardToWhom"
                                       << "Email";
        QTest::newRow("forward all") << QStringList{"ForwardToWhom=ALL"} << "ForwardToWhom"
                                     << "All";
        QTest::newRow("forward other") << QStringList{"ForwardToWhom=Category"} << "ForwardToWhom"
                                       << "Subject";
        QTest::newRow("SendCount") << QStringList{"SendCount =1"} << "SendCount "
                                   << "1";
        QTest::newRow("SendCount 0") << QStringList{"SendCount =0"} << "SendCount "
                                     << "1";
        QTest::newRow("restricted without categories") << QStringList{"RestrictCategories=true"} << "RestrictCategories"
                                                       << "False";
        QTest::newRow("group panel read") << QStringList{"ShowGroupPanel=False"} << "ShowGroupPanel"
                                          << "False";
        QTest::newRow("group panel kept with limited cache")
            << QStringList{"ShowGroupPanel=False", "LimitDBCache=true"} << "ShowGroupPanel"
            << "true";
        QTest::newRow("DBPath left to the database") << QStringList{"DBPath=/elsewhere"} << "DBPath"
                                                     << "/srv/lists";
        QTest::newRow("DBExclusive left to the database") << QStringList{"DBExclusive=False"} << "DBExclusive"
                                                          << "true";
    }
    void readingRules() {
        QFETCH(QStringList, stored);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        storeAll(stored);
        Settings settings;
        store->Loadentries(settings);
        QCOMPARE(store->storedText(settings, name), expected);
        QCOMPARE(prompt->texts(), QStringList());
    }

    void controlStates() {
        storeAll({"BounceMax=0", "StaggerDelay=0", "AddSignaturePrior=False", "ProcessAsUnread=true",
                  "WrongCategoryIsError=False", "ForwardAll=False"});
        Settings settings;
        settings.BounceMax = {true, 3};
        settings.StaggerDelay = {true, 60};
        settings.ForwardAll = {true, false};
        store->Loadentries(settings);
        QCOMPARE(settings.BounceMax, (Settings::CheckedSpin{false, 10}));
        QCOMPARE(settings.StaggerDelay.checked, false);
        // False clears its button only: the built-in partner stays selected in a new program, while a
        // partner cleared earlier stays cleared.
        QCOMPARE(settings.AddSignaturePrior, (Settings::RadioPair{false, true}));
        QCOMPARE(settings.ForwardAll, (Settings::RadioPair{false, false}));
        QCOMPARE(settings.ProcessAsUnread, (Settings::RadioPair{true, false}));
        QCOMPARE(settings.WrongCategoryIsError, (Settings::RadioPair{false, true}));

        settings.ForwardToWhom = Settings::ForwardTarget::None;
        SettingsSandbox::store(QStringLiteral("ForwardToWhom"), QStringLiteral("All"));
        store->SaveEntries(settings);
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("BounceMax")).toString(), QStringLiteral("0"));
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("StaggerDelay")).toString(), QStringLiteral("0"));
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("ForwardAll")).toString(), QStringLiteral("False"));
        // With no button selected nothing is written, so the stored choice stays.
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("ForwardToWhom")).toString(), QStringLiteral("All"));
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        for (const auto &value : freshValues()) {
            QString text;
            if (value.second == QLatin1String("true")) {
                text = QStringLiteral("False");
            } else if (value.second == QLatin1String("False")) {
                text = QStringLiteral("true");
            } else if (bool number = false; value.second.toInt(&number), number) {
                text = value.first == QLatin1String("StaggerDelay")  ? QStringLiteral("45")
                       : value.first == QLatin1String("EmailMethod") ? QStringLiteral("3")
                                                                     : QString::number(value.second.toInt() / 2 + 7);
            } else if (value.first == QLatin1String("ForwardToWhom")) {
                text = QStringLiteral("Email");
            } else {
                text = QStringLiteral("Liste, \u00c4rger & \"Co\" ") + value.first;
            }
            QTest::newRow(qPrintable(value.first)) << value.first << text;
        }
        QTest::newRow("ForwardToWhom Sender") << "ForwardToWhom"
                                              << "Sender";
        QTest::newRow("ForwardToWhom All") << "ForwardToWhom"
                                           << "All";
        QTest::newRow("ForwardToWhom Subject") << "ForwardToWhom"
                                               << "Subject";
    }
    void roundTrip() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        Settings settings;
        settings.AllowedCategories = QStringList{QStringLiteral("News")};
        QVERIFY(store->setStoredText(settings, name, text));
        QCOMPARE(store->storedText(settings, name), text);
        store->SaveEntries(settings);
        QCOMPARE(SettingsSandbox::stored(name).toString(), text);

        FakeDatabase otherDb;
        SettingsStore other(*prompt, otherDb);
        Settings reloaded;
        other.Loadentries(reloaded);
        if (name != QLatin1String("DBPath") && name != QLatin1String("DBExclusive") &&
            name != QLatin1String("StrictChangeDetection")) {
            QCOMPARE(other.storedText(reloaded, name), text);
        }
        QCOMPARE(prompt->texts(), QStringList());
    }

    void setStoredTextRules_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("expected");
        QTest::newRow("name without its blank") << "SendCount"
                                                << "5" << false << "";
        QTest::newRow("name in other case") << "sendcount "
                                            << "5" << false << "";
        QTest::newRow("unknown") << "Colour"
                                 << "red" << false << "";
        QTest::newRow("alternative empty") << "AlternativeCategory"
                                           << "" << true << "Default";
        QTest::newRow("restricted without categories") << "RestrictCategories"
                                                       << "true" << true << "False";
        QTest::newRow("boolean in capitals") << "SendLog"
                                             << "TRUE" << true << "true";
        QTest::newRow("BounceMax 0") << "BounceMax"
                                     << "0" << true << "0";
    }
    void setStoredTextRules() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(bool, known);
        QFETCH(QString, expected);
        Settings settings;
        QCOMPARE(store->setStoredText(settings, name, text), known);
        if (known) {
            QCOMPARE(store->storedText(settings, name), expected);
        } else {
            QVERIFY(store->storedText(settings, name).isNull());
            QVERIFY(settings == Settings());
        }
    }

    void reloadDiscardsEdits() {
        Settings settings;
        store->Loadentries(settings);
        store->SaveEntries(settings);
        QVERIFY(QFile::remove(sandbox->appDir() + QStringLiteral("failed.txt")));
        sandbox->writeFile(QStringLiteral("addstr.txt"), "zeta\nAlpha\r\nenrol-me\r\n");

        settings.AddSynonyms.add(QStringLiteral("ENROL"));
        settings.FailureSubjects.clear();
        settings.Signature = QStringList{QStringLiteral("-- "), QStringLiteral("The list team")};
        settings.MailingListGroup = QStringLiteral("Edited");
        settings.BounceMax = {false, 10};
        store->Loadentries(settings);

        QCOMPARE(settings.AddSynonyms.items(), QStringList({"Alpha", "enrol-me", "zeta"}));
        QCOMPARE(settings.FailureSubjects, Settings().FailureSubjects);
        QCOMPARE(settings.Signature, QStringList());
        QCOMPARE(settings.MailingListGroup, QStringLiteral("MailingList"));
        QCOMPARE(settings.BounceMax, (Settings::CheckedSpin{true, 10}));

        store->SaveEntries(settings);
        QCOMPARE(sandbox->fileBytes(QStringLiteral("addstr.txt")), QByteArray("Alpha\r\nenrol-me\r\nzeta\r\n"));
        QCOMPARE(prompt->texts(), QStringList());
    }

    void allowedCategoriesKeepTheirOrder() {
        sandbox->writeFile(QStringLiteral("cats.txt"), "News\r\nAnnouncements\r\n");
        SettingsSandbox::store(QStringLiteral("RestrictCategories"), QStringLiteral("true"));
        Settings settings;
        store->Loadentries(settings);
        QCOMPARE(settings.AllowedCategories, QStringList({"News", "Announcements"}));
        QCOMPARE(settings.RestrictCategories, true);
    }

    void databasePath_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("becomesPercent");
        QTest::newRow("application directory") << ""
                                               << "%" << true;
        QTest::newRow("without trailing separator") << "-"
                                                    << "" << false;
        QTest::newRow("percent") << "%"
                                 << "%" << true;
        QTest::newRow("elsewhere") << "/srv/lists/"
                                   << "/srv/lists/" << false;
    }
    void databasePath() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QFETCH(bool, becomesPercent);
        if (path.isEmpty()) {
            path = sandbox->appDir();
        } else if (path == QLatin1String("-")) {
            path = AppPaths::fixpath(sandbox->appDir(), false);
            expected = path;
        }
        QVERIFY(path.endsWith(QLatin1Char('/')) || path == expected);
        db->path = path;
        Settings settings;
        QCOMPARE(store->storedText(settings, QStringLiteral("DBPath")), expected);
        QCOMPARE(db->path, path);
        store->SaveEntries(settings);
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("DBPath")).toString(), expected);
        QCOMPARE(db->path, becomesPercent ? QStringLiteral("%") : path);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"

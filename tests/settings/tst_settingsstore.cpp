// Loading and saving of the settings values and the rule files: defaults on a fresh machine, the reading
// rules and special cases, round trips of every value, reloading, and the stored database path.
#include "SettingsFixture.h"
#include "settings/SettingsStore.h"

#include <QTest>
#include <map>

using namespace corvane;

namespace {

struct Sample {
    QString name;
    QString fresh; // stored on a fresh machine
    QString other; // a stored text other than the default
};

// Every value name in load order.
const QList<Sample> &samples() {
    static const QList<Sample> values = {
        {"MailingListGroup", "MailingList", "Lists, Ärger & \"Co\" "},
        {"AlternativeCategory", "Default", "Guests"},
        {"FailedMail", "False", "true"},
        {"LimitDBCache", "False", "true"},
        {"DBCacheSize", "2000", "4500"},
        {"ShowGroupPanel", "true", "False"},
        {"AllowEditing", "False", "true"},
        {"AddSignaturePrior", "true", "False"},
        {"SigOnForward", "False", "true"},
        {"chkhtmlchecked", "False", "true"},
        {"BounceMax", "10", "3"},
        {"DefaultToAddress", "", "list@example.org"},
        {"RemoveOutofOffice", "False", "true"},
        {"Acknowledge", "False", "true"},
        {"SendLog", "False", "true"},
        {"AddUnsubscribers", "False", "true"},
        {"SendCount ", "500", "25"},
        {"MultipleCategorySupport", "true", "False"},
        {"Except", "true", "False"},
        {"RestrictCategories", "False", "true"},
        {"GetSenderAddressMethod", "5", "2"},
        {"ChokeDownload", "0", "40"},
        {"EmailMethod", "-1", "3"},
        {"UseRedemption", "true", "False"},
        {"AlwaysShowSenderError", "true", "False"},
        {"AlwaysResolveAddresses", "true", "False"},
        {"AcknowledgementSubject", "Mailing List Changes", "Your request"},
        {"WrongCategoryIsError", "False", "true"},
        {"SendAcknowledgement", "False", "true"},
        {"StaggerDelay", "0", "45"},
        {"SMTPHost", "", "smtp.example.org"},
        {"SMTPPort", "25", "587"},
        {"SMTPID", "", "lists"},
        {"SMTPName", "", "The List"},
        {"SMTPEmail", "", "list@example.org"},
        {"SMTPSecurity", "none", "starttls"},
        {"SMTPUser", "", "ann"},
        {"SMTPPasswordFile", "", "/home/ann/.corvane-smtp"},
        {"SMTPCertificateFingerprint", "", "AB:CD:EF"},
        {"DNSHost", "", "192.0.2.53"},
        {"DNSTimeOut", "6000", "9000"},
        {"DNSProcessBounce", "true", "False"},
        {"UserSending", "False", "true"},
        {"UserSendingFolder", "", "Members/Inbox"},
        {"ForwardAll", "False", "true"},
        {"ForwardToWhom", "Subject", "Email"},
        {"MustBelongToGroup", "true", "False"},
        {"CheckUser", "False", "true"},
        {"DefaultNoUserSend", "true", "False"},
        {"GuessSalutation", "true", "False"},
        {"MaintainLog", "true", "False"},
        {"AutoScanDelayedTime", "60", "15"},
        {"AutoScanDelayed", "False", "true"},
        {"AutoScanStartUp", "False", "true"},
        {"defaultcategory", "Default", "Members"},
        {"RootFolder", "<Root>", "Personal Folders"},
        {"BackUpOnExit", "False", "true"},
        {"BackUpFilename", "", "/backup/lists.csv"},
        {"newbackupfilename", "False", "true"},
        {"allowfromaddressasentry", "true", "False"},
        {"UpdateCommentsWhenEntryExists", "true", "False"},
        {"ScanAllEmailLines", "true", "False"},
        {"ProcessAsUnread", "False", "true"},
        {"MailStore", "", "/home/ann/Maildir"},
        {"SubmitCommand", "", "/usr/sbin/sendmail -t -i"},
        {"MailStoreKind", "maildir", "imap"},
        {"IMAPHost", "", "imap.example.org"},
        {"IMAPPort", "0", "1993"},
        {"IMAPSecurity", "tls", "starttls"},
        {"IMAPUser", "", "lists@example.org"},
        {"IMAPPasswordFile", "", "/home/ann/.corvane-imap"},
        {"IMAPCertificateSHA256", "", "AB:CD:EF"},
        {"PreciseBounces", "true", "False"},
        {"ListAddress", "", "news@example.org"},
        {"DBPath", "/srv/lists", "/data/lists/"},
        {"StrictChangeDetection", "False", "true"},
        {"DBExclusive", "true", "False"},
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

bool isDatabaseValue(const QString &name) {
    return name == QLatin1String("DBPath") || name == QLatin1String("DBExclusive") ||
           name == QLatin1String("StrictChangeDetection");
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

    // A list address that could not head a mailing (a hand-edited file) reads as none.
    void listAddressStoredInvalid() {
        SettingsSandbox::store(QStringLiteral("ListAddress"), QStringLiteral("news@example.org\nBcc: x@example.org"));
        Settings settings;
        store->Loadentries(settings);
        QCOMPARE(settings.ListAddress, QString());
    }

    void valueNamesInLoadOrder() {
        QStringList expected;
        for (const Sample &sample : samples()) {
            expected.append(sample.name);
        }
        QCOMPARE(SettingsStore::valueNames(), expected);
    }

    void freshMachineValues_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        for (const Sample &sample : samples()) {
            QTest::newRow(qPrintable(sample.name)) << sample.name << sample.fresh;
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
        QTest::newRow("True") << QStringList{"FailedMail=True"} << "FailedMail"
                              << "true";
        QTest::newRow("yes gives default off") << QStringList{"FailedMail=yes"} << "FailedMail"
                                               << "False";
        QTest::newRow("yes gives default on") << QStringList{"DNSProcessBounce=yes"} << "DNSProcessBounce"
                                              << "true";
        QTest::newRow("integer with letters") << QStringList{"SMTPPort=25x"} << "SMTPPort"
                                              << "25";
        QTest::newRow("cache below its range") << QStringList{"DBCacheSize=50"} << "DBCacheSize"
                                               << "100";
        QTest::newRow("item index beyond 16 bits") << QStringList{"EmailMethod=70000"} << "EmailMethod"
                                                   << "-1";
        QTest::newRow("BounceMax 0") << QStringList{"BounceMax=0"} << "BounceMax"
                                     << "0";
        QTest::newRow("BounceMax negative") << QStringList{"BounceMax=-4"} << "BounceMax"
                                            << "0";
        QTest::newRow("BounceMax above spin") << QStringList{"BounceMax=5000"} << "BounceMax"
                                              << "999";
        QTest::newRow("StaggerDelay 0") << QStringList{"StaggerDelay=0"} << "StaggerDelay"
                                        << "0";
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
        QTest::newRow("subject empty") << QStringList{"AcknowledgementSubject="} << "AcknowledgementSubject"
                                       << "Mailing List Changes";
        QTest::newRow("forward sender") << QStringList{"ForwardToWhom=sender"} << "ForwardToWhom"
                                        << "Sender";
        QTest::newRow("forward email") << QStringList{"ForwardToWhom=eMail"} << "ForwardToWhom"
                                       << "Email";
        QTest::newRow("forward other") << QStringList{"ForwardToWhom=Category"} << "ForwardToWhom"
                                       << "Subject";
        QTest::newRow("restricted without categories") << QStringList{"RestrictCategories=true"} << "RestrictCategories"
                                                       << "False";
        QTest::newRow("group panel kept with limited cache")
            << QStringList{"ShowGroupPanel=False", "LimitDBCache=true"} << "ShowGroupPanel"
            << "true";
        QTest::newRow("DBPath left to the database") << QStringList{"DBPath=/elsewhere"} << "DBPath"
                                                     << "/srv/lists";
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
        // With no button selected nothing is written, so the stored choice stays.
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("ForwardToWhom")).toString(), QStringLiteral("All"));
    }

    // Every value set from a text other than its default comes back with that text: from the state, from
    // the store after saving, and after loading into a new program.
    void roundTrip_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        for (const Sample &sample : samples()) {
            QTest::newRow(qPrintable(sample.name)) << sample.name << sample.other;
        }
        QTest::newRow("ForwardToWhom Sender") << "ForwardToWhom"
                                              << "Sender";
        QTest::newRow("ForwardToWhom All") << "ForwardToWhom"
                                           << "All";
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
        if (!isDatabaseValue(name)) {
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
        QTest::newRow("alternative empty") << "AlternativeCategory"
                                           << "" << true << "Default";
        QTest::newRow("restricted without categories") << "RestrictCategories"
                                                       << "true" << true << "False";
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

    // Loading again (Cancel in the options dialog) restores lists from their files, or the built-in
    // contents when there is no file, and values from the store.
    void reloadDiscardsEdits() {
        Settings settings;
        store->Loadentries(settings);
        store->SaveEntries(settings);
        QVERIFY(QFile::remove(sandbox->appDir() + QStringLiteral("failed.txt")));
        sandbox->writeFile(QStringLiteral("addstr.txt"), "zeta\nAlpha\r\nenrol-me\r\n");
        sandbox->writeFile(QStringLiteral("cats.txt"), "News\r\nAnnouncements\r\n");

        settings.AddSynonyms.add(QStringLiteral("ENROL"));
        settings.FailureSubjects.clear();
        settings.Signature = QStringList{QStringLiteral("-- "), QStringLiteral("The list team")};
        settings.MailingListGroup = QStringLiteral("Edited");
        store->Loadentries(settings);

        QCOMPARE(settings.AddSynonyms.items(), QStringList({"Alpha", "enrol-me", "zeta"}));
        QCOMPARE(settings.AllowedCategories, QStringList({"News", "Announcements"}));
        QCOMPARE(settings.FailureSubjects, Settings().FailureSubjects);
        QCOMPARE(settings.Signature, QStringList());
        QCOMPARE(settings.MailingListGroup, QStringLiteral("MailingList"));

        store->SaveEntries(settings);
        QCOMPARE(sandbox->fileBytes(QStringLiteral("addstr.txt")), QByteArray("Alpha\r\nenrol-me\r\nzeta\r\n"));
        QCOMPARE(prompt->texts(), QStringList());
    }

    // The database in the application directory, named with the trailing separator, is saved as "%".
    void databasePath_data() {
        QTest::addColumn<int>("where");
        QTest::addColumn<bool>("percent");
        QTest::newRow("application directory") << 0 << true;
        QTest::newRow("without trailing separator") << 1 << false;
        QTest::newRow("elsewhere") << 2 << false;
    }
    void databasePath() {
        QFETCH(int, where);
        QFETCH(bool, percent);
        const QStringList paths = {sandbox->appDir(), AppPaths::fixpath(sandbox->appDir(), false), "/srv/lists/"};
        const QString path = paths.at(where);
        db->path = path;
        Settings settings;
        const QString expected = percent ? QStringLiteral("%") : path;
        QCOMPARE(store->storedText(settings, QStringLiteral("DBPath")), expected);
        QCOMPARE(db->path, path);
        store->SaveEntries(settings);
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("DBPath")).toString(), expected);
        QCOMPARE(db->path, expected);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"

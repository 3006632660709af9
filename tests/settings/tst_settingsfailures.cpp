// What loading and saving settings do when files, the settings store or the database flush fail: which
// message is shown, of which kind, and which part of the work still happens.
#include "SettingsFixture.h"
#include "settings/SettingsStore.h"

#include <QTest>
#include <unistd.h>

using namespace corvane;

namespace {

const QString kFilesFailed = QStringLiteral(
    "An Error was encountered saving your data files.  Please check that you have sufficient disk space and the "
    "application is run from a write-enabled directory");

const QStringList kSavedFiles = {"AckFooter.txt", "AckHeader.txt", "except.txt", "remstr.txt", "Modifystr.txt",
                                 "addstr.txt",    "signature.txt", "cats.txt",   "never.txt",  "failed.txt"};

void makeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class TestSettingsFailures : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SettingsSandbox> sandbox;
    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<FakeDatabase> db;
    std::unique_ptr<SettingsStore> store;

    void expectOneMessage(UserPrompt::Kind kind, const QString &text) {
        QCOMPARE(prompt->shown.size(), 1);
        QCOMPARE(prompt->shown.first().kind, kind);
        QCOMPARE(prompt->shown.first().text, text);
        QCOMPARE(prompt->shown.first().buttons, UserPrompt::Buttons(UserPrompt::Ok));
        prompt->shown.clear();
    }

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

    // The first file that cannot be written ends the file step; the values are written all the same.
    void filesCannotBeSaved_data() {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<int>("written");
        QTest::newRow("application directory cannot be created") << "" << 0;
        QTest::newRow("first file") << "AckFooter.txt" << 0;
        QTest::newRow("signature") << "signature.txt" << 6;
        QTest::newRow("last file") << "failed.txt" << 9;
    }
    void filesCannotBeSaved() {
        QFETCH(QString, blocked);
        QFETCH(int, written);
        if (blocked.isEmpty()) {
            makeFile(sandbox->root() + QStringLiteral("/blocker"), "not a directory");
            sandbox->setApplicationDirectory(sandbox->root() + QStringLiteral("/blocker/app"));
        } else {
            QVERIFY(QDir().mkpath(sandbox->appDir() + blocked));
        }
        Settings settings;
        settings.MailingListGroup = QStringLiteral("Announcements");
        QVERIFY(!store->SaveEntries(settings));

        expectOneMessage(UserPrompt::Kind::Warning, kFilesFailed);
        for (int i = 0; i < kSavedFiles.size(); ++i) {
            QVERIFY2(sandbox->fileExists(kSavedFiles.at(i)) == (i < written), qPrintable(kSavedFiles.at(i)));
        }
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("MailingListGroup")).toString(),
                 QStringLiteral("Announcements"));
        QCOMPARE(db->flushes, 1);
    }

    // A rule file that exists but cannot be read ends loading: later files and every value stay as they were.
    void ruleFileCannotBeRead() {
        sandbox->writeFile(QStringLiteral("AckHeader.txt"), "Hello\r\n");
        sandbox->writeFile(QStringLiteral("except.txt"), "spam\r\n");
        QVERIFY(QDir().mkpath(sandbox->appDir() + QStringLiteral("remstr.txt")));
        sandbox->writeFile(QStringLiteral("addstr.txt"), "ENROL\r\n");
        SettingsSandbox::store(QStringLiteral("MailingListGroup"), QStringLiteral("Lists"));

        Settings settings;
        settings.AddSynonyms.add(QStringLiteral("SIGN-UP"));
        settings.MailingListGroup = QStringLiteral("Edited");
        const Settings before = settings;
        store->Loadentries(settings);

        QCOMPARE(prompt->shown.size(), 1);
        QCOMPARE(prompt->shown.first().kind, UserPrompt::Kind::Error);
        QVERIFY2(prompt->shown.first().text.contains(QStringLiteral("remstr.txt")),
                 qPrintable(prompt->shown.first().text));
        QCOMPARE(settings.AckHeader, QStringList{QStringLiteral("Hello")});
        QCOMPARE(settings.AddressExceptions.items(), QStringList{QStringLiteral("spam")});
        QCOMPARE(settings.AddSynonyms, before.AddSynonyms);
        QCOMPARE(settings.MailingListGroup, QStringLiteral("Edited"));
    }

    // A settings store that cannot be opened: no value is read or written, the files still are.
    void settingsStoreCannotBeOpened_data() {
        QTest::addColumn<int>("damage");
        QTest::newRow("settings file is a directory") << 0;
        QTest::newRow("settings file malformed") << 1;
        QTest::newRow("settings folder cannot be created") << 2;
    }
    void settingsStoreCannotBeOpened() {
        QFETCH(int, damage);
        const QByteArray malformed("[General\n\xff\xfe=\x01\nfoo\n=bar\n[a]]b\n");
        if (damage == 0) {
            QVERIFY(QDir().mkpath(sandbox->iniPath()));
        } else if (damage == 1) {
            makeFile(sandbox->iniPath(), malformed);
        } else {
            makeFile(QFileInfo(sandbox->iniPath()).path(), "not a directory");
        }
        sandbox->writeFile(QStringLiteral("addstr.txt"), "ENROL\r\n");

        Settings settings;
        settings.MailingListGroup = QStringLiteral("Edited");
        store->Loadentries(settings);
        expectOneMessage(UserPrompt::Kind::Warning, QStringLiteral("Error encountered opening your registry file"));
        QCOMPARE(settings.AddSynonyms.items(), QStringList{QStringLiteral("ENROL")});
        QCOMPARE(settings.MailingListGroup, QStringLiteral("Edited"));

        // The files were read and are saved; the values were not, so none is written over them.
        settings.Signature = QStringList{QStringLiteral("Regards")};
        QVERIFY(!store->SaveEntries(settings));
        expectOneMessage(UserPrompt::Kind::Warning, QStringLiteral("These settings were not saved, because Corvane "
                                                                   "could not read them when it loaded your "
                                                                   "settings: ") +
                                                        sandbox->iniPath());
        QCOMPARE(sandbox->fileBytes(QStringLiteral("signature.txt")), QByteArray("Regards\r\n"));
        if (damage == 1) {
            QFile ini(sandbox->iniPath());
            QVERIFY(ini.open(QIODevice::ReadOnly));
            QCOMPARE(ini.readAll(), malformed);
        }
    }

    // Needs a user without the power to write anywhere: root writes into a read-only folder.
    void settingsCannotBeWritten() {
        if (::geteuid() == 0) {
            QSKIP("root can write into read-only folders");
        }
        Settings settings;
        store->SaveEntries(settings);
        const QString folder = QFileInfo(sandbox->iniPath()).path();
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        settings.MailingListGroup = QStringLiteral("Announcements");
        store->SaveEntries(settings);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        expectOneMessage(UserPrompt::Kind::Warning,
                         QStringLiteral("Error encountered writing your settings to the registry!"));
        // Qt keeps the unwritten values in memory, so look at the file itself.
        QFile ini(sandbox->iniPath());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("\nMailingListGroup=MailingList\n"));
    }

    // A failing database flush is shown and does not keep the files and values from being saved.
    void flushFails() {
        db->flushFailure = QStringLiteral("The list could not be written to disk");
        Settings settings;
        settings.DNSHost = QStringLiteral("ns.example.org");
        store->SaveEntries(settings);
        expectOneMessage(UserPrompt::Kind::Error, QStringLiteral("The list could not be written to disk"));
        for (const QString &name : kSavedFiles) {
            QVERIFY2(sandbox->fileExists(name), qPrintable(name));
        }
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("DNSHost")).toString(), QStringLiteral("ns.example.org"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFailures)
#include "tst_settingsfailures.moc"

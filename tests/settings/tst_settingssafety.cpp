// Settings and rule files that other copies change or that cannot be read: changes merge into what is on disk,
// nothing is saved over what could not be read, and a settings file is only rewritten when a value changed.
#include "SettingsFixture.h"
#include "settings/SettingsStore.h"

#include <QTest>

using namespace corvane;

class TestSettingsSafety : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SettingsSandbox> sandbox;
    ScriptedPrompt prompt;
    FakeDatabase db;

    QByteArray iniBytes() const {
        QFile file(sandbox->iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeIni(const QByteArray &bytes) const {
        QDir().mkpath(QFileInfo(sandbox->iniPath()).path());
        QFile file(sandbox->iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void init() {
        sandbox = std::make_unique<SettingsSandbox>();
        prompt.shown.clear();
    }
    void cleanup() { sandbox.reset(); }

    // Two copies load the same files; each changes them; the one saving last keeps the other's changes.
    void copiesMergeTheirChanges() {
        sandbox->writeFile(QStringLiteral("never.txt"), "gr\xFC\xDF"
                                                        "e@example.org\r\nold@example.org\r\n");
        sandbox->writeFile(QStringLiteral("AckFooter.txt"), "Regards\r\n");
        SettingsStore first(prompt, db);
        SettingsStore second(prompt, db);
        Settings a;
        Settings b;
        QVERIFY(first.Loadentries(a));
        QVERIFY(second.Loadentries(b));
        a.BlockedAddresses.add(QStringLiteral("a@example.org"));
        a.AckHeader = QStringList{QStringLiteral("Edited by the first copy")};
        b.BlockedAddresses.add(QStringLiteral("b@example.org"));
        b.BlockedAddresses.removeAt(b.BlockedAddresses.items().indexOf(QStringLiteral("old@example.org")));
        b.AddSynonyms.add(QStringLiteral("ENROL"));
        QVERIFY(first.saveFiles(a));
        QVERIFY(second.SaveEntries(b));
        QCOMPARE(sandbox->fileBytes(QStringLiteral("never.txt")),
                 QByteArray("a@example.org\r\nb@example.org\r\ngr\xC3\xBC\xC3\x9F"
                            "e@example.org\r\n"));
        QCOMPARE(sandbox->fileBytes(QStringLiteral("AckHeader.txt")), QByteArray("Edited by the first copy\r\n"));
        QCOMPARE(sandbox->fileBytes(QStringLiteral("AckFooter.txt")), QByteArray("Regards\r\n"));
        QCOMPARE(b.BlockedAddresses.items(),
                 (QStringList{"a@example.org", "b@example.org", QStringLiteral("grüße@example.org")}));
        // Saving again adds nothing twice.
        QVERIFY(first.saveFiles(a));
        QCOMPARE(sandbox->fileBytes(QStringLiteral("never.txt")).count('\n'), 3);
        QVERIFY(sandbox->fileBytes(QStringLiteral("addstr.txt")).contains("ENROL\r\n"));
        QCOMPARE(prompt.texts(), QStringList());
    }

    // What could not be read is never saved over; what was read before the failure still is.
    void nothingSavedOverWhatCouldNotBeRead_data() {
        QTest::addColumn<QString>("broken"); // a rule file made a directory, or "ini" for a malformed store
        QTest::addColumn<QStringList>("saved");
        QTest::newRow("first file") << "AckHeader.txt" << QStringList{};
        QTest::newRow("later file") << "never.txt"
                                    << QStringList{"AckFooter.txt", "AckHeader.txt", "except.txt",    "remstr.txt",
                                                   "Modifystr.txt", "addstr.txt",    "signature.txt", "cats.txt"};
        QTest::newRow("settings file malformed") << "ini" << QStringList{"AckHeader.txt", "never.txt"};
    }
    void nothingSavedOverWhatCouldNotBeRead() {
        QFETCH(QString, broken);
        QFETCH(QStringList, saved);
        const QByteArray ini = broken == QLatin1String("ini") ? QByteArray("[General\nSMTPHost=mail.example.org\n")
                                                              : QByteArray("[General]\nSMTPHost=mail.example.org\n");
        writeIni(ini);
        sandbox->writeFile(QStringLiteral("AckFooter.txt"), "Custom footer\r\n");
        if (broken != QLatin1String("ini")) {
            QVERIFY(QDir().mkpath(sandbox->appDir() + broken));
        }
        SettingsStore store(prompt, db);
        Settings settings;
        QVERIFY(!store.Loadentries(settings));
        settings.SMTPHost.clear();
        settings.AckHeader = QStringList{QStringLiteral("changed")};
        settings.BlockedAddresses.add(QStringLiteral("x@example.org"));
        prompt.shown.clear();
        QVERIFY(!store.SaveEntries(settings));
        QVERIFY(prompt.texts().first().startsWith(QStringLiteral("These settings were not saved")));
        QCOMPARE(iniBytes(), ini);
        QCOMPARE(sandbox->fileBytes(QStringLiteral("AckFooter.txt")), QByteArray("Custom footer\r\n"));
        QCOMPARE(sandbox->fileExists(QStringLiteral("AckHeader.txt")), saved.contains(QStringLiteral("AckHeader.txt")));
        for (const QString &name : saved) {
            QVERIFY2(sandbox->fileExists(name), qPrintable(name));
        }
        // Nor does the shutdown's database path go into a settings file that was not read.
        store.saveDatabasePath(QStringLiteral("/elsewhere"));
        QCOMPARE(iniBytes(), ini);
    }

    // The database path is written only when it changed, so a run that changes nothing leaves the file as it is.
    void databasePathWrittenOnlyWhenChanged() {
        const QByteArray ini("; kept by hand\n[General]\nDBPath=/srv/lists/\n");
        writeIni(ini);
        SettingsStore store(prompt, db);
        Settings settings;
        QVERIFY(store.Loadentries(settings));
        QVERIFY(store.saveDatabasePath(QStringLiteral("/srv/lists/")));
        QCOMPARE(iniBytes(), ini);
        QVERIFY(store.saveDatabasePath(QStringLiteral("/srv/other/")));
        QCOMPARE(SettingsSandbox::stored(QStringLiteral("DBPath")).toString(), QStringLiteral("/srv/other/"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsSafety)
#include "tst_settingssafety.moc"

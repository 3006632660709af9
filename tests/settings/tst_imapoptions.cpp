// The IMAP account of the advanced settings without widgets: OK's checks in order, what OK stores (and what a
// refused OK leaves), the password kept out of the settings file, and the account's Test against a Dovecot
// of the test's own.
#include "DovecotInstance.h"
#include "SettingsFixture.h"
#include "mailstore/ImapPassword.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "settings/TdlgAdvancedSettings.h"

#include <QCryptographicHash>
#include <QTest>

using namespace corvane;
using Advanced = TdlgAdvancedSettings;
using Security = ImapAccount::Security;

namespace {

struct SecretCall {
    QString user, host, password;
};

// Replaces the desktop's secret store for one test, recording what is kept or refusing with `refusal`.
class FakeSecretStore {
public:
    explicit FakeSecretStore(const QString &refusal = QString()) {
        ImapPassword::secretWriter() = [this, refusal](const QString &user, const QString &host,
                                                       const QString &password) {
            if (!refusal.isEmpty())
                throw CorvaneError(refusal);
            calls.append({user, host, password});
        };
    }
    ~FakeSecretStore() { ImapPassword::secretWriter() = nullptr; }
    FakeSecretStore(const FakeSecretStore &) = delete;
    FakeSecretStore &operator=(const FakeSecretStore &) = delete;
    QList<SecretCall> calls;
};

QString sampleDigits() {
    return QString::fromLatin1(QCryptographicHash::hash("corvane", QCryptographicHash::Sha256).toHex());
}

// `digits` upper-cased, a colon between each pair and a blank after every eighth pair.
QString writtenLikeABrowser(const QString &digits) {
    QString typed;
    for (int i = 0; i < digits.size(); i += 2) {
        if (i > 0)
            typed += (i % 16 == 0) ? QStringLiteral(": ") : QStringLiteral(":");
        typed += digits.mid(i, 2).toUpper();
    }
    return typed;
}

void fillImap(Advanced &dialog, const QString &host, Security security, const QString &port,
              const QString &fingerprint) {
    dialog.controls.storeKind = Advanced::StoreKind::Imap;
    dialog.controls.imapHost = host;
    dialog.controls.imapSecurity = security;
    dialog.controls.imapPort = port;
    dialog.controls.imapUser = QStringLiteral("lists");
    dialog.controls.imapFingerprint = fingerprint;
}

} // namespace

class TestImapOptions : public QObject {
    Q_OBJECT

private slots:
    void okChecks_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("security");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("fingerprint");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<int>("storedPort");
        QTest::addColumn<QString>("storedFingerprint");
        const int tls = int(Security::Tls), none = int(Security::None), starttls = int(Security::StartTls);
        const QString digits = sampleDigits();
        QTest::newRow("no host") << "" << tls << ""
                                 << "" << Advanced::imapHostMissingText() << 0 << "";
        QTest::newRow("blank host before a bad port") << "   " << tls << "70000"
                                                      << "" << Advanced::imapHostMissingText() << 0 << "";
        QTest::newRow("no encryption to another host") << "imap.example.org" << none << "143"
                                                       << "" << Advanced::imapInsecureText() << 0 << "";
        QTest::newRow("no encryption to localhost by name") << "localhost" << none << ""
                                                            << "" << Advanced::imapInsecureText() << 0 << "";
        QTest::newRow("insecure before a bad port") << "10.0.0.1" << none << "x"
                                                    << "" << Advanced::imapInsecureText() << 0 << "";
        QTest::newRow("no encryption on 127.0.0.1") << " 127.0.0.1 " << none << "1143"
                                                    << ""
                                                    << "" << 1143 << "";
        QTest::newRow("no encryption on ::1") << "::1" << none << ""
                                              << ""
                                              << "" << 0 << "";
        QTest::newRow("port above the range") << "imap.example.org" << tls << "65536"
                                              << "" << Advanced::imapPortText() << 0 << "";
        QTest::newRow("negative port") << "imap.example.org" << tls << "-1"
                                       << "" << Advanced::imapPortText() << 0 << "";
        QTest::newRow("port not a number") << "imap.example.org" << tls << "99a"
                                           << "" << Advanced::imapPortText() << 0 << "";
        QTest::newRow("highest port") << "imap.example.org" << starttls << "65535"
                                      << ""
                                      << "" << 65535 << "";
        QTest::newRow("port before a bad fingerprint") << "imap.example.org" << tls << "0x10"
                                                       << "zz" << Advanced::imapPortText() << 0 << "";
        QTest::newRow("fingerprint one digit short")
            << "imap.example.org" << tls << "" << digits.left(63) << Advanced::imapFingerprintText() << 0 << "";
        QTest::newRow("fingerprint one digit long")
            << "imap.example.org" << tls << "" << digits + "0" << Advanced::imapFingerprintText() << 0 << "";
        QTest::newRow("fingerprint with a non-hex letter")
            << "imap.example.org" << tls << ""
            << "g" + digits.mid(1) << Advanced::imapFingerprintText() << 0 << "";
        QTest::newRow("fingerprint with colons and blanks")
            << "imap.example.org" << tls << "993" << writtenLikeABrowser(digits) << "" << 993 << digits;
    }
    void okChecks() {
        QFETCH(QString, host);
        QFETCH(int, security);
        QFETCH(QString, port);
        QFETCH(QString, fingerprint);
        QFETCH(QString, message);
        QFETCH(int, storedPort);
        QFETCH(QString, storedFingerprint);
        ScriptedPrompt prompt;
        Settings settings;
        settings.EmailMethod = 0;
        settings.IMAPHost = QStringLiteral("old.example.org");
        Advanced dialog(settings, prompt, true);
        dialog.FormShow();
        fillImap(dialog, host, Security(security), port, fingerprint);
        dialog.controls.submitCommand = QStringLiteral("/usr/sbin/sendmail -oi");
        QCOMPARE(dialog.OK(), message.isEmpty());
        if (!message.isEmpty()) {
            QCOMPARE(prompt.texts(), QStringList{message});
            // A refused OK stores nothing, not even the fields that were fine.
            QCOMPARE(settings.MailStoreKind, QStringLiteral("maildir"));
            QCOMPARE(settings.IMAPHost, QStringLiteral("old.example.org"));
            QVERIFY(settings.SubmitCommand.isEmpty());
            return;
        }
        QVERIFY(prompt.texts().isEmpty());
        QCOMPARE(settings.MailStoreKind, QStringLiteral("imap"));
        QCOMPARE(settings.IMAPHost, host.trimmed());
        QCOMPARE(settings.IMAPPort, storedPort);
        QCOMPARE(settings.IMAPCertificateSHA256, storedFingerprint);
        // What OK stored shows again as it was chosen.
        Advanced again(settings, prompt, true);
        again.FormShow();
        QCOMPARE(int(again.controls.imapSecurity), security);
        QCOMPARE(again.controls.storeKind, Advanced::StoreKind::Imap);
    }

    // Choosing the Maildir again keeps the account for later, unchecked; the password goes to the secret store
    // only when one was typed, never to the settings file.
    void passwordAndStoreKind_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("typed password is kept in the secret store") << "s3cr3t-Pw"
                                                                    << "";
        QTest::newRow("empty field keeps the stored password") << ""
                                                               << "";
        QTest::newRow("secret store refuses") << "s3cr3t-Pw"
                                              << "no secret service";
    }
    void passwordAndStoreKind() {
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        SettingsSandbox sandbox;
        FakeDatabase db;
        ScriptedPrompt prompt;
        FakeSecretStore secrets(refusal);
        Settings settings;
        settings.EmailMethod = 0;
        Advanced dialog(settings, prompt, true);
        dialog.FormShow();
        fillImap(dialog, QStringLiteral("imap.example.org"), Security::StartTls, QString(), QString());
        dialog.controls.imapPassword = typed;
        QCOMPARE(dialog.OK(), refusal.isEmpty());
        if (!refusal.isEmpty()) {
            QCOMPARE(prompt.texts().size(), 1);
            QVERIFY(prompt.texts().constFirst().contains(refusal));
            QCOMPARE(settings.MailStoreKind, QStringLiteral("maildir"));
            QVERIFY(settings.IMAPHost.isEmpty());
            return;
        }
        QCOMPARE(secrets.calls.size(), typed.isEmpty() ? 0 : 1);
        if (!typed.isEmpty()) {
            QCOMPARE(secrets.calls.constFirst().user, QStringLiteral("lists"));
            QCOMPARE(secrets.calls.constFirst().host, QStringLiteral("imap.example.org"));
            QCOMPARE(secrets.calls.constFirst().password, typed);
        }
        SettingsStore store(prompt, db);
        QVERIFY(store.SaveEntries(settings));
        QFile file(sandbox.iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QVERIFY(written.contains("imap.example.org"));
        QVERIFY(!written.contains("s3cr3t-Pw"));

        // Back to the Maildir: the account stays as stored even with a field that would not pass.
        Advanced later(settings, prompt, true);
        later.FormShow();
        QVERIFY(later.controls.imapPassword.isEmpty());
        later.controls.storeKind = Advanced::StoreKind::Maildir;
        later.controls.imapHost.clear();
        later.controls.imapPassword = QStringLiteral("other");
        QVERIFY(later.OK());
        QCOMPARE(settings.MailStoreKind, QStringLiteral("maildir"));
        QCOMPARE(settings.IMAPHost, QStringLiteral("imap.example.org"));
        QCOMPARE(settings.IMAPSecurity, QStringLiteral("starttls"));
        QCOMPARE(secrets.calls.size(), typed.isEmpty() ? 0 : 1);
    }

    void testAgainstDovecot_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("works");
        QTest::addColumn<QStringList>("made");
        // The server itself keeps INBOX, Trash, Sent and Drafts.
        QTest::addColumn<int>("folders");
        QTest::newRow("right password") << "secret" << true << QStringList{".Lists", ".Lists.Archive"} << 6;
        QTest::newRow("right password, the server's folders only") << "secret" << true << QStringList{} << 4;
        QTest::newRow("wrong password") << "Wr0ngPass" << false << QStringList{".Lists"} << 0;
    }
    void testAgainstDovecot() {
        QFETCH(QString, password);
        QFETCH(bool, works);
        QFETCH(QStringList, made);
        QFETCH(int, folders);
        if (!test::DovecotInstance::available())
            QSKIP("dovecot is not installed");
        test::DovecotInstance dovecot;
        for (const QString &folder : made) {
            for (const char *sub : {"cur", "new", "tmp"})
                QVERIFY(QDir().mkpath(dovecot.mailRoot() + "/" + folder + "/" + sub));
        }
        QVERIFY(dovecot.start());
        ScriptedPrompt prompt;
        Settings settings;
        settings.EmailMethod = 0;
        Advanced dialog(settings, prompt, true);
        dialog.FormShow();
        fillImap(dialog, QStringLiteral("127.0.0.1"), Security::None, QString::number(dovecot.port()), QString());
        dialog.controls.imapUser = QStringLiteral("tester");
        dialog.controls.imapPassword = password;
        QCOMPARE(dialog.testImap(), works);
        QCOMPARE(prompt.texts().size(), 1);
        const QString result = prompt.texts().constFirst();
        QVERIFY2(result.contains(QStringLiteral("tester@127.0.0.1 port %1").arg(dovecot.port())), qPrintable(result));
        if (works) {
            QVERIFY2(result.contains(QStringLiteral("found %1 folder(s)").arg(folders)), qPrintable(result));
        } else {
            QVERIFY2(result.contains(QStringLiteral("cannot be opened: ")), qPrintable(result));
            QVERIFY2(!result.contains(password), qPrintable(result));
        }
        // Testing stores nothing.
        QCOMPARE(settings.MailStoreKind, QStringLiteral("maildir"));
        QVERIFY(settings.IMAPHost.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestImapOptions)
#include "tst_imapoptions.moc"

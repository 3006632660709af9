// The SMTP settings dialog's security fields: what OK stores (the password only in the secret store), what it
// refuses, and "Test connection" against aiosmtpd with the fields not yet stored.
#include "AiosmtpdServer.h"
#include "ScriptedPrompt.h"

#include "base/CorvaneError.h"
#include "settings/Settings.h"
#include "settings/TdlgSMTPSettings.h"

#include <QTest>

using namespace corvane;

class TestSmtpSettingsDialog : public QObject {
    Q_OBJECT
private slots:
    void ok_data();
    void ok();
    void testConnection_data();
    void testConnection();
};

void TestSmtpSettingsDialog::ok_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("fingerprint");
    QTest::addColumn<bool>("storeRefuses");
    // Empty: OK closes the dialog.
    QTest::addColumn<QString>("warning");
    const QString sha = QString(64, QLatin1Char('a'));
    QTest::newRow("password to the store") << "pw" << sha << false << "";
    QTest::newRow("no password typed") << ""
                                       << "" << false << "";
    QTest::newRow("fingerprint with colons") << ""
                                             << "AB:" + QString(62, QLatin1Char('0')) << false << "";
    QTest::newRow("fingerprint too short") << "pw"
                                           << "abcd" << false << TdlgSMTPSettings::invalidFingerprintText();
    QTest::newRow("store refuses") << "pw"
                                   << "" << true << "no secret store here";
}

void TestSmtpSettingsDialog::ok() {
    QFETCH(QString, password);
    QFETCH(QString, fingerprint);
    QFETCH(bool, storeRefuses);
    QFETCH(QString, warning);
    Settings settings;
    ScriptedPrompt prompt;
    TdlgSMTPSettings dialog(settings, prompt, 3);
    QStringList stored;
    dialog.setPasswordStore([&](const QString &user, const QString &host, const QString &secret) {
        if (storeRefuses) {
            throw CorvaneError(QStringLiteral("no secret store here"));
        }
        stored << user + "@" + host + "=" + secret;
    });
    dialog.controls.host = QStringLiteral(" smtp.example.org ");
    dialog.controls.port = QStringLiteral("25");
    dialog.controls.security = 1;
    dialog.controls.smtpUser = QStringLiteral(" ann ");
    dialog.controls.password = password;
    dialog.controls.fingerprint = fingerprint;
    QCOMPARE(dialog.OK(), warning.isEmpty());
    if (!warning.isEmpty()) {
        QCOMPARE(prompt.texts(), QStringList{warning});
        QVERIFY(settings.SMTPUser.isEmpty());
        QCOMPARE(settings.SMTPSecurity, QStringLiteral("none"));
        return;
    }
    QCOMPARE(settings.SMTPSecurity, QStringLiteral("starttls"));
    QCOMPARE(settings.SMTPUser, QStringLiteral("ann"));
    QCOMPARE(settings.SMTPCertificateFingerprint, fingerprint);
    QCOMPARE(stored, password.isEmpty() ? QStringList() : QStringList{"ann@smtp.example.org=" + password});
}

void TestSmtpSettingsDialog::testConnection_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("line");
    QTest::newRow("typed password") << "Pw-right" << true << "C: AUTH PLAIN ****";
    QTest::newRow("wrong typed password")
        << "Pw-wrong" << false << "Failed: The SMTP server refused the log-in of ann: 535";
}

void TestSmtpSettingsDialog::testConnection() {
    QFETCH(QString, password);
    QFETCH(bool, ok);
    QFETCH(QString, line);
    TestCertificates certificates;
    QVERIFY(certificates.made);
    AiosmtpdServer server(certificates, "tls", "selfsigned", "ann", "Pw-right");
    QVERIFY2(server.port > 0, "aiosmtpd did not start");
    Settings settings;
    ScriptedPrompt prompt;
    TdlgSMTPSettings dialog(settings, prompt, 3);
    dialog.controls.host = QStringLiteral("localhost");
    dialog.controls.port = QString::number(server.port);
    dialog.controls.security = 2;
    dialog.controls.smtpUser = QStringLiteral("ann");
    dialog.controls.password = password;
    dialog.controls.fingerprint = certificates.sha256("selfsigned");
    const TdlgSMTPSettings::TestResult result = dialog.testConnection();
    QCOMPARE(result.ok, ok);
    const QString all = result.lines.join('\n');
    QVERIFY2(
        std::any_of(result.lines.begin(), result.lines.end(), [&](const QString &l) { return l.startsWith(line); }),
        qPrintable(all));
    QVERIFY(!all.contains(password));
    QCOMPARE(prompt.texts().size(), 1);
    QVERIFY(prompt.texts().first().contains(result.lines.last()));
    // The test leaves the settings as they were.
    QVERIFY(settings.SMTPHost.isEmpty());
    QCOMPARE(settings.SMTPSecurity, QStringLiteral("none"));
}

QTEST_GUILESS_MAIN(TestSmtpSettingsDialog)
#include "tst_smtpsettingsdialog.moc"

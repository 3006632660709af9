// The SMTP client over TLS against a real server (aiosmtpd on 127.0.0.1 with throw-away certificates):
// STARTTLS and TLS on connect with AUTH PLAIN and LOGIN, and each way the protected connect can fail with its
// own message; EHLO refused over TLS on connect (the scripted server); the settings side: the port defaults
// and the password sources of the connection layer.
#include "AiosmtpdServer.h"
#include "ScriptedPrompt.h"
#include "ScriptedSmtpServer.h"

#include "base/CorvaneError.h"
#include "send/SMTPConnection.h"
#include "send/TNMSMTP.h"
#include "settings/Settings.h"

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QTest>

using namespace corvane;

class TestSmtpSecurity : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void connects_data();
    void connects();
    void ehloRefused();
    void portDefaults_data();
    void portDefaults();
    void passwordSources_data();
    void passwordSources();

private:
    std::unique_ptr<TestCertificates> m_certificates;
};

namespace {
const QString kUser = QStringLiteral("corvane");
const QString kPassword = QStringLiteral("s3cret-Pass");
} // namespace

// The test CA stands in for the system's roots: certificates it signed verify like a public server's.
void TestSmtpSecurity::initTestCase() {
    m_certificates = std::make_unique<TestCertificates>();
    QVERIFY2(m_certificates->made, "openssl could not make the test certificates");
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificates(m_certificates->path("ca.pem"));
    QSslConfiguration::setDefaultConfiguration(configuration);
}

void TestSmtpSecurity::connects_data() {
    using S = TNMSMTP::Security;
    QTest::addColumn<QString>("serverMode");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QStringList>("exclude");
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    // "own" trusts the server's certificate by its fingerprint, "other" another one's.
    QTest::addColumn<QString>("fingerprint");
    // Empty: the connect, one message and QUIT succeed and the dialogue holds `authLine`.
    QTest::addColumn<QString>("error");
    QTest::addColumn<QByteArray>("authLine");
    const QStringList none;
    const int starttls = int(S::StartTls), tls = int(S::Tls);
    QTest::newRow("STARTTLS, AUTH PLAIN") << "starttls"
                                          << "localhost" << none << starttls << kUser << kPassword << ""
                                          << "" << QByteArray("AUTH PLAIN ****");
    QTest::newRow("STARTTLS, AUTH LOGIN") << "starttls"
                                          << "localhost" << QStringList{"PLAIN"} << starttls << kUser << kPassword << ""
                                          << "" << QByteArray("AUTH LOGIN");
    QTest::newRow("TLS on connect, AUTH PLAIN") << "tls"
                                                << "localhost" << none << tls << kUser << kPassword << ""
                                                << "" << QByteArray("AUTH PLAIN ****");
    QTest::newRow("TLS on connect, no user") << "tls"
                                             << "localhost" << none << tls << ""
                                             << ""
                                             << ""
                                             << "" << QByteArray("EHLO client.test");
    QTest::newRow("wrong password") << "starttls"
                                    << "localhost" << none << starttls << kUser << "wrong"
                                    << ""
                                    << "The SMTP server refused the log-in of corvane: 535" << QByteArray();
    QTest::newRow("no STARTTLS offered") << "plain"
                                         << "" << none << starttls << kUser << kPassword << ""
                                         << "The SMTP server does not offer STARTTLS" << QByteArray();
    QTest::newRow("password without encryption")
        << "plain"
        << "" << none << int(S::None) << kUser << kPassword << ""
        << "Corvane does not send the SMTP password over an unencrypted connection" << QByteArray();
    QTest::newRow("no usable AUTH") << "tls"
                                    << "localhost" << QStringList{"PLAIN", "LOGIN"} << tls << kUser << kPassword << ""
                                    << "offers neither AUTH PLAIN nor AUTH LOGIN" << QByteArray();
    QTest::newRow("certificate for another host")
        << "starttls"
        << "otherhost" << none << starttls << kUser << kPassword << ""
        << "certificate is not trusted: The host name did not match any of the valid hosts" << QByteArray();
    QTest::newRow("self-signed, no fingerprint")
        << "tls"
        << "selfsigned" << none << tls << kUser << kPassword << ""
        << "certificate is not trusted: The certificate is self-signed, and untrusted" << QByteArray();
    QTest::newRow("self-signed, its fingerprint") << "tls"
                                                  << "selfsigned" << none << tls << kUser << kPassword << "own"
                                                  << "" << QByteArray("AUTH PLAIN ****");
    QTest::newRow("valid certificate, another fingerprint")
        << "starttls"
        << "localhost" << none << starttls << kUser << kPassword << "other"
        << "is not the trusted one" << QByteArray();
}

void TestSmtpSecurity::connects() {
    QFETCH(QString, serverMode);
    QFETCH(QString, certificate);
    QFETCH(QStringList, exclude);
    QFETCH(int, security);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, fingerprint);
    QFETCH(QString, error);
    QFETCH(QByteArray, authLine);
    AiosmtpdServer server(*m_certificates, serverMode, certificate, kUser, kPassword, exclude);
    QVERIFY2(server.port > 0, "aiosmtpd did not start");

    TNMSMTP client;
    client.setTimeLimits(10000, 10000);
    client.Host = QStringLiteral("localhost");
    client.Port = server.port;
    client.UserID = QStringLiteral("client.test");
    client.SecurityMode = TNMSMTP::Security(security);
    client.AuthUser = user;
    client.AuthPassword = password;
    if (!fingerprint.isEmpty()) {
        client.TrustedFingerprint = m_certificates->sha256(fingerprint == "own" ? certificate : "otherhost");
    }
    QByteArrayList dialogue;
    connect(&client, &TNMSMTP::dialogue, [&dialogue](const QByteArray &line, bool) { dialogue << line; });

    QString failure;
    try {
        client.Connect();
        client.PostMessage.FromAddress = QStringLiteral("list@example.org");
        client.PostMessage.ToAddress = QStringList{QStringLiteral("member@example.com")};
        client.PostMessage.Subject = QStringLiteral("Over TLS");
        client.PostMessage.Body = QStringList{QStringLiteral("hello")};
        client.SendMail();
        client.Disconnect();
    } catch (const CorvaneError &e) {
        failure = e.message();
    }
    const QByteArray all = dialogue.join('\n');
    QVERIFY2(!all.contains(password.toUtf8()) || password.isEmpty(), all.constData());
    QVERIFY(!all.contains((QByteArray(1, '\0') + user.toUtf8() + QByteArray(1, '\0') + password.toUtf8()).toBase64()));
    if (error.isEmpty()) {
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY2(dialogue.contains(authLine), all.constData());
        QVERIFY2(dialogue.contains("QUIT"), all.constData());
        QVERIFY(!client.Connected());
    } else {
        QVERIFY2(failure.contains(error), qPrintable(failure));
        QVERIFY(!client.Connected());
        QVERIFY2(!dialogue.contains("MAIL FROM:<list@example.org>"), all.constData());
    }
}

// A server that refuses EHLO gets HELO when nothing more than the TLS already running is needed.
void TestSmtpSecurity::ehloRefused() {
    QFile certificate(m_certificates->path("localhost.pem"));
    QFile key(m_certificates->path("localhost.key"));
    QVERIFY(certificate.open(QIODevice::ReadOnly) && key.open(QIODevice::ReadOnly));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(certificate.readAll()));
    tls.setPrivateKey(QSslKey(key.readAll(), QSsl::Rsa));
    ScriptedSmtpServer server(tls);
    QVERIFY(server.listening());
    TNMSMTP client;
    client.setTimeLimits(10000, 10000);
    client.Host = QStringLiteral("localhost");
    client.Port = server.port();
    client.UserID = QStringLiteral("client.test");
    client.SecurityMode = TNMSMTP::Security::Tls;
    client.PostMessage.FromAddress = QStringLiteral("list@example.org");
    client.PostMessage.ToAddress = QStringList{QStringLiteral("member@example.com")};
    try {
        client.Connect();
        client.SendMail();
        client.Disconnect();
    } catch (const CorvaneError &e) {
        QFAIL(qPrintable(e.message()));
    }
    QVERIFY2(server.received.startsWith("EHLO client.test\r\nHELO client.test\r\nRSET\r\n"),
             server.received.constData());
    QCOMPARE(server.commandCount.value("."), 1);
}

void TestSmtpSecurity::portDefaults_data() {
    QTest::addColumn<QString>("security");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("used");
    QTest::newRow("none keeps 25") << "none" << 25 << 25;
    QTest::newRow("STARTTLS at 25") << "StartTLS" << 25 << 587;
    QTest::newRow("TLS at 25") << " tls " << 25 << 465;
    QTest::newRow("TLS at a chosen port") << "tls" << 2465 << 2465;
}

void TestSmtpSecurity::portDefaults() {
    QFETCH(QString, security);
    QFETCH(int, port);
    QFETCH(int, used);
    Settings settings;
    settings.SMTPHost = QStringLiteral("localhost");
    settings.SMTPSecurity = security;
    settings.SMTPPort = port;
    TNMSMTP client;
    SMTPConnection::configureClient(client, settings);
    QCOMPARE(client.Port, used);
}

// The connection layer takes the password from CORVANE_SMTP_PASSWORD or from the owner-only file, and shows
// every failure, the server's refusal of AUTH included, in its connect warning.
void TestSmtpSecurity::passwordSources_data() {
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QByteArray>("fileContent");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<QString>("warning");
    QTest::newRow("from the environment") << kPassword << QByteArray() << 0 << "";
    QTest::newRow("from a private file") << "" << (kPassword.toUtf8() + "\n") << 0600 << "";
    QTest::newRow("wrong password in the environment") << "nope" << QByteArray() << 0 << "535";
    QTest::newRow("file readable by others")
        << "" << kPassword.toUtf8() << 0644 << "others than its owner may read or change it";
    QTest::newRow("unknown security word") << kPassword << QByteArray() << -1 << "Unknown SMTP security \"ssl\"";
}

void TestSmtpSecurity::passwordSources() {
    QFETCH(QString, environment);
    QFETCH(QByteArray, fileContent);
    QFETCH(int, fileMode);
    QFETCH(QString, warning);
    AiosmtpdServer server(*m_certificates, "starttls", "localhost", kUser, kPassword);
    QVERIFY2(server.port > 0, "aiosmtpd did not start");
    QTemporaryDir dir;
    Settings settings;
    settings.SMTPHost = QStringLiteral("localhost");
    settings.SMTPPort = server.port;
    settings.SMTPSecurity = fileMode < 0 ? QStringLiteral("ssl") : QStringLiteral("starttls");
    settings.SMTPUser = kUser;
    if (!fileContent.isEmpty()) {
        settings.SMTPPasswordFile = dir.filePath("password");
        QFile file(settings.SMTPPasswordFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fileContent);
        file.close();
        QVERIFY(QFile::setPermissions(settings.SMTPPasswordFile,
                                      fileMode == 0600 ? QFile::ReadOwner | QFile::WriteOwner
                                                       : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    }
    qputenv("CORVANE_SMTP_PASSWORD", environment.toUtf8());
    ScriptedPrompt prompt;
    SMTPConnection connection(settings, prompt);
    connection.client().setTimeLimits(10000, 10000);
    const bool ok = connection.SMTPConnect();
    connection.SMTPDisconnect();
    qunsetenv("CORVANE_SMTP_PASSWORD");
    QCOMPARE(ok, warning.isEmpty());
    if (!warning.isEmpty()) {
        QCOMPARE(prompt.texts().size(), 1);
        QVERIFY2(prompt.texts().first().startsWith(
                     QStringLiteral("An error was encountered while connecting to your SMTP server:\r\n\r\n")),
                 qPrintable(prompt.texts().first()));
        QVERIFY2(prompt.texts().first().contains(warning), qPrintable(prompt.texts().first()));
    } else {
        QVERIFY(prompt.texts().isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestSmtpSecurity)
#include "tst_smtpsecurity.moc"

// corvane-cli smtp-test with the security settings against aiosmtpd: it logs in with the password from the
// environment, shows the dialogue with the password masked, fails with status 1 and the server's reply for a
// wrong password, and never writes the password into any file it keeps.
#include "AiosmtpdServer.h"

#include <QDirIterator>
#include <QProcessEnvironment>
#include <QTest>

using namespace corvane;

class TestSmtpSecurityCli : public QObject {
    Q_OBJECT
private slots:
    void smtpTest_data();
    void smtpTest();
};

namespace {
struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result cli(const QTemporaryDir &dir, const QStringList &arguments, const QString &password) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("CORVANE_SMTP_PASSWORD"), password);
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(CORVANE_CLI),
                  QStringList{QStringLiteral("--home"), dir.filePath(QStringLiteral("home")), QStringLiteral("--yes")} +
                      arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
} // namespace

void TestSmtpSecurityCli::smtpTest_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("recipient");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected");
    QTest::newRow("log-in and quit") << "Pw-ok-1"
                                     << "" << 0 << "C: AUTH PLAIN ****\nS: 235";
    QTest::newRow("log-in and a message") << "Pw-ok-1"
                                          << "ann@example.org" << 0 << "C: RCPT TO:<ann@example.org>\nS: 250";
    QTest::newRow("wrong password") << "Pw-bad-2"
                                    << "" << 1 << "refused the log-in of corvane: 535";
}

void TestSmtpSecurityCli::smtpTest() {
    QFETCH(QString, password);
    QFETCH(QString, recipient);
    QFETCH(int, status);
    QFETCH(QString, expected);
    TestCertificates certificates;
    QVERIFY(certificates.made);
    AiosmtpdServer server(certificates, "tls", "selfsigned", "corvane", "Pw-ok-1");
    QVERIFY2(server.port > 0, "aiosmtpd did not start");
    QTemporaryDir dir;
    const QStringList settings{"SMTPHost",
                               "localhost",
                               "SMTPPort",
                               QString::number(server.port),
                               "SMTPSecurity",
                               "tls",
                               "SMTPUser",
                               "corvane",
                               "SMTPEmail",
                               "list@example.org",
                               "SMTPCertificateFingerprint",
                               certificates.sha256("selfsigned")};
    for (qsizetype i = 0; i < settings.size(); i += 2) {
        const Result set = cli(dir, {"settings", "set", settings[i], settings[i + 1]}, password);
        QVERIFY2(set.status == 0, qPrintable(set.err));
    }
    const Result r =
        cli(dir, recipient.isEmpty() ? QStringList{"smtp-test"} : QStringList{"smtp-test", recipient}, password);
    QCOMPARE(r.status, status);
    QVERIFY2((r.out + r.err).contains(expected), qPrintable(r.out + r.err));
    QVERIFY2(r.out.contains("Security: tls, port " + QString::number(server.port) + ", log-in as corvane"),
             qPrintable(r.out));
    QVERIFY(!(r.out + r.err).contains(password));
    QDirIterator files(dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(!file.readAll().contains(password.toUtf8()), qPrintable(file.fileName()));
    }
}

QTEST_GUILESS_MAIN(TestSmtpSecurityCli)
#include "tst_smtpsecuritycli.moc"

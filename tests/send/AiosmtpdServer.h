// Test fixture: throw-away certificates made with openssl in a temporary directory (a test CA with
// certificates for "localhost" and for another host name, and a self-signed "localhost" certificate), and
// Debian's aiosmtpd started on 127.0.0.1 on a free port with STARTTLS, TLS on connect or neither, and AUTH for
// one user. The server stops when the fixture is destroyed.
#pragma once

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace corvane {

struct TestCertificates {
    QTemporaryDir dir;
    bool made = false;

    QString path(const QString &name) const { return dir.filePath(name); }

    // Makes ca.pem, localhost.pem/.key and otherhost.pem/.key (signed by the CA) and selfsigned.pem/.key.
    TestCertificates() {
        made = openssl({"-x509", "-subj", "/CN=Corvane Test CA", "-keyout", path("ca.key"), "-out", path("ca.pem")}) &&
               leaf("localhost", "localhost", true) && leaf("otherhost", "other.example", true) &&
               leaf("selfsigned", "localhost", false);
    }

    QString sha256(const QString &name) const {
        QFile file(path(name + ".pem"));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromLatin1(QSslCertificate(file.readAll()).digest(QCryptographicHash::Sha256).toHex());
    }

private:
    bool leaf(const QString &name, const QString &host, bool signedByCa) {
        QStringList args{"-x509",
                         "-subj",
                         "/CN=" + host,
                         "-addext",
                         "subjectAltName=DNS:" + host,
                         "-keyout",
                         path(name + ".key"),
                         "-out",
                         path(name + ".pem")};
        if (signedByCa) {
            args << "-CA" << path("ca.pem") << "-CAkey" << path("ca.key");
        }
        return openssl(args);
    }

    static bool openssl(const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral("openssl"), QStringList{"req", "-newkey", "rsa:2048", "-nodes", "-days", "2"} + args);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }
};

struct AiosmtpdServer {
    QProcess process;
    int port = 0;

    // `mode` is "plain", "starttls" or "tls"; `certificate` the base name of a TestCertificates pair;
    // `exclude` AUTH mechanisms the server does not offer; `options` further switches of the script.
    // port() stays 0 when the server did not start.
    AiosmtpdServer(const TestCertificates &certificates, const QString &mode, const QString &certificate,
                   const QString &user, const QString &password, const QStringList &exclude = {},
                   const QStringList &options = {}) {
        QStringList args{
            QStringLiteral(CORVANE_AIOSMTPD_SCRIPT), "--mode", mode, "--user", user, "--password", password};
        if (mode != QLatin1String("plain")) {
            args << "--cert" << certificates.path(certificate + ".pem") << "--key"
                 << certificates.path(certificate + ".key");
        }
        for (const QString &mechanism : exclude) {
            args << "--exclude" << mechanism;
        }
        args << options;
        process.start(QStringLiteral("/usr/bin/python3"), args);
        if (!process.waitForStarted(10000)) {
            return;
        }
        while (!process.canReadLine() && process.waitForReadyRead(15000)) {
        }
        const QByteArray line = process.readLine().trimmed();
        if (line.startsWith("READY ")) {
            port = line.mid(6).toInt();
        }
    }

    ~AiosmtpdServer() {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

} // namespace corvane

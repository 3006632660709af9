// Test helper: a Dovecot IMAP server of the test's own on 127.0.0.1 and a free port, with a throw-away
// configuration, one passwd-file user and its Maildir++ mail under the test's temporary directory; with TLS,
// a throw-away certificate made by openssl (self-signed, or signed by a throw-away CA for a given host name).
// Stopped when the object goes away.
#pragma once

#include "mailstore/ImapAccount.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::test {

class DovecotInstance {
public:
    enum class Tls { None, SelfSigned, CaSigned };

    static QString binary() {
        return QStandardPaths::findExecutable(QStringLiteral("dovecot"), {"/usr/sbin", "/usr/local/sbin"});
    }
    static bool available() { return !binary().isEmpty(); }

    // `certificateHost` is the name the CA-signed certificate is issued for.
    explicit DovecotInstance(Tls tls = Tls::None, const QString &certificateHost = QStringLiteral("localhost"))
        : m_tls(tls) {
        QDir().mkpath(mailRoot());
        if (tls != Tls::None)
            makeCertificates(certificateHost);
        m_port = freePort();
        writeConfig();
    }
    ~DovecotInstance() {
        stop();
        if (qEnvironmentVariableIsSet("CORVANE_DOVECOT_LOG"))
            qWarning("dovecot log:\n%s", log().constData());
    }

    QString path() const { return m_dir.path(); }
    // The user's Maildir: INBOX at its top, every other mailbox a ".Name" directory.
    QString mailRoot() const { return m_dir.path() + QStringLiteral("/mail/tester"); }
    int port() const { return m_port; }
    QString caDirectory() const { return m_dir.path() + QStringLiteral("/ca"); }
    QString certificateFile() const { return m_dir.path() + QStringLiteral("/server.crt"); }

    ImapAccount account(const QString &host = QStringLiteral("127.0.0.1")) const {
        ImapAccount a;
        a.host = host;
        a.port = m_port;
        a.security = m_tls == Tls::None ? ImapAccount::Security::None : ImapAccount::Security::Tls;
        a.user = QStringLiteral("tester");
        a.password = QStringLiteral("secret");
        a.rootCertificates = caDirectory();
        a.timeoutSeconds = 10;
        return a;
    }

    // Starts the server and waits for its greeting. Fails the test when it does not come up.
    bool start() {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(binary(), {QStringLiteral("-F"), QStringLiteral("-c"), configFile()});
        for (int i = 0; i < 100; ++i) {
            QTcpSocket probe;
            probe.connectToHost(QStringLiteral("127.0.0.1"), quint16(m_port));
            // With TLS on connect the greeting only follows the handshake: being accepted is enough then.
            if (probe.waitForConnected(100) && (m_tls != Tls::None || probe.waitForReadyRead(500)))
                return true;
            if (m_process.state() == QProcess::NotRunning || log().contains("Fatal:"))
                break;
            QTest::qWait(50);
        }
        qWarning("dovecot did not start: %s %s", m_process.readAll().constData(), log().constData());
        return false;
    }
    // Stops the server and every connection it serves.
    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        // The imap processes outlive their master: they are ended too, as a crashed server would end them.
        const QList<pid_t> children = childrenOf(pid_t(m_process.processId()));
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(5000);
        for (const pid_t child : children)
            ::kill(child, SIGKILL);
        QTest::qWait(100);
    }
    QByteArray log() const {
        QFile file(m_dir.path() + QStringLiteral("/dovecot.log"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Makes the server give mailbox `dirName` ("" for INBOX, ".Name" otherwise) a new UIDVALIDITY: it forgets
    // the mailbox's UID list and indexes (call while stopped).
    void forgetUids(const QString &dirName) {
        const QDir dir(dirName.isEmpty() ? mailRoot() : mailRoot() + QLatin1Char('/') + dirName);
        for (const QString &name : dir.entryList({QStringLiteral("dovecot*")}, QDir::Files))
            QFile::remove(dir.filePath(name));
    }

private:
    // The processes whose parent is `parent`, from /proc.
    static QList<pid_t> childrenOf(pid_t parent) {
        QList<pid_t> pids;
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            bool number = false;
            const pid_t pid = pid_t(entry.toInt(&number));
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (!number || !stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray line = stat.readAll();
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && fields[1].toInt() == parent)
                pids.append(pid);
        }
        return pids;
    }

    QString configFile() const { return m_dir.path() + QStringLiteral("/dovecot.conf"); }

    static int freePort() {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        return server.serverPort();
    }

    static void run(const QString &program, const QStringList &arguments) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, arguments);
        if (!p.waitForFinished(30000) || p.exitCode() != 0)
            qFatal("%s failed: %s", qPrintable(program), p.readAll().constData());
    }

    void makeCertificates(const QString &host) {
        const QString d = m_dir.path();
        QDir().mkpath(caDirectory());
        if (m_tls == Tls::SelfSigned) {
            run("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=" + host,
                            "-keyout", d + "/server.key", "-out", certificateFile()});
            return;
        }
        run("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Corvane Test CA",
                        "-keyout", d + "/ca.key", "-out", caDirectory() + "/ca.pem"});
        run("openssl", {"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=" + host, "-keyout", d + "/server.key",
                        "-out", d + "/server.csr"});
        QFile ext(d + "/ext.cnf");
        ext.open(QIODevice::WriteOnly);
        ext.write("subjectAltName=DNS:" + host.toUtf8() + "\n");
        ext.close();
        run("openssl",
            {"x509", "-req", "-in", d + "/server.csr", "-CA", caDirectory() + "/ca.pem", "-CAkey", d + "/ca.key",
             "-CAcreateserial", "-days", "2", "-extfile", d + "/ext.cnf", "-out", certificateFile()});
    }

    void writeConfig() {
        const QString d = m_dir.path();
        // Dovecot keeps no mail as root: as root the mail belongs to Dovecot's own user.
        uid_t uid = getuid();
        gid_t gid = getgid();
        if (uid == 0) {
            if (const passwd *owner = getpwnam("dovecot")) {
                uid = owner->pw_uid;
                gid = owner->pw_gid;
            }
            ::chmod(QFile::encodeName(d).constData(), 0755);
            for (const char *sub : {"/mail", "/mail/tester", "/home"}) {
                QDir().mkpath(d + QLatin1String(sub));
                if (::chown(QFile::encodeName(d + QLatin1String(sub)).constData(), uid, gid) != 0)
                    qFatal("cannot hand %s to dovecot", sub);
            }
        }
        QFile passwdFile(d + QStringLiteral("/passwd"));
        passwdFile.open(QIODevice::WriteOnly);
        passwdFile.write(QStringLiteral("tester:{PLAIN}secret:%1:%2::%3/home::\n").arg(uid).arg(gid).arg(d).toUtf8());
        passwdFile.close();
        // As root, the login and internal processes run as Dovecot's own unprivileged users.
        const QString self = QString::fromLocal8Bit(qgetenv("USER").isEmpty() ? "root" : qgetenv("USER"));
        const QString user = getuid() == 0 ? QStringLiteral("dovecot") : self;
        const QString loginUser = getuid() == 0 ? QStringLiteral("dovenull") : self;
        QString conf;
        conf += "base_dir = " + d + "/run\nstate_dir = " + d + "/state\n";
        conf += "log_path = " + d + "/dovecot.log\nauth_verbose = yes\n";
        conf += "protocols = imap\nlisten = 127.0.0.1\n";
        conf += "default_internal_user = " + user + "\ndefault_login_user = " + loginUser + "\n";
        conf += "first_valid_uid = 0\nfirst_valid_gid = 0\n";
        conf += "disable_plaintext_auth = no\nauth_mechanisms = plain login\n";
        conf += "mail_location = maildir:" + d + "/mail/%u\nmail_fsync = never\n";
        conf += "passdb {\n  driver = passwd-file\n  args = " + d + "/passwd\n}\n";
        conf += "userdb {\n  driver = passwd-file\n  args = " + d + "/passwd\n}\n";
        if (m_tls == Tls::None) {
            conf += "ssl = no\n";
        } else {
            conf += "ssl = required\nssl_cert = <" + certificateFile() + "\nssl_key = <" + d + "/server.key\n";
        }
        conf += "service imap-login {\n  chroot =\n";
        if (m_tls == Tls::None)
            conf += "  inet_listener imap {\n    address = 127.0.0.1\n    port = " + QString::number(m_port) +
                    "\n  }\n  inet_listener imaps {\n    port = 0\n  }\n";
        else
            conf += "  inet_listener imap {\n    port = 0\n  }\n  inet_listener imaps {\n    address = 127.0.0.1\n"
                    "    port = " +
                    QString::number(m_port) + "\n    ssl = yes\n  }\n";
        conf += "}\n";
        conf += "service anvil {\n  chroot =\n}\nservice stats {\n  chroot =\n}\n";
        conf += "service auth {\n  user = " + self + "\n}\nservice auth-worker {\n  user = " + self + "\n}\n";
        conf += "namespace inbox {\n  inbox = yes\n  separator = /\n";
        for (const char *special : {"Trash", "Sent", "Drafts"})
            conf += QStringLiteral("  mailbox %1 {\n    auto = create\n    special_use = \\%1\n  }\n")
                        .arg(QLatin1String(special));
        conf += "}\n";
        QFile file(configFile());
        file.open(QIODevice::WriteOnly);
        file.write(conf.toUtf8());
    }

    QTemporaryDir m_dir;
    Tls m_tls;
    int m_port = 0;
    QProcess m_process;
};

} // namespace corvane::test

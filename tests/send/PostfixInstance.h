// A throw-away Postfix for end-to-end tests of the SMTP client: its own configuration, queue, data and mail
// directories in a temporary directory, an SMTP listener on 127.0.0.1 and a free port, and delivery of one
// virtual mailbox (member@corvane.test) into a Maildir there. Nothing outside 127.0.0.1 is ever reached:
// local, relay and default transports are the error transport. The instance never depends on the machine's
// /etc/postfix configuration. It is stopped, and every process of it killed, when the object goes; the
// master daemon also ends by itself after two minutes in case the test process dies without cleaning up.
// Starting Postfix needs root.
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <utility>

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

class PostfixInstance {
public:
    // The one address the instance delivers; everything else is refused.
    static constexpr const char *kRecipient = "member@corvane.test";
    // Seconds after which the master daemon ends by itself, even when stop() never runs.
    static constexpr int kExitTimeSeconds = 120;

    // Further addresses of corvane.test that the instance delivers, each into its own Maildir
    // (maildirFor). Set before start().
    QStringList extraMailboxes;

    PostfixInstance() = default;
    PostfixInstance(const PostfixInstance &) = delete;
    PostfixInstance &operator=(const PostfixInstance &) = delete;
    ~PostfixInstance() { stop(); }

    // Writes the configuration and starts the master daemon on a free port of 127.0.0.1. Returns false with
    // a message naming the cause (Postfix not installed, no "postfix" user, the integrity check or the
    // start-up failed, with the command output and the Postfix log) when the instance is not running.
    bool start(QString &error) {
        const QString postfix = findProgram(QStringLiteral("postfix"));
        const QString postconf = findProgram(QStringLiteral("postconf"));
        if (postfix.isEmpty() || postconf.isEmpty()) {
            error = QStringLiteral("Postfix is not installed (no postfix/postconf program in /usr/sbin or PATH); "
                                   "scripts/setup.sh installs it");
            return false;
        }
        const passwd *owner = getpwnam("postfix");
        if (!owner) {
            error = QStringLiteral("Postfix is installed but the \"postfix\" user does not exist");
            return false;
        }
        if (!m_dir.isValid()) {
            error = QStringLiteral("Cannot create a temporary directory: ") + m_dir.errorString();
            return false;
        }
        // The daemons run as the postfix user and must reach the queue and the mailbox below this directory.
        const QString root = m_dir.path();
        if (::chmod(QFile::encodeName(root).constData(), 0755) != 0 || !QDir(root).mkpath(QStringLiteral("conf")) ||
            !QDir(root).mkpath(QStringLiteral("queue")) || !QDir(root).mkpath(QStringLiteral("mail"))) {
            error = QStringLiteral("Cannot prepare the directories in ") + root;
            return false;
        }
        if (::chown(QFile::encodeName(mailBase()).constData(), owner->pw_uid, owner->pw_gid) != 0) {
            error = QStringLiteral("Cannot give the mail directory to the postfix user");
            return false;
        }

        // A port picked free can be taken by someone else before the master binds it: try a few.
        for (int attempt = 0; attempt < 3; ++attempt) {
            m_port = freePort();
            if (m_port == 0) {
                error = QStringLiteral("No free port on 127.0.0.1");
                return false;
            }
            if (!writeConfiguration(owner->pw_uid, owner->pw_gid, error)) {
                return false;
            }
            QString output;
            if (!run(postfix, {QStringLiteral("-c"), confDir(), QStringLiteral("check-fatal")}, 30000, output)) {
                error = QStringLiteral("The Postfix integrity check failed: ") + output + logText();
                return false;
            }
            if (!run(postconf,
                     {QStringLiteral("-c"), confDir(), QStringLiteral("-h"), QStringLiteral("daemon_directory")}, 10000,
                     output)) {
                error = QStringLiteral("postconf failed: ") + output;
                return false;
            }
            const QString master = output.trimmed() + QStringLiteral("/master");
            // -w returns only when the daemon is initialised (its listener bound) and says whether it is.
            if (run(master,
                    {QStringLiteral("-c"), confDir(), QStringLiteral("-w"), QStringLiteral("-e"),
                     QString::number(kExitTimeSeconds)},
                    30000, output)) {
                m_started = true;
                return true;
            }
            error = QStringLiteral("The Postfix master daemon did not start on 127.0.0.1:%1: ").arg(m_port) + output +
                    logText();
            stop();
        }
        return false;
    }

    // Stops the instance ("postfix stop"), then kills whatever process of it is left. Returns true when no
    // process of the instance remains; otherwise false with their ids in `error`. Safe to call repeatedly and
    // when start() failed.
    bool stop(QString *error = nullptr) {
        if (!QFile::exists(confDir() + QStringLiteral("/main.cf"))) {
            return true;
        }
        if (m_started) {
            const QString postfix = findProgram(QStringLiteral("postfix"));
            QString output;
            run(postfix, {QStringLiteral("-c"), confDir(), QStringLiteral("stop")}, 15000, output);
            m_started = false;
        }
        QList<pid_t> left = waitForExit(3000);
        for (const pid_t pid : left) {
            ::kill(pid, SIGKILL);
        }
        left = waitForExit(3000);
        if (!left.isEmpty() && error) {
            QStringList ids;
            for (const pid_t pid : left) {
                ids.append(QString::number(pid));
            }
            *error = QStringLiteral("Postfix processes still running: ") + ids.join(QLatin1Char(' '));
        }
        return left.isEmpty();
    }

    quint16 port() const { return m_port; }
    // The instance's configuration directory, for its sendmail ("sendmail -C DIR").
    QString configDirectory() const { return confDir(); }
    // The Maildir of kRecipient (its new/ folder receives the messages).
    QString maildir() const { return mailBase() + QStringLiteral("/inbox"); }
    // The Maildir of one of extraMailboxes: named after the address's local part.
    QString maildirFor(const QString &address) const {
        return mailBase() + QLatin1Char('/') + address.section(QLatin1Char('@'), 0, 0);
    }
    // The Postfix log of the instance, for failure messages.
    QString logText() const {
        QFile file(m_dir.filePath(QStringLiteral("maillog")));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QStringLiteral("\nPostfix log:\n") + QString::fromLocal8Bit(file.readAll());
    }

    // Ids of the live (not zombie) processes of this instance: those whose environment names its
    // configuration directory, which the master passes on to every daemon it starts.
    QList<pid_t> processes() const {
        const QByteArray marker = "MAIL_CONFIG=" + QFile::encodeName(confDir());
        QList<pid_t> found;
        const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &entry : entries) {
            bool numeric = false;
            const pid_t pid = entry.toInt(&numeric);
            if (!numeric || pid == ::getpid()) {
                continue;
            }
            QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
            if (!environ.open(QIODevice::ReadOnly) || !environ.readAll().split('\0').contains(marker)) {
                continue;
            }
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly)) {
                continue;
            }
            const QByteArray text = stat.readAll();
            const qsizetype close = text.lastIndexOf(')');
            if (close >= 0 && text.mid(close + 2, 1) != "Z") {
                found.append(pid);
            }
        }
        return found;
    }

private:
    QString confDir() const { return m_dir.filePath(QStringLiteral("conf")); }
    QString mailBase() const { return m_dir.filePath(QStringLiteral("mail")); }

    static QString findProgram(const QString &name) {
        const QString sbin =
            QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
        return sbin.isEmpty() ? QStandardPaths::findExecutable(name) : sbin;
    }

    // A port of 127.0.0.1 that nothing listens on right now; 0 when none could be found.
    static quint16 freePort() {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
    }

    // Runs `program` with a minimal environment that points Postfix at this instance. Returns true when it
    // exits with status 0 within `limitMs`; `output` receives its standard output and error. A program that
    // does not finish in time is killed.
    bool run(const QString &program, const QStringList &arguments, int limitMs, QString &output) const {
        QProcess process;
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/sbin:/usr/bin:/sbin:/bin"));
        env.insert(QStringLiteral("MAIL_CONFIG"), confDir());
        env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        if (!process.waitForStarted(limitMs)) {
            output = program + QStringLiteral(": ") + process.errorString();
            return false;
        }
        const bool finished = process.waitForFinished(limitMs);
        if (!finished) {
            process.kill();
            process.waitForFinished(1000);
        }
        output = QString::fromLocal8Bit(process.readAll());
        if (!finished) {
            output += program + QStringLiteral(" did not finish in time");
        }
        return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    QString extraMaps() const {
        QString maps;
        for (const QString &address : extraMailboxes) {
            maps += QStringLiteral(", ") + address + QLatin1Char('=') + address.section(QLatin1Char('@'), 0, 0) +
                    QLatin1Char('/');
        }
        return maps;
    }

    bool writeConfiguration(uid_t uid, gid_t gid, QString &error) const {
        const QString root = m_dir.path();
        const QString main = QStringLiteral(R"(compatibility_level = 3.6
config_directory = %1/conf
queue_directory = %1/queue
data_directory = %1/data
maillog_file_prefixes = %1
maillog_file = %1/maillog
myhostname = corvane-test.localdomain
mydomain = localdomain
myorigin = $myhostname
inet_interfaces = 127.0.0.1
inet_protocols = ipv4
mynetworks = 127.0.0.0/8
mydestination =
relayhost =
local_transport = error:local delivery is off in this test instance
default_transport = error:outside delivery is off in this test instance
relay_transport = error:outside delivery is off in this test instance
alias_maps =
alias_database =
biff = no
smtpd_peername_lookup = no
virtual_mailbox_domains = corvane.test
virtual_mailbox_base = %1/mail
virtual_mailbox_maps = inline:{ %2=inbox/%5 }
virtual_uid_maps = static:%3
virtual_gid_maps = static:%4
virtual_minimum_uid = 1
)")
                                 .arg(root, QLatin1String(kRecipient))
                                 .arg(uid)
                                 .arg(gid)
                                 .arg(extraMaps());
        // No chroot: the daemons need nothing copied from the machine's /etc.
        const QString master = QStringLiteral(R"(127.0.0.1:%1 inet n - n - - smtpd
pickup unix n - n 60 1 pickup
cleanup unix n - n - 0 cleanup
qmgr unix n - n 300 1 qmgr
rewrite unix - - n - - trivial-rewrite
bounce unix - - n - 0 bounce
defer unix - - n - 0 bounce
trace unix - - n - 0 bounce
verify unix - - n - 1 verify
flush unix n - n 1000? 0 flush
proxymap unix - - n - - proxymap
showq unix n - n - - showq
error unix - - n - - error
retry unix - - n - - error
discard unix - - n - - discard
virtual unix - n n - - virtual
anvil unix - - n - 1 anvil
scache unix - - n - 1 scache
postlog unix-dgram n - n - 1 postlogd
)")
                                   .arg(m_port);
        for (const auto &[name, text] :
             {std::pair{QStringLiteral("main.cf"), main}, std::pair{QStringLiteral("master.cf"), master}}) {
            QFile file(confDir() + QLatin1Char('/') + name);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0) {
                error = QStringLiteral("Cannot write ") + file.fileName();
                return false;
            }
        }
        return true;
    }

    // Waits up to `limitMs` for every process of the instance to end; returns those still alive.
    QList<pid_t> waitForExit(int limitMs) const {
        const QDeadlineTimer deadline(limitMs);
        QList<pid_t> left = processes();
        while (!left.isEmpty() && !deadline.hasExpired()) {
            QThread::msleep(20);
            left = processes();
        }
        return left;
    }

    QTemporaryDir m_dir;
    quint16 m_port = 0;
    bool m_started = false;
};

} // namespace corvane

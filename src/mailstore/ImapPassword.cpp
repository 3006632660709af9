// Reading the IMAP password from the environment, a private file or the desktop's secret store.
#include "mailstore/ImapPassword.h"

#include "base/CorvaneError.h"

#include <QEventLoop>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <qt6keychain/keychain.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

const QString kService = QStringLiteral("Corvane IMAP");

QString secretKey(const QString &user, const QString &host) {
    return user + QLatin1Char('@') + host;
}

} // namespace

QString ImapPassword::lookup(const QString &passwordFile, const QString &user, const QString &host) {
    const QString fromEnvironment = qEnvironmentVariable("CORVANE_IMAP_PASSWORD");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (!passwordFile.trimmed().isEmpty())
        return fromFile(passwordFile.trimmed());
    const QString stored = fromSecretStore(user, host);
    if (stored.isEmpty())
        throw CorvaneError(QStringLiteral("There is no IMAP password for %1 at %2: set CORVANE_IMAP_PASSWORD, name "
                                          "a password file (IMAPPasswordFile) or keep it in the desktop's secret "
                                          "store.")
                               .arg(user, host));
    return stored;
}

QString ImapPassword::fromFile(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw CorvaneError(QStringLiteral("The IMAP password file %1 cannot be opened: %2")
                               .arg(path, QString::fromLocal8Bit(strerror(errno))));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw CorvaneError(QStringLiteral("The IMAP password file %1 is not a plain file.").arg(path));
    }
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        ::close(fd);
        throw CorvaneError(QStringLiteral("The IMAP password file %1 is not used: others than its owner may read "
                                          "or change it (mode %2). Make it private with \"chmod 600 %1\".")
                               .arg(path)
                               .arg(status.st_mode & 0777, 4, 8, QLatin1Char('0')));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw CorvaneError(QStringLiteral("The IMAP password file %1 cannot be read.").arg(path));
    }
    if (status.st_size > 4096)
        throw CorvaneError(QStringLiteral("The IMAP password file %1 is too long for a password.").arg(path));
    QByteArray line = file.read(4097);
    const qsizetype end = line.indexOf('\n');
    if (end >= 0)
        line.truncate(end);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        throw CorvaneError(QStringLiteral("The IMAP password file %1 holds no password.").arg(path));
    return QString::fromUtf8(line);
}

QString ImapPassword::fromSecretStore(const QString &user, const QString &host) {
    QKeychain::ReadPasswordJob job(kService);
    job.setAutoDelete(false);
    job.setKey(secretKey(user, host));
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() == QKeychain::EntryNotFound)
        return {};
    if (job.error() != QKeychain::NoError)
        throw CorvaneError(QStringLiteral("The desktop's secret store cannot be read for the IMAP password: %1")
                               .arg(job.errorString()));
    return job.textData();
}

ImapPassword::SecretWriter &ImapPassword::secretWriter() {
    static SecretWriter writer;
    return writer;
}

void ImapPassword::toSecretStore(const QString &user, const QString &host, const QString &password) {
    if (secretWriter()) {
        secretWriter()(user, host, password);
        return;
    }
    QKeychain::WritePasswordJob job(kService);
    job.setAutoDelete(false);
    job.setKey(secretKey(user, host));
    job.setTextData(password);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() != QKeychain::NoError)
        throw CorvaneError(
            QStringLiteral("The desktop's secret store refused the IMAP password: %1").arg(job.errorString()));
}

} // namespace corvane

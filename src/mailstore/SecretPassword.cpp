// Reading an account's password from the environment, a private file or the desktop's secret store.
#include "mailstore/SecretPassword.h"

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

QString secretKey(const QString &user, const QString &host) {
    return user + QLatin1Char('@') + host;
}

} // namespace

SecretPassword::Account SecretPassword::imap() {
    return {QStringLiteral("IMAP"), QStringLiteral("Corvane IMAP"), QStringLiteral("CORVANE_IMAP_PASSWORD"),
            QStringLiteral("IMAPPasswordFile")};
}

SecretPassword::Account SecretPassword::smtp() {
    return {QStringLiteral("SMTP"), QStringLiteral("Corvane SMTP"), QStringLiteral("CORVANE_SMTP_PASSWORD"),
            QStringLiteral("SMTPPasswordFile")};
}

QString SecretPassword::lookup(const Account &account, const QString &passwordFile, const QString &user,
                               const QString &host) {
    const QString fromEnvironment = qEnvironmentVariable(qPrintable(account.environment));
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    if (!passwordFile.trimmed().isEmpty())
        return fromFile(account, passwordFile.trimmed());
    const QString stored = fromSecretStore(account, user, host);
    if (stored.isEmpty())
        throw CorvaneError(QStringLiteral("There is no %1 password for %2 at %3: set %4, name a password file (%5) "
                                          "or keep it in the desktop's secret store.")
                               .arg(account.label, user, host, account.environment, account.fileSetting));
    return stored;
}

QString SecretPassword::fromFile(const Account &account, const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw CorvaneError(QStringLiteral("The %1 password file %2 cannot be opened: %3")
                               .arg(account.label, path, QString::fromLocal8Bit(strerror(errno))));
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw CorvaneError(QStringLiteral("The %1 password file %2 is not a plain file.").arg(account.label, path));
    }
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        ::close(fd);
        throw CorvaneError(QStringLiteral("The %1 password file %2 is not used: others than its owner may read "
                                          "or change it (mode %3). Make it private with \"chmod 600 %2\".")
                               .arg(account.label, path)
                               .arg(status.st_mode & 0777, 4, 8, QLatin1Char('0')));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw CorvaneError(QStringLiteral("The %1 password file %2 cannot be read.").arg(account.label, path));
    }
    if (status.st_size > 4096)
        throw CorvaneError(
            QStringLiteral("The %1 password file %2 is too long for a password.").arg(account.label, path));
    QByteArray line = file.read(4097);
    const qsizetype end = line.indexOf('\n');
    if (end >= 0)
        line.truncate(end);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        throw CorvaneError(QStringLiteral("The %1 password file %2 holds no password.").arg(account.label, path));
    return QString::fromUtf8(line);
}

QString SecretPassword::fromSecretStore(const Account &account, const QString &user, const QString &host) {
    QKeychain::ReadPasswordJob job(account.service);
    job.setAutoDelete(false);
    job.setKey(secretKey(user, host));
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() == QKeychain::EntryNotFound)
        return {};
    if (job.error() != QKeychain::NoError)
        throw CorvaneError(QStringLiteral("The desktop's secret store cannot be read for the %1 password: %2")
                               .arg(account.label, job.errorString()));
    return job.textData();
}

void SecretPassword::toSecretStore(const Account &account, const QString &user, const QString &host,
                                   const QString &password) {
    QKeychain::WritePasswordJob job(account.service);
    job.setAutoDelete(false);
    job.setKey(secretKey(user, host));
    job.setTextData(password);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() != QKeychain::NoError)
        throw CorvaneError(QStringLiteral("The desktop's secret store refused the %1 password: %2")
                               .arg(account.label, job.errorString()));
}

} // namespace corvane

// Reading and changing the Maildir++ directories of one store.
#include "mailstore/MaildirStore.h"

#include "base/CorvaneError.h"
#include "mailstore/MaildirFileName.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSysInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

const QString kNew = QStringLiteral("new");
const QString kCur = QStringLiteral("cur");

bool isVCardName(const QString &name) {
    return name.endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive);
}

// The plain files of `dir` whose names do not begin with ".".
QStringList filesIn(const QString &dir) {
    return QDir(dir).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
}

} // namespace

MaildirStore::MaildirStore(const QString &root) : m_root(QDir::cleanPath(QDir(root).absolutePath())) {
    const QString canonical = QFileInfo(m_root).canonicalFilePath();
    m_storeId = canonical.isEmpty() ? m_root : canonical;
}

QString MaildirStore::folderDirectory(const QString &key) const {
    return key.isEmpty() ? m_root : m_root + QLatin1String("/.") + key;
}

bool MaildirStore::folderExists(const QString &key) const {
    return QFileInfo(folderDirectory(key)).isDir();
}

QStringList MaildirStore::childFolders(const QString &parentKey) const {
    const QStringList dirs = QDir(m_root).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    const QString prefix = parentKey.isEmpty() ? QStringLiteral(".") : QLatin1Char('.') + parentKey + '.';
    QStringList names;
    QSet<QString> seen;
    for (const QString &dir : dirs) {
        if (!dir.startsWith(prefix) || dir.size() == prefix.size())
            continue;
        const QString name = dir.mid(prefix.size()).section(QLatin1Char('.'), 0, 0);
        if (name.isEmpty())
            continue;
        if (parentKey.isEmpty() && name.compare(QLatin1String("Inbox"), Qt::CaseInsensitive) == 0)
            continue;
        if (!seen.contains(name.toCaseFolded())) {
            seen.insert(name.toCaseFolded());
            names.append(name);
        }
    }
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QString MaildirStore::createFolder(const QString &parentKey, const QString &name) {
    if (name.trimmed().isEmpty())
        throw CorvaneError(QStringLiteral("A folder name may not be empty."));
    if (name.contains(QLatin1Char('.')) || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        throw CorvaneError(QStringLiteral("The folder name \"%1\" may not contain \".\", \"/\" or \"\\\".").arg(name));
    if (parentKey.isEmpty() && name.compare(QLatin1String("Inbox"), Qt::CaseInsensitive) == 0)
        throw CorvaneError(QStringLiteral("The folder \"%1\" already exists.").arg(name));
    const QString prefix = parentKey.isEmpty() ? QString() : parentKey + QLatin1Char('.');
    for (const QString &existing : childFolders(parentKey)) {
        if (existing.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        // A parent known only from its sub-folders' names gets its own directory now.
        if (existing == name && !folderExists(prefix + existing))
            continue;
        throw CorvaneError(QStringLiteral("The folder \"%1\" already exists.").arg(name));
    }
    const QString key = prefix + name;
    const QString dir = folderDirectory(key);
    QDir make;
    for (const char *sub : {"tmp", "new", "cur"}) {
        if (!make.mkpath(dir + QLatin1Char('/') + QLatin1String(sub)))
            throw CorvaneError(QStringLiteral("The folder \"%1\" cannot be created in %2.").arg(name, m_root));
    }
    QFile marker(dir + QLatin1String("/maildirfolder"));
    if (!marker.open(QIODevice::WriteOnly))
        throw CorvaneError(QStringLiteral("The folder \"%1\" cannot be created in %2.").arg(name, m_root));
    marker.close();
    changed();
    return key;
}

QString MaildirStore::ensureTopLevelFolder(const QString &name) {
    for (const QString &existing : topLevelFolders()) {
        if (existing.compare(name, Qt::CaseInsensitive) == 0 && folderExists(existing))
            return existing;
    }
    return createFolder(QString(), name);
}

std::vector<StoredEntry> MaildirStore::list(const QString &key, bool vcards) const {
    std::vector<StoredEntry> entries;
    const QString dir = folderDirectory(key);
    for (const QString &sub : {kNew, kCur}) {
        for (const QString &file : filesIn(dir + QLatin1Char('/') + sub)) {
            if (isVCardName(file) == vcards)
                entries.push_back({MaildirFileName(file).unique(), sub, file});
        }
    }
    if (vcards) {
        for (const QString &file : filesIn(dir)) {
            if (isVCardName(file))
                entries.push_back({file, QString(), file});
        }
    }
    std::vector<std::pair<qint64, StoredEntry>> keyed;
    keyed.reserve(entries.size());
    for (StoredEntry &entry : entries)
        keyed.emplace_back(MaildirFileName::deliveryTime(entry.unique), std::move(entry));
    std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first < b.first : a.second.unique < b.second.unique;
    });
    entries.clear();
    for (auto &[time, entry] : keyed)
        entries.push_back(std::move(entry));
    return entries;
}

bool MaildirStore::isContactsFolder(const QString &key) const {
    return list(key, false).empty() && !list(key, true).empty();
}

QString MaildirStore::locate(const QString &key, StoredEntry &entry) const {
    const QString dir = folderDirectory(key);
    const QString known = entry.subdir.isEmpty() ? dir + QLatin1Char('/') + entry.fileName
                                                 : dir + QLatin1Char('/') + entry.subdir + '/' + entry.fileName;
    if (QFileInfo(known).isFile())
        return known;
    if (!entry.subdir.isEmpty()) {
        for (const QString &sub : {kCur, kNew}) {
            for (const QString &file : filesIn(dir + QLatin1Char('/') + sub)) {
                if (MaildirFileName(file).unique() == entry.unique) {
                    entry.subdir = sub;
                    entry.fileName = file;
                    return dir + QLatin1Char('/') + sub + '/' + file;
                }
            }
        }
    }
    throw CorvaneError(QStringLiteral("The message %1 is no longer in the folder.").arg(entry.unique));
}

void MaildirStore::setSeen(const QString &key, StoredEntry &entry, bool seen) {
    const QString from = locate(key, entry);
    if (entry.subdir.isEmpty())
        throw CorvaneError(QStringLiteral("%1 is not a message.").arg(entry.fileName));
    const MaildirFileName name(entry.fileName);
    if (entry.subdir == kNew && !seen)
        return;
    const QString newName = name.withFlag(QLatin1Char('S'), seen);
    if (entry.subdir == kCur && newName == entry.fileName)
        return;
    const QString to = folderDirectory(key) + QLatin1Char('/') + kCur + '/' + newName;
    if (!QFile::rename(from, to))
        throw CorvaneError(QStringLiteral("The message %1 cannot be marked as %2.")
                               .arg(entry.unique, seen ? QStringLiteral("read") : QStringLiteral("unread")));
    entry.subdir = kCur;
    entry.fileName = newName;
    changed();
}

void MaildirStore::moveTo(const QString &key, StoredEntry &entry, const QString &targetKey) {
    const QString from = locate(key, entry);
    const QString targetDir = folderDirectory(targetKey) + QLatin1Char('/') + entry.subdir;
    if (!QDir().mkpath(targetDir))
        throw CorvaneError(QStringLiteral("The folder %1 cannot be written.").arg(targetDir));
    const QString to = targetDir + QLatin1Char('/') + entry.fileName;
    if (QFileInfo::exists(to))
        throw CorvaneError(QStringLiteral("The message %1 is already in the target folder.").arg(entry.unique));
    if (!QFile::rename(from, to))
        throw CorvaneError(QStringLiteral("The message %1 cannot be moved.").arg(entry.unique));
    changed();
}

void MaildirStore::remove(const QString &key, StoredEntry &entry) {
    const QString path = locate(key, entry);
    if (!QFile::remove(path))
        throw CorvaneError(QStringLiteral("The message %1 cannot be deleted.").arg(entry.unique));
    changed();
}

QStringList MaildirStore::allFolderKeys() const {
    QStringList keys{QString()};
    const QStringList dirs = QDir(m_root).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &dir : dirs) {
        if (dir.startsWith(QLatin1Char('.')) && dir.size() > 1)
            keys.append(dir.mid(1));
    }
    return keys;
}

} // namespace corvane

namespace corvane {

QString MaildirStore::displayName() const {
    return QFileInfo(m_root).fileName();
}

int MaildirStore::unreadCount(const QString &key) const {
    int unread = 0;
    for (const StoredEntry &entry : list(key, false)) {
        if (entry.subdir == kNew || !MaildirFileName(entry.fileName).hasFlag(QLatin1Char('S')))
            ++unread;
    }
    return unread;
}

bool MaildirStore::isUnread(const QString &key, StoredEntry &entry) const {
    locate(key, entry);
    return entry.subdir == kNew || !MaildirFileName(entry.fileName).hasFlag(QLatin1Char('S'));
}

QByteArray MaildirStore::read(const QString &key, StoredEntry &entry, qint64 maxBytes) const {
    QString path = locate(key, entry);
    const QFileInfo info(path);
    if (info.isSymLink()) {
        // A link is followed only to a file inside the store itself.
        const QString target = info.canonicalFilePath();
        if (target.isEmpty() || !target.startsWith(m_storeId + QLatin1Char('/')))
            throw CorvaneError(QStringLiteral("The item %1 is not a file of the mail store.").arg(entry.unique));
        path = target;
    }
    // No link is followed at open, and a FIFO does not block the open; only a regular file is read.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw CorvaneError(QStringLiteral("The item %1 cannot be opened: %2")
                               .arg(entry.unique, QString::fromLocal8Bit(strerror(errno))));
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw CorvaneError(QStringLiteral("The item %1 cannot be opened: %2").arg(entry.unique, file.errorString()));
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        throw CorvaneError(QStringLiteral("The item %1 is not a file of the mail store.").arg(entry.unique));
    if (status.st_size > maxBytes)
        throw CorvaneError(
            QStringLiteral("The item %1 is too large to be read (%2 bytes).").arg(entry.unique).arg(status.st_size));
    // One byte more than the size shows a file that grew meanwhile; never more than the limit is read.
    const QByteArray raw = file.read(std::min<qint64>(status.st_size, maxBytes) + 1);
    if (raw.size() != status.st_size)
        throw CorvaneError(QStringLiteral("The item %1 cannot be read completely.").arg(entry.unique));
    return raw;
}

namespace {

// The host part of a new unique name, with "/" and ":" written as Maildir asks ("\\057", "\\072").
QString uniqueHostPart() {
    QString host = QSysInfo::machineHostName();
    if (host.isEmpty())
        host = QStringLiteral("localhost");
    host.replace(QLatin1Char('/'), QLatin1String("\\057"));
    host.replace(QLatin1Char(':'), QLatin1String("\\072"));
    return host;
}

} // namespace

StoredEntry MaildirStore::deliver(const QString &key, const QByteArray &raw, const QString &flags) {
    const QString dir = folderDirectory(key);
    for (const QString &sub : {QStringLiteral("tmp"), kNew, kCur}) {
        if (!QDir().mkpath(dir + QLatin1Char('/') + sub))
            throw CorvaneError(QStringLiteral("The folder %1 cannot be written.").arg(dir));
    }
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    // Within one second the names sort as the deliveries came: the microseconds and the count are zero-padded.
    const QString unique = QStringLiteral("%1.M%2P%3Q%4.%5")
                               .arg(nowMs / 1000)
                               .arg((nowMs % 1000) * 1000, 6, 10, QLatin1Char('0'))
                               .arg(QCoreApplication::applicationPid())
                               .arg(++m_deliveries, 6, 10, QLatin1Char('0'))
                               .arg(uniqueHostPart());
    StoredEntry entry;
    entry.unique = unique;
    entry.subdir = flags.isEmpty() ? kNew : kCur;
    entry.fileName = unique;
    if (!flags.isEmpty()) {
        for (const QChar flag : flags)
            entry.fileName = MaildirFileName(entry.fileName).withFlag(flag, true);
    }
    const QString tmpPath = dir + QStringLiteral("/tmp/") + unique;
    QFile file(tmpPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw CorvaneError(QStringLiteral("The message cannot be stored in %1: %2").arg(dir, file.errorString()));
    const bool written = file.write(raw) == raw.size() && file.flush() && ::fsync(file.handle()) == 0;
    file.close();
    const QString finalPath = dir + QLatin1Char('/') + entry.subdir + QLatin1Char('/') + entry.fileName;
    if (!written || !QFile::rename(tmpPath, finalPath)) {
        QFile::remove(tmpPath);
        throw CorvaneError(QStringLiteral("The message cannot be stored in %1.").arg(dir));
    }
    changed();
    return entry;
}

} // namespace corvane

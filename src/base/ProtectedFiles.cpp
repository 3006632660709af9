// The registry of the files that must not be written over.
#include "base/ProtectedFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace corvane {

namespace {

struct Registry {
    QMutex mutex;
    QHash<const void *, QStringList> files;
};

Registry &registry() {
    static Registry instance;
    return instance;
}

// The directory of `path` with links resolved, and the file name in it (the link's target when `path` is a
// link to an existing file). An empty directory when it does not exist.
std::pair<QString, QString> resolved(const QString &path) {
    const QFileInfo info(path);
    if (info.exists()) {
        const QFileInfo target(info.canonicalFilePath());
        return {target.absolutePath(), target.fileName()};
    }
    return {QFileInfo(info.absolutePath()).canonicalFilePath(), info.fileName()};
}

} // namespace

QStringList ProtectedFiles::journalSuffixes() {
    return {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};
}

void ProtectedFiles::protect(const void *owner, const QStringList &files) {
    Registry &r = registry();
    const QMutexLocker lock(&r.mutex);
    r.files.insert(owner, files);
}

void ProtectedFiles::release(const void *owner) {
    Registry &r = registry();
    const QMutexLocker lock(&r.mutex);
    r.files.remove(owner);
}

bool ProtectedFiles::isProtected(const QString &path) {
    if (path.isEmpty()) {
        return false;
    }
    const auto [dir, name] = resolved(path);
    if (dir.isEmpty()) {
        return false;
    }
    Registry &r = registry();
    const QMutexLocker lock(&r.mutex);
    for (const QStringList &files : std::as_const(r.files)) {
        for (const QString &file : files) {
            const auto [fileDir, fileName] = resolved(file);
            if (fileDir != dir) {
                continue;
            }
            for (const QString &suffix : journalSuffixes()) {
                if (name.compare(fileName + suffix, Qt::CaseInsensitive) == 0) {
                    return true;
                }
            }
        }
    }
    return false;
}

QString ProtectedFiles::refusal(const QString &path) {
    return QStringLiteral("Unable to write to the file, ") + path + QStringLiteral(": it belongs to the open database");
}

} // namespace corvane

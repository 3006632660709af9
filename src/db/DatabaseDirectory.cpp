// Resolving database directories and finding table files in them.
#include "db/DatabaseDirectory.h"

#include "base/AppPaths.h"

#include <QDir>
#include <QFileInfo>

namespace corvane {

namespace {
bool isBlankOrControl(QChar c) {
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}

bool endsInSeparator(const QString &text) {
    return text.endsWith(QLatin1Char('\\')) || text.endsWith(QLatin1Char('/'));
}

// The directory part of a directory text: without its trailing separator ("/" stays the root).
QString directoryOf(const QString &dir) {
    QString result = dir;
    if (endsInSeparator(result) && result.size() > 1) {
        result.chop(1);
    }
    if (result == QLatin1String("\\")) {
        result = QStringLiteral("/");
    }
    return result.isEmpty() ? QStringLiteral(".") : result;
}
} // namespace

QString DatabaseDirectory::resolve(const QString &path) {
    qsizetype start = 0;
    qsizetype end = path.size();
    while (start < end && isBlankOrControl(path.at(start))) {
        ++start;
    }
    while (end > start && isBlankOrControl(path.at(end - 1))) {
        --end;
    }
    QString dir = path.mid(start, end - start);
    if (!dir.isEmpty() && !endsInSeparator(dir)) {
        dir += QLatin1Char('/');
    }
    if (dir.isEmpty() || dir == QLatin1String("%/") || dir == QLatin1String("%\\") || dir == QLatin1String("\\") ||
        dir == QLatin1String("%")) {
        return AppPaths::applicationDirectory();
    }
    return dir;
}

QString DatabaseDirectory::filePath(const QString &dir, const QString &name) {
    const QDir directory(directoryOf(dir));
    const QStringList present = directory.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : present) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return directory.filePath(entry);
        }
    }
    return directory.filePath(name);
}

bool DatabaseDirectory::holdsFile(const QString &dir, const QString &name) {
    return QFileInfo(filePath(dir, name)).isFile();
}

} // namespace corvane

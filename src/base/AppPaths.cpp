// Application directory resolution and the settings store location.
#include "base/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace corvane {

namespace {
QString &overrideDir() {
    static QString dir;
    return dir;
}

bool isWritableDirectory(const QString &dir) {
    const QFileInfo info(dir);
    return info.isDir() && info.isWritable();
}
} // namespace

QString AppPaths::fixpath(const QString &text, bool addSeparator) {
    QString result = text.trimmed();
    if (result.isEmpty()) {
        return result;
    }
    if (result.endsWith(QLatin1Char('\\')) || result.endsWith(QLatin1Char('/'))) {
        if (!addSeparator) {
            result.chop(1);
        }
        return result;
    }
    if (addSeparator) {
        result += QLatin1Char('/');
    }
    return result;
}

QString AppPaths::applicationDirectory() {
    QString dir = overrideDir();
    if (dir.isEmpty()) {
        dir = qEnvironmentVariable("CORVANE_HOME");
    }
    if (dir.isEmpty() && QCoreApplication::instance() != nullptr) {
        dir = QCoreApplication::applicationDirPath();
        if (!isWritableDirectory(dir)) {
            dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        }
    }
    if (dir.isEmpty()) {
        dir = QDir::currentPath();
    }
    dir = QDir::cleanPath(QDir(dir).absolutePath());
    QDir().mkpath(dir);
    return fixpath(dir, true);
}

void AppPaths::setApplicationDirectory(const QString &dir) {
    overrideDir() = dir.trimmed();
}

std::unique_ptr<QSettings> AppPaths::openSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tavrix"),
                                       QStringLiteral("Corvane"));
}

QString AppPaths::settingsFilePath() {
    return openSettings()->fileName();
}

} // namespace corvane

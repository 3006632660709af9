// The back-up file's name rules and the back-up run.
#include "listio/BackUpFile.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "listio/ListExport.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace corvane {

QString BackUpFile::backUpFileName(const Settings &settings, const QString &applicationDirectory) {
    QString name = settings.BackUpFilename.trimmed();
    bool usable = !name.isEmpty();
    if (usable) {
        // Only the directory's own entry is looked at, so an absent drive or share is not waited for.
        const int slash =
            static_cast<int>(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))));
        const QString directory = slash < 0 ? QString() : name.left(slash + 1);
        usable = !directory.isEmpty() && QFileInfo(directory).isDir();
    }
    if (!usable) {
        name = QDir(applicationDirectory).filePath(QStringLiteral("backup.csv"));
    }
    return settings.newbackupfilename ? uniqueName(name) : name;
}

QString BackUpFile::uniqueName(const QString &name) {
    if (!QFileInfo::exists(name)) {
        return name;
    }
    const int slash =
        static_cast<int>(std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\'))));
    const int dot = static_cast<int>(name.lastIndexOf(QLatin1Char('.')));
    const bool hasExtension = dot > slash;
    const QString stem = hasExtension ? name.left(dot) : name;
    const QString extension = hasExtension ? name.mid(dot) : QString();
    QString candidate;
    for (qint64 number = 2; number <= kLastNumber; ++number) {
        candidate = stem + QLatin1Char(' ') + QString::number(number) + extension;
        if (!QFileInfo::exists(candidate)) {
            break;
        }
    }
    return candidate;
}

QString BackUpFile::savedMessage(const QString &name) {
    return QStringLiteral("Your backup file has been saved as ") + name +
           QStringLiteral(".  You can view it with Excel or Notepad");
}

bool BackUpFile::SaveBackUpFile(UserPrompt &prompt, SqliteTable &table, const Settings &settings,
                                const QString &applicationDirectory, bool showMessage, QString *savedName) {
    const QString name = backUpFileName(settings, applicationDirectory);
    if (savedName != nullptr) {
        *savedName = name;
    }
    ListExport run(prompt, table);
    const bool result = run.exportlist(name, QString(), ExportFields{}, true, QStringLiteral(","));
    if (result && showMessage) {
        prompt.message(UserPrompt::Kind::Information, savedMessage(name), UserPrompt::Ok);
    }
    return result;
}

QString BackUpFile::writeBackUp(UserPrompt &prompt, SqliteTable &table, const Settings &settings,
                                const QString &applicationDirectory) {
    QString name;
    if (!SaveBackUpFile(prompt, table, settings, applicationDirectory, false, &name)) {
        throw CorvaneError(QStringLiteral("The back-up file could not be written: ") + name);
    }
    return name;
}

} // namespace corvane

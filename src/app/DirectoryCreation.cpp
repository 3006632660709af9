// Offering to create a missing directory.
#include "app/DirectoryCreation.h"

#include <QDir>
#include <QFileInfo>

namespace corvane {

bool DirectoryCreation::ensureDirectory(UserPrompt &prompt, const QString &path) {
    if (QFileInfo(path).isDir()) {
        return true;
    }
    if (path.length() <= 3) {
        return false;
    }
    const auto answer = prompt.message(UserPrompt::Kind::Information,
                                       QStringLiteral("The folder, ") + path +
                                           QStringLiteral(" does not exist.  Would you like to create it?"),
                                       UserPrompt::Ok | UserPrompt::Cancel);
    if (answer != UserPrompt::Ok) {
        return false;
    }
    if (!QDir().mkpath(path) || !QFileInfo(path).isDir()) {
        prompt.message(UserPrompt::Kind::Warning,
                       QStringLiteral("An error was encountered while creating the folder, ") + path, UserPrompt::Ok);
        return false;
    }
    return true;
}

} // namespace corvane

// The database directory: how a typed directory text becomes the directory opened, and where the table
// files of a directory are. Either "\" or "/" ends a directory text; the separator Corvane appends is "/".
#pragma once

#include <QString>

namespace corvane {

class DatabaseDirectory {
public:
    static QString listFileName() { return QStringLiteral("mailist.DAT"); }
    static QString statsFileName() { return QStringLiteral("mailstat.DAT"); }

    // Trims blanks and control characters from both ends and appends "/" unless the text is empty or
    // already ends in "\" or "/". The texts "%", "" (and so "%/", "%\" and "\") stand for the application
    // directory, which is returned instead. "/" alone is the root directory.
    static QString resolve(const QString &path);

    // The path of the file `name` in `dir`, using the name of an existing file that differs only in letter
    // case ("mailist.dat" for "mailist.DAT") when there is one.
    static QString filePath(const QString &dir, const QString &name);
    // True when `dir` holds a file called `name`, letter case ignored.
    static bool holdsFile(const QString &dir, const QString &name);
};

} // namespace corvane

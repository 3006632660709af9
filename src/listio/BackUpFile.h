// The back-up file: its name (the setting BackUpFilename, or "backup.csv" in the application directory,
// numbered "name 2.ext", "name 3.ext", ... when newbackupfilename asks for a new file each time) and the run
// that writes every field of every entry to it, comma-separated.
#pragma once

#include <QString>

namespace corvane {

class UserPrompt;
class SqliteTable;
class Settings;

class BackUpFile {
public:
    // The numbering gives up here and takes this candidate, existing or not.
    static constexpr qint64 kLastNumber = 20000000;

    // The file to write: `BackUpFilename` when it is set and its directory exists (a name without a
    // directory does not count as one), else "backup.csv" in `applicationDirectory`; with `newbackupfilename`
    // made unique by uniqueName(). Never raises.
    static QString backUpFileName(const Settings &settings, const QString &applicationDirectory);
    // `name` when no such file exists; else the first of "dir/base 2.ext", "dir/base 3.ext", ... that does
    // not exist (".ext" being the last extension, or nothing), up to kLastNumber.
    static QString uniqueName(const QString &name);

    // SaveBackUpFile: writes the back-up (all six fields, ","), then, when it succeeded and `showMessage`,
    // tells "Your backup file has been saved as " + name + ".  You can view it with Excel or Notepad".
    // Returns the run's result (see ListExport::exportlist for the failures and their messages); `savedName`
    // receives the name used.
    static bool SaveBackUpFile(UserPrompt &prompt, SqliteTable &table, const Settings &settings,
                               const QString &applicationDirectory, bool showMessage, QString *savedName = nullptr);

    // For the back-up on exit: SaveBackUpFile without the message, raising CorvaneError when it fails.
    // Returns the name written.
    static QString writeBackUp(UserPrompt &prompt, SqliteTable &table, const Settings &settings,
                               const QString &applicationDirectory);

    static QString savedMessage(const QString &name);
};

} // namespace corvane

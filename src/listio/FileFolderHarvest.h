// Gathering addresses from the text files of one folder on disk (the work behind "Scan File Folders for
// Addresses..."): the files directly in the folder whose extension matches the chosen file type, each read as
// its displayed text (Rich Text Format converted, anything else as plain text) and searched for addresses.
// Files are strangers' text: each is read up to a size limit, only regular files are opened (never a pipe or a
// device, which could block), and a symbolic link is followed only to a file inside the chosen folder.
#pragma once

#include <QStringList>

namespace corvane {

class Settings;
class UserPrompt;

class FileFolderHarvest {
public:
    // Files larger than this are not read; they count as files that could not be processed.
    static constexpr qint64 kMaxFileBytes = 32LL * 1024 * 1024;

    enum class Outcome {
        // Every file was read (or skipped after a Yes); `lines` holds the unique addresses, possibly none.
        Completed,
        // The folder is missing or holds no file of the type; the person was told.
        NoFiles,
        // Cancel in the progress window, or No to the per-file question; nothing is handed on.
        Stopped,
    };

    struct Result {
        Outcome outcome = Outcome::Completed;
        QStringList lines;
        int files = 0;
        int failedFiles = 0;
    };

    // The two file types of the step-1 dialog, as shown and as masks.
    static QStringList fileTypes() { return {QStringLiteral("Text Files (*.txt)"), QStringLiteral("All files (*.*)")}; }
    static QString maskOf(int fileType) { return fileType == 1 ? QStringLiteral("*.*") : QStringLiteral("*.txt"); }

    // `settings` gives the address exceptions of the extraction. Both must outlive the harvest.
    FileFolderHarvest(const Settings &settings, UserPrompt &prompt);

    // Whether `fileName` matches `mask` (patterns separated by ";"): "*.*" (or "*.*;") matches every name;
    // otherwise the name's extension (from its last "."; ".aaa" when it has none), upper-cased and followed by
    // ";", must occur in the upper-cased mask followed by ";".
    static bool extensionMatches(const QString &fileName, const QString &mask);

    // The full paths of the matching regular files directly in `folder`, in the order the file system gives
    // them. `exists` (when given) tells whether the folder could be opened.
    static QStringList fileList(const QString &folder, const QString &mask, bool *exists = nullptr);

    // The lines of the file's displayed text. Raises CorvaneError when it cannot be opened or read, is larger
    // than kMaxFileBytes, is no regular file, or is a malformed Rich Text Format file.
    static QStringList readText(const QString &path);

    // Reads every matching file of `folder` with the progress "Processing Files" and Cancel, asking after a
    // file that cannot be processed whether to go on. Tells the person when the folder is missing, holds no
    // matching file, or no address was found. Never raises.
    Result scan(const QString &folder, const QString &mask);

private:
    const Settings &m_settings;
    UserPrompt &m_prompt;
};

} // namespace corvane

// Reading and writing Corvane's auxiliary text files. Written in UTF-8 with CR LF line ends, whole or not at
// all (AtomicFile). Read accepting CR LF or LF; each line is taken as UTF-8 when it is valid UTF-8 and as
// Windows-1252 otherwise (files written by older programs in the system code page), so no byte is lost to a
// replacement character. Files that several copies of Corvane change are rewritten under a lock (update()).
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>

namespace corvane {

class TextFile {
public:
    // How long update() waits for another copy's lock before it gives up.
    static constexpr int kLockTimeoutMs = 10000;

    // The lines of the file, without their line ends; a line end after the last line adds no empty line.
    // Raises CorvaneError when the file cannot be opened or read, or is no regular file (a device, a pipe).
    static QStringList readLines(const QString &path);
    // The lines of `bytes`, decoded as readLines() does.
    static QStringList decodeLines(const QByteArray &bytes);
    // `bytes` as Windows-1252 text; the five bytes it leaves undefined keep their ISO-8859-1 meaning.
    static QString decodeWindows1252(QByteArrayView bytes);

    // Replaces the file with `lines`, each followed by CR LF. The old contents stay intact until the new
    // file is complete. Raises CorvaneError when it cannot be written.
    static void writeLines(const QString &path, const QStringList &lines);

    // Changes a file that other copies of Corvane may change at the same time. Holding the lock file
    // "<path>.lock" (a lock left by a killed process is taken over), reads the lines now in the file
    // (`whenMissing` when there is none), hands them to `change`, and writes what it returns when that differs
    // from the file or the file is missing. Returns the lines the file holds afterwards. Raises CorvaneError
    // when the lock cannot be had within kLockTimeoutMs or the file cannot be read or written; the file is
    // then unchanged.
    static QStringList update(const QString &path, const QStringList &whenMissing,
                              const std::function<QStringList(const QStringList &onDisk)> &change);

    // Appends one line and CR LF, creating the file when missing. Raises CorvaneError on failure.
    static void appendLine(const QString &path, const QString &line);
};

} // namespace corvane

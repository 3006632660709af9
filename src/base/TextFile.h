// Reading and writing Corvane's auxiliary text files: UTF-8, CR LF line ends on writing, CR LF or LF
// accepted on reading.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class TextFile {
public:
    // The lines of the file, without their line ends; a line end after the last line adds no empty line.
    // Raises CorvaneError when the file cannot be opened or read.
    static QStringList readLines(const QString &path);

    // Replaces the file with `lines`, each followed by CR LF. The old contents stay intact until the new
    // file is complete. Raises CorvaneError when it cannot be written.
    static void writeLines(const QString &path, const QStringList &lines);

    // Appends one line and CR LF, creating the file when missing. Raises CorvaneError on failure.
    static void appendLine(const QString &path, const QString &line);
};

} // namespace corvane

// The lines of an import: a file read as a stream (never held whole, so a file of a million lines costs
// little memory) or lines already in memory (typed or pasted text). A file is taken as UTF-8 when all of it
// is valid UTF-8, with or without a byte-order mark, and as Windows-1252 otherwise; CR LF, LF and a lone CR
// each end a line, and a line end after the last line adds no empty line.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <memory>

namespace corvane {

class ImportLines {
public:
    // Lines held in memory.
    explicit ImportLines(const QStringList &lines);
    // Opens `path` and reads it once to count its lines and choose its encoding. Raises CorvaneError when
    // the file cannot be opened or read, or is no regular file.
    static ImportLines fromFile(const QString &path);
    // At most `count` lines from the start of `path`, each decoded on its own (for examples). Raises
    // CorvaneError as fromFile() does.
    static QStringList firstLines(const QString &path, int count);

    ImportLines(ImportLines &&) noexcept;
    ImportLines &operator=(ImportLines &&) noexcept;
    ~ImportLines();

    // The number of lines, empty lines included.
    qint64 count() const { return m_count; }
    // Whether a file was taken as UTF-8 (always true for lines in memory).
    bool utf8() const { return m_utf8; }
    // The next line into `line`; false after the last one. Raises CorvaneError when the file cannot be read.
    bool next(QString &line);
    // Starts again at the first line. Raises CorvaneError when the file cannot be read again.
    void rewind();

private:
    ImportLines() = default;
    // The next raw line of the file; false at its end.
    bool nextRaw(QByteArray &line);
    void startFile();

    QStringList m_lines;
    qint64 m_position = 0;
    qint64 m_count = 0;
    bool m_utf8 = true;
    std::unique_ptr<QFile> m_file;
    QByteArray m_buffer;
    qsizetype m_offset = 0;
    bool m_skipLineFeed = false;
    bool m_atEnd = false;
};

} // namespace corvane

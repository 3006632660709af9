// The output file of the delimited list export and the back-up: created or truncated on opening, written
// through one reusable buffer that lines are encoded into (UTF-8) and handed to the system only when the
// caller flushes, so a million lines cost no allocation per line. Bytes that could not be written stay
// buffered, so a flush that failed can be tried again without losing or repeating lines.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringView>

namespace corvane {

class ListExportFile {
public:
    // Creates or truncates `path`. False when it cannot be opened for writing.
    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }

    // Appends `text` in UTF-8 (a lone surrogate becomes U+FFFD), folded to one line (LineText::oneLine), or
    // raw bytes to the buffer.
    void append(QStringView text);
    void append(const QByteArray &bytes) { m_buffer.append(bytes); }
    // Drops the last `count` buffered bytes (at most what is buffered).
    void dropLast(qsizetype count);
    qsizetype buffered() const { return m_buffer.size(); }

    // Hands the buffered bytes to the system. Raises CorvaneError "Unable to write to the file, " + name
    // when they cannot all be written; what was not written stays buffered.
    void flush();
    // Closes without flushing (flush first to keep the buffer). Never raises.
    void close() noexcept;

    // Appends `text` to `out` in UTF-8.
    static void appendUtf8(QByteArray &out, QStringView text);

private:
    QFile m_file;
    QByteArray m_buffer;
};

} // namespace corvane

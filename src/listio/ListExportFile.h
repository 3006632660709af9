// The output file of the delimited list export and the back-up, written whole or not at all (AtomicFile): the
// lines go to a temporary file beside the target, which replaces the old file only on commit(); closing without
// a commit leaves the old file as it was. Lines are encoded (UTF-8) into one reusable buffer that is handed to
// the system only when the caller flushes, so a million lines cost no allocation per line. Bytes that could not
// be written stay buffered, so a flush that failed can be tried again without losing or repeating lines.
#pragma once

#include "base/AtomicFile.h"

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <memory>

namespace corvane {

class ListExportFile {
public:
    // Starts writing `path`. False when it cannot be opened for writing or is a file of the open database
    // (refusedAsProtected() tells which).
    bool open(const QString &path);
    bool isOpen() const { return m_file && m_file->isOpen(); }
    bool refusedAsProtected() const { return m_protected; }
    QString fileName() const { return m_path; }

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
    // Flushes and puts the complete file in place of the old one. Raises CorvaneError "Unable to write to the
    // file, " + name when that fails; the old file is then unchanged.
    void commit();
    // Closes without flushing and, unless committed, throws the new file away. Never raises.
    void close() noexcept;

    // Appends `text` to `out` in UTF-8.
    static void appendUtf8(QByteArray &out, QStringView text);

private:
    std::unique_ptr<AtomicFile> m_file;
    QString m_path;
    bool m_protected = false;
    QByteArray m_buffer;
};

} // namespace corvane

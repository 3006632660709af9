// One output file written whole or not at all. A new or regular file is written beside its final name (QSaveFile:
// a temporary file in the same directory, flushed and renamed over the old one by commit()), so a failure, a
// cancel or a killed process leaves the earlier file as it was. On Linux the temporary file has no name until
// commit(), so a killed process leaves nothing behind; where the file system cannot do that, QSaveFile names it
// "<name>.XXXXXX" and removeStaleTemporaries() clears what a killed run left in Corvane's own directory. A target
// that exists but is no regular file (a device, a pipe) cannot be replaced and is written directly. The files of
// the open database (ProtectedFiles) are never opened.
#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <memory>

namespace corvane {

class AtomicFile {
public:
    // A temporary file left by a killed run is removed once it is this old, so that a write still in progress in
    // another copy of Corvane is not disturbed.
    static constexpr qint64 kStaleSeconds = 3600;

    explicit AtomicFile(const QString &path);
    // Discards what was written unless commit() succeeded.
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Opens for writing. False, with errorString(), when the path is a protected database file, a directory, or
    // cannot be created.
    bool open();
    bool isOpen() const;
    QString fileName() const { return m_path; }
    QString errorString() const;
    // The device to write to (open first).
    QFileDevice &device();

    // Writes every byte. False on failure.
    bool write(const QByteArray &bytes);
    // Puts the complete file in place of the old one. False, the old file untouched, when anything written
    // before failed or the rename fails.
    bool commit();
    // Throws away what was written; the old file stays.
    void cancel() noexcept;

    // Removes from `dir` the named temporary files a killed run left ("<name>.txt.XXXXXX" and
    // "<name>.csv.XXXXXX", older than kStaleSeconds). Returns how many were removed. Never raises.
    static int removeStaleTemporaries(const QString &dir);

private:
    QString m_path;
    std::unique_ptr<QSaveFile> m_save;
    std::unique_ptr<QFile> m_direct;
    QString m_error;
    bool m_committed = false;
};

} // namespace corvane

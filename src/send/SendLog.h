// The send log of one job: its lines in order, kept in memory, and, while the job runs with the SendLog
// setting on, the file "SendLog.txt" in the application directory. A job start replaces the old file at
// once by an empty one (written whole, QSaveFile); from then on every line is appended (CR LF ended) and
// the file is flushed at every message's result line and at the end, so that a job that is cut short leaves
// on disk the lines of every message already handed over, and a complete job leaves exactly its lines.
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>

namespace corvane {

class SendLog {
public:
    static inline const QString kFileName = QStringLiteral("SendLog.txt");

    SendLog();
    ~SendLog();

    // Clears the lines; with `toFile`, replaces `path` by an empty file and keeps it open for appending.
    // A file that cannot be written is noted (failed()) and the job goes on with the lines in memory.
    void start(bool toFile, const QString &path);
    // Appends a line (in memory, and to the file while one is open).
    void add(const QString &line);
    // Writes what is buffered to disk (at each message's result line).
    void flush();
    // Flushes and closes the file; the lines stay.
    void finish();

    const QStringList &lines() const { return m_lines; }
    // True when the file could not be created or a write to it failed; errorString() says why.
    bool failed() const { return m_failed; }
    QString errorString() const { return m_error; }
    // The path of the file being written, or written last.
    QString path() const { return m_path; }
    bool writing() const { return m_file != nullptr; }

private:
    void fail(const QString &why);

    QStringList m_lines;
    std::unique_ptr<QFile> m_file;
    QByteArray m_buffer;
    QString m_path;
    QString m_error;
    bool m_failed = false;
};

} // namespace corvane

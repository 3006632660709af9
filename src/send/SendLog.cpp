// The send log in memory and on disk.
#include "send/SendLog.h"

#include <QSaveFile>

namespace corvane {

namespace {

// Lines are written out in pieces of about this size between the flushes at each message.
constexpr qsizetype kBufferLimit = 64 * 1024;

} // namespace

SendLog::SendLog() = default;

SendLog::~SendLog() {
    finish();
}

void SendLog::fail(const QString &why) {
    if (!m_failed) {
        m_failed = true;
        m_error = why;
    }
    m_file.reset();
    m_buffer.clear();
}

void SendLog::start(bool toFile, const QString &path) {
    finish();
    m_lines.clear();
    m_failed = false;
    m_error.clear();
    m_path = path;
    if (!toFile) {
        return;
    }
    // The old log is replaced at once by an empty file, written whole, so that the file never mixes two jobs;
    // QSaveFile cannot append, so the lines that follow go through an appending QFile.
    QSaveFile fresh(path);
    if (!fresh.open(QIODevice::WriteOnly) || !fresh.commit()) {
        fail(fresh.errorString());
        return;
    }
    m_file = std::make_unique<QFile>(path);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        fail(m_file->errorString());
    }
}

void SendLog::add(const QString &line) {
    m_lines.append(line);
    if (!m_file) {
        return;
    }
    m_buffer += line.toUtf8();
    m_buffer += "\r\n";
    if (m_buffer.size() >= kBufferLimit) {
        flush();
    }
}

void SendLog::flush() {
    if (!m_file) {
        return;
    }
    if (!m_buffer.isEmpty()) {
        if (m_file->write(m_buffer) != m_buffer.size() || !m_file->flush()) {
            fail(m_file->errorString());
            return;
        }
        m_buffer.clear();
    }
}

void SendLog::finish() {
    flush();
    if (m_file) {
        m_file->close();
        if (m_file->error() != QFileDevice::NoError) {
            fail(m_file->errorString());
        }
        m_file.reset();
    }
}

} // namespace corvane

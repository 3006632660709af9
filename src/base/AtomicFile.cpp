// Whole-or-nothing output files and the clean-up of temporary files left by killed runs.
#include "base/AtomicFile.h"

#include "base/ProtectedFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace corvane {

AtomicFile::AtomicFile(const QString &path) : m_path(path) {}

AtomicFile::~AtomicFile() {
    if (!m_committed) {
        cancel();
    }
}

bool AtomicFile::open() {
    if (ProtectedFiles::isProtected(m_path)) {
        m_error = QStringLiteral("it belongs to the open database");
        return false;
    }
    const QFileInfo info(m_path);
    if (info.isDir()) {
        m_error = QStringLiteral("it is a directory");
        return false;
    }
    // Devices and pipes cannot be replaced by a renamed file; QSaveFile would put a regular file in their place.
    if (info.exists() && !info.isFile()) {
        m_direct = std::make_unique<QFile>(m_path);
        if (!m_direct->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            m_error = m_direct->errorString();
            m_direct.reset();
            return false;
        }
        return true;
    }
    m_save = std::make_unique<QSaveFile>(m_path);
    if (!m_save->open(QIODevice::WriteOnly)) {
        m_error = m_save->errorString();
        m_save.reset();
        return false;
    }
    return true;
}

bool AtomicFile::isOpen() const {
    return m_save != nullptr || m_direct != nullptr;
}

QString AtomicFile::errorString() const {
    if (!m_error.isEmpty()) {
        return m_error;
    }
    if (m_save) {
        return m_save->errorString();
    }
    return m_direct ? m_direct->errorString() : QString();
}

QFileDevice &AtomicFile::device() {
    if (m_save) {
        return *m_save;
    }
    return *m_direct;
}

bool AtomicFile::write(const QByteArray &bytes) {
    if (!isOpen()) {
        return false;
    }
    return device().write(bytes) == bytes.size();
}

bool AtomicFile::commit() {
    if (m_save) {
        m_committed = m_save->commit();
        m_save.reset();
        return m_committed;
    }
    if (m_direct) {
        m_committed = m_direct->flush() && m_direct->error() == QFileDevice::NoError;
        m_direct->close();
        m_direct.reset();
        return m_committed;
    }
    return false;
}

void AtomicFile::cancel() noexcept {
    if (m_save) {
        // A QSaveFile destroyed without commit() removes its temporary file.
        m_save->cancelWriting();
        m_save.reset();
    }
    if (m_direct) {
        m_direct->close();
        m_direct.reset();
    }
}

int AtomicFile::removeStaleTemporaries(const QString &dir) {
    static const QRegularExpression temporary(QStringLiteral("^.+\\.(txt|csv)\\.[A-Za-z0-9]{6}$"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QDateTime limit = QDateTime::currentDateTimeUtc().addSecs(-kStaleSeconds);
    int removed = 0;
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &entry : entries) {
        if (temporary.match(entry.fileName()).hasMatch() && entry.lastModified().toUTC() < limit &&
            QFile::remove(entry.absoluteFilePath())) {
            ++removed;
        }
    }
    return removed;
}

} // namespace corvane

// Streaming line source of imports: line splitting over CR LF, LF and CR, and the whole-file encoding choice.
#include "listio/ImportLines.h"

#include "base/CorvaneError.h"
#include "base/TextFile.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace corvane {

namespace {

constexpr qint64 kChunk = 1 << 16;

std::unique_ptr<QFile> openFile(const QString &path) {
    // A device or pipe put in place of a file would be read without end.
    if (QFileInfo(path).exists() && !QFileInfo(path).isFile()) {
        throw CorvaneError(QStringLiteral("Cannot read %1: it is not a regular file").arg(path));
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        throw CorvaneError(QStringLiteral("Cannot open %1: %2").arg(path, file->errorString()));
    }
    return file;
}

bool isUtf8(const QByteArray &line) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(line);
    Q_UNUSED(text);
    return !utf8.hasError();
}

} // namespace

ImportLines::ImportLines(const QStringList &lines) : m_lines(lines), m_count(lines.size()) {}

ImportLines::ImportLines(ImportLines &&) noexcept = default;
ImportLines &ImportLines::operator=(ImportLines &&) noexcept = default;
ImportLines::~ImportLines() = default;

ImportLines ImportLines::fromFile(const QString &path) {
    ImportLines lines;
    lines.m_file = openFile(path);
    lines.startFile();
    QByteArray raw;
    while (lines.nextRaw(raw)) {
        ++lines.m_count;
        if (lines.m_utf8 && !isUtf8(raw)) {
            lines.m_utf8 = false;
        }
    }
    lines.rewind();
    return lines;
}

QStringList ImportLines::firstLines(const QString &path, int count) {
    ImportLines lines;
    lines.m_file = openFile(path);
    lines.startFile();
    QStringList out;
    QByteArray raw;
    while (out.size() < count && lines.nextRaw(raw)) {
        out.append(isUtf8(raw) ? QString::fromUtf8(raw) : TextFile::decodeWindows1252(raw));
    }
    return out;
}

void ImportLines::startFile() {
    m_buffer.clear();
    m_offset = 0;
    m_skipLineFeed = false;
    m_atEnd = false;
    if (!m_file->seek(0)) {
        throw CorvaneError(QStringLiteral("Cannot read %1: %2").arg(m_file->fileName(), m_file->errorString()));
    }
    // The byte-order mark is no part of the first line.
    const QByteArray start = m_file->peek(3);
    if (start == "\xEF\xBB\xBF") {
        m_file->read(3);
    }
}

void ImportLines::rewind() {
    m_position = 0;
    if (m_file) {
        startFile();
    }
}

bool ImportLines::nextRaw(QByteArray &line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (m_offset >= m_buffer.size()) {
            if (m_atEnd) {
                return any;
            }
            m_buffer = m_file->read(kChunk);
            m_offset = 0;
            if (m_buffer.isEmpty()) {
                if (m_file->error() != QFileDevice::NoError) {
                    throw CorvaneError(
                        QStringLiteral("Cannot read %1: %2").arg(m_file->fileName(), m_file->errorString()));
                }
                m_atEnd = true;
                return any;
            }
        }
        if (m_skipLineFeed) {
            m_skipLineFeed = false;
            if (m_buffer.at(m_offset) == '\n') {
                ++m_offset;
                continue;
            }
        }
        const char *data = m_buffer.constData();
        qsizetype end = m_offset;
        while (end < m_buffer.size() && data[end] != '\n' && data[end] != '\r') {
            ++end;
        }
        line.append(data + m_offset, end - m_offset);
        any = true;
        if (end < m_buffer.size()) {
            m_skipLineFeed = data[end] == '\r';
            m_offset = end + 1;
            return true;
        }
        m_offset = end;
    }
}

bool ImportLines::next(QString &line) {
    if (!m_file) {
        if (m_position >= m_lines.size()) {
            return false;
        }
        line = m_lines.at(m_position++);
        return true;
    }
    QByteArray raw;
    if (!nextRaw(raw)) {
        return false;
    }
    ++m_position;
    line = m_utf8 ? QString::fromUtf8(raw) : TextFile::decodeWindows1252(raw);
    return true;
}

} // namespace corvane

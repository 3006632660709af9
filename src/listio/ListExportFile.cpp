// The buffered output file of the list export.
#include "listio/ListExportFile.h"

#include "base/CorvaneError.h"
#include "base/LineText.h"
#include "base/ProtectedFiles.h"

namespace corvane {

bool ListExportFile::open(const QString &path) {
    close();
    m_buffer.clear();
    m_buffer.reserve(1 << 16);
    m_path = path;
    m_protected = ProtectedFiles::isProtected(path);
    if (m_protected) {
        return false;
    }
    m_file = std::make_unique<AtomicFile>(path);
    if (!m_file->open()) {
        m_file.reset();
        return false;
    }
    return true;
}

void ListExportFile::appendUtf8(QByteArray &out, QStringView text) {
    const qsizetype start = out.size();
    out.resize(start + text.size() * 3);
    char *p = out.data() + start;
    const char16_t *s = text.utf16();
    const char16_t *end = s + text.size();
    while (s < end) {
        char32_t c = *s++;
        if (c < 0x80) {
            *p++ = static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && s < end && *s >= 0xDC00 && *s <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (*s++ - 0xDC00);
            } else {
                c = 0xFFFD;
            }
        }
        if (c < 0x800) {
            *p++ = static_cast<char>(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *p++ = static_cast<char>(0xE0 | (c >> 12));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        } else {
            *p++ = static_cast<char>(0xF0 | (c >> 18));
            *p++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *p++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *p++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    out.resize(p - out.data());
}

void ListExportFile::append(QStringView text) {
    appendUtf8(m_buffer, LineText::isOneLine(text) ? text : QStringView(LineText::oneLine(text)));
}

void ListExportFile::dropLast(qsizetype count) {
    m_buffer.chop(std::min(count, m_buffer.size()));
}

void ListExportFile::flush() {
    if (m_buffer.isEmpty()) {
        return;
    }
    const qint64 written = isOpen() ? m_file->device().write(m_buffer) : -1;
    if (written > 0) {
        m_buffer.remove(0, written);
    }
    if (!m_buffer.isEmpty()) {
        throw CorvaneError(QStringLiteral("Unable to write to the file, ") + m_path);
    }
}

void ListExportFile::commit() {
    flush();
    if (!m_file || !m_file->commit()) {
        m_file.reset();
        throw CorvaneError(QStringLiteral("Unable to write to the file, ") + m_path);
    }
    m_file.reset();
}

void ListExportFile::close() noexcept {
    m_file.reset();
}

} // namespace corvane

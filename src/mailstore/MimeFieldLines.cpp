// Cutting the MIME fields out of a raw header.
#include "mailstore/MimeFieldLines.h"

#include <cstring>

namespace corvane {

namespace {

// Whether the field named by the `length` bytes at `name` can change how the body is found or decoded.
bool isMimeField(const char *name, qsizetype length) {
    static const char *const fields[] = {"content-type", "content-transfer-encoding", "content-disposition",
                                         "mime-version"};
    for (const char *field : fields) {
        if (static_cast<qsizetype>(std::strlen(field)) == length && qstrnicmp(name, field, length) == 0)
            return true;
    }
    return false;
}

} // namespace

std::optional<MimeFieldLines> MimeFieldLines::read(const QByteArray &raw, qsizetype begin, qsizetype end) {
    const char *const data = raw.constData();
    MimeFieldLines fields;
    bool inField = false;
    bool keep = false;
    qsizetype pos = begin;
    while (pos < end) {
        const qsizetype eol = raw.indexOf('\n', pos);
        if (eol < 0 || eol >= end)
            return std::nullopt;
        const qsizetype next = eol + 1;
        qsizetype contentEnd = eol;
        if (contentEnd > pos && data[contentEnd - 1] == '\r')
            --contentEnd;
        if (contentEnd == pos) {
            fields.m_header.append(data + pos, static_cast<size_t>(next - pos));
            fields.m_bodyStart = next;
            return fields;
        }
        if (data[pos] == ' ' || data[pos] == '\t') {
            bool blank = true;
            for (qsizetype i = pos; i < contentEnd && blank; ++i)
                blank = data[i] == ' ' || data[i] == '\t';
            if (!inField || blank)
                return std::nullopt;
        } else {
            qsizetype colon = pos;
            while (colon < contentEnd && data[colon] > 32 && data[colon] < 127 && data[colon] != ':')
                ++colon;
            if (colon == pos || colon == contentEnd || data[colon] != ':')
                return std::nullopt;
            inField = true;
            keep = isMimeField(data + pos, colon - pos);
        }
        if (keep)
            fields.m_header.append(data + pos, static_cast<size_t>(next - pos));
        pos = next;
    }
    return std::nullopt;
}

} // namespace corvane

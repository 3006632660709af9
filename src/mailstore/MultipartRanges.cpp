// Finding the boundary lines of a multipart body.
#include "mailstore/MultipartRanges.h"

namespace corvane {

namespace {

constexpr qsizetype kNone = -1;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The position of the next boundary line's boundary text at or after `position`, setting `lineStart` to where
// the line, with its preceding line end, begins and `lineEnd` to just after the boundary text. kNone when the
// boundary text never occurs again in `raw`; a position at or past `end` when it occurs only past `end`. Like
// vmime, the search runs to the end of the whole message, not only of the body. Every byte looked at is taken
// from `budget`; once it is spent, the search stops (the result is then of no use).
qsizetype nextBoundary(const QByteArray &raw, const QByteArray &boundary, qsizetype position, qsizetype end,
                       qsizetype &lineStart, qsizetype &lineEnd, qint64 &budget) {
    qsizetype pos = position;
    while (pos < end && budget > 0) {
        const qsizetype from = pos;
        pos = raw.indexOf(boundary, pos);
        if (pos < 0) {
            budget -= raw.size() - from;
            return kNone;
        }
        budget -= pos - from + boundary.size();
        if (pos != 0) {
            qsizetype padding = 0;
            while (pos - padding > 0 && isBlank(raw[pos - padding - 1]))
                ++padding;
            budget -= padding;
            const qsizetype dashes = pos - padding - 3;
            if (dashes >= 0 && raw[dashes] == '\n' && raw[dashes + 1] == '-' && raw[dashes + 2] == '-') {
                const qsizetype after = pos + boundary.size();
                const char next = after < raw.size() ? raw[after] : '\0';
                if (next == '\r' || next == '\n' || next == '-') {
                    lineStart = dashes > 0 && raw[dashes - 1] == '\r' ? dashes - 1 : dashes;
                    lineEnd = after;
                    return pos;
                }
            }
        }
        ++pos;
    }
    return budget > 0 ? pos : kNone;
}

} // namespace

std::optional<std::vector<MultipartRanges::Range>> MultipartRanges::of(const QByteArray &raw, qsizetype position,
                                                                       qsizetype end, const QByteArray &boundary,
                                                                       qint64 &budget) {
    std::vector<Range> parts;
    qsizetype partStart = position;
    qsizetype lineStart = 0;
    qsizetype lineEnd = 0;
    bool closed = false;
    qsizetype pos = nextBoundary(raw, boundary, position, end, lineStart, lineEnd, budget);
    for (int index = 0; !closed && pos != kNone && pos < end; ++index) {
        const qsizetype partEnd = lineStart;
        if (lineEnd + 1 < end && raw[lineEnd] == '-' && raw[lineEnd + 1] == '-') {
            closed = true;
            lineEnd += 2;
        }
        while (lineEnd < end && isBlank(raw[lineEnd]))
            ++lineEnd;
        if (lineEnd + 1 < end && raw[lineEnd] == '\r' && raw[lineEnd + 1] == '\n')
            lineEnd += 2;
        else if (lineEnd < end && raw[lineEnd] == '\n')
            ++lineEnd;
        // Two boundaries with not even a line end between them give an empty part.
        if (index > 0)
            parts.push_back(partEnd < partStart ? Range{partEnd, partStart} : Range{partStart, partEnd});
        partStart = lineEnd;
        pos = nextBoundary(raw, boundary, lineEnd, end, lineStart, lineEnd, budget);
    }
    if (budget <= 0)
        return std::nullopt;
    if (!closed && pos == kNone)
        parts.push_back({partStart, end});
    return parts;
}

} // namespace corvane

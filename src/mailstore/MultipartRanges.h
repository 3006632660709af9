// Splits a multipart body into its parts by its boundary, reading the boundary lines exactly as vmime does
// (transport padding, a missing closing boundary, a boundary that only begins another word), so that the parts
// found are the ones vmime would parse.
#pragma once

#include <QByteArray>
#include <vector>

namespace corvane {

class MultipartRanges {
public:
    // One part: its bytes are raw[begin, end).
    struct Range {
        qsizetype begin;
        qsizetype end;
    };

    // The parts of the multipart body raw[position, end) whose boundary is `boundary` (without the leading
    // "--"). The text before the first boundary and after the closing one is no part. When the closing boundary
    // never occurs, the text after the last boundary is the last part. Never fails; a body without any boundary
    // line has one part, all of it.
    static std::vector<Range> of(const QByteArray &raw, qsizetype position, qsizetype end, const QByteArray &boundary);
};

} // namespace corvane

// Splits a multipart body into its parts by its boundary, reading the boundary lines exactly as vmime does
// (transport padding, a missing closing boundary, a boundary that only begins another word), so that the parts
// found are the ones vmime would parse.
#pragma once

#include <QByteArray>
#include <optional>
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
    // "--"). The text before the first boundary line and after the closing one is no part. Without a closing
    // boundary line, the text after the last boundary line is the last part when the boundary text never occurs
    // again in `raw`, and no part when it occurs again only past `end` (inside an enclosing part), as vmime reads
    // it; so a body without any boundary line is one part, all of it, in the first case.
    // Every byte the search looks at is taken from `budget`; none when the budget runs out before the parts are
    // found (a hostile body, for which the caller gives up), so no body costs more than the budget. Never fails.
    static std::optional<std::vector<Range>> of(const QByteArray &raw, qsizetype position, qsizetype end,
                                                const QByteArray &boundary, qint64 &budget);
};

} // namespace corvane

// How much of a message vmime's message parser may be given. vmime's cost grows with the nesting of multiparts
// (each level scans the rest of the message again, and deep nesting overflows its stack), with the number of
// header lines and with the bytes of each header; a stranger's message may push all three to the 64 MB limit.
// So vmime only ever parses a prefix of the message within fixed limits: what lies beyond is ignored.
#pragma once

#include <QtGlobal>
#include <string_view>

namespace corvane {

class VmimeInput {
public:
    struct Limits {
        // Bytes given times the multipart levels they may hold, plus one.
        qint64 work;
        // Line ends given.
        qsizetype lines;
        // Occurrences of "multipart" (any letter case) given: no more levels can be nested.
        int multiparts;
        // Bytes given before the first empty line (the message's header).
        qsizetype headerBytes;
    };

    // For reading the body: about a second at most of vmime's time, even for a hostile message.
    static constexpr Limits kBody{24LL * 1024 * 1024, 128 * 1024, 32, 128 * 1024};
    // For taking the attachments of a message: any real message of the size limit passes whole.
    static constexpr Limits kAttachments{512LL * 1024 * 1024, 4 * 1024 * 1024, 64, 1024 * 1024};

    // The length of the longest prefix of `text` within `limits`: text.size() when it is within them all, else
    // the length before the first line end, "multipart" or header byte past a limit (at least 0). Never fails.
    static qsizetype parseableLength(std::string_view text, const Limits &limits);
};

} // namespace corvane

// The address scanner over lines of text. Each "@" is widened to the nearest delimiter on either side, and the
// piece between is kept when it passes the address validity check. Lines are scanned through views: a line
// without "@" costs one vectorised search, and only an accepted address is copied.
#include "listio/AddressExtraction.h"

#include "requests/AddressRoutines.h"

#include <array>
#include <cstdint>
#include <exception>

namespace corvane {

namespace {

constexpr std::uint8_t kEndsLeft = 1;  // ends an address on its left side
constexpr std::uint8_t kEndsRight = 2; // ends an address on its right side
constexpr qsizetype kMaxAddressLength = 59;

// Delimiters end an address on both sides; a tab ends it only on the left and an underscore only on the
// right. Letters, digits, ".", "-", "+", "$", "~" and "@" never end one, and neither does any character
// beyond U+00FF apart from those listed.
constexpr std::array<std::uint8_t, 256> makeEdgeTable() {
    std::array<std::uint8_t, 256> table{};
    constexpr std::uint8_t both = kEndsLeft | kEndsRight;
    const auto mark = [&table](unsigned first, unsigned last, std::uint8_t flags) {
        for (unsigned c = first; c <= last; ++c) {
            table[c] = flags;
        }
    };
    mark(0x01, 0x01, both);
    mark(0x20, 0x23, both); // space ! " #
    mark(0x25, 0x2A, both); // % & ' ( ) *
    mark(0x2C, 0x2C, both); // ,
    mark(0x2F, 0x2F, both); // /
    mark(0x3A, 0x3F, both); // : ; < = > ?
    mark(0x5B, 0x5E, both); // [ \ ] ^
    mark(0x60, 0x60, both); // `
    mark(0x7B, 0x7D, both); // { | }
    mark(0xB4, 0xB4, both); // acute accent
    mark(0x09, 0x09, kEndsLeft);
    mark(0x5F, 0x5F, kEndsRight);
    return table;
}

constexpr std::array<std::uint8_t, 256> kEdges = makeEdgeTable();

bool endsAddress(QChar c, std::uint8_t side) {
    const char16_t u = c.unicode();
    return u < kEdges.size() && (kEdges[u] & side) != 0;
}

} // namespace

void AddressExtraction::extractemailaddresses(const QStringList &lines, QStringList &result,
                                              const QStringList *exceptions) {
    QStringList found;
    for (const QString &line : lines) {
        try {
            extractFromLine(line, found, exceptions);
        } catch (const std::exception &) {
            // A line that cannot be scanned is given up; the addresses it already gave stay in `found`.
        }
    }
    result = std::move(found);
}

// Appends the addresses of one line to `found`. `restStart` marks the unscanned rest of the line; it begins
// with the character that ended the previous candidate, and scanning stops when the rest holds no "@" or
// begins with one.
void AddressExtraction::extractFromLine(QStringView line, QStringList &found, const QStringList *exceptions) {
    const qsizetype length = line.size();
    qsizetype restStart = 0;
    while (restStart < length) {
        const qsizetype at = line.indexOf(u'@', restStart);
        if (at <= restStart) {
            return;
        }
        qsizetype start = restStart;
        for (qsizetype i = at - 1; i >= restStart; --i) {
            if (endsAddress(line[i], kEndsLeft)) {
                start = i + 1;
                break;
            }
        }
        qsizetype end = length;
        for (qsizetype i = at + 1; i < length; ++i) {
            if (endsAddress(line[i], kEndsRight)) {
                end = i;
                break;
            }
        }
        restStart = end;

        QStringView candidate = line.sliced(start, end - start);
        if (candidate.startsWith(u"___")) {
            qsizetype underscores = 0;
            while (underscores < candidate.size() && candidate[underscores] == u'_') {
                ++underscores;
            }
            candidate = candidate.sliced(underscores);
        }
        if (!candidate.isEmpty() && candidate.size() <= kMaxAddressLength &&
            AddressRoutines::validemailaddress(candidate, exceptions).valid) {
            found.append(candidate.toString());
        }
    }
}

} // namespace corvane

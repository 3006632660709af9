// Measuring the prefix of a message that vmime may parse.
#include "mailstore/VmimeInput.h"

#include <algorithm>

namespace corvane {

namespace {

bool isMultipartAt(std::string_view text, size_t pos) {
    static constexpr std::string_view kWord = "multipart";
    if (text.size() - pos < kWord.size())
        return false;
    for (size_t i = 0; i < kWord.size(); ++i) {
        if ((text[pos + i] | 0x20) != kWord[i])
            return false;
    }
    return true;
}

} // namespace

qsizetype VmimeInput::parseableLength(std::string_view text, const Limits &limits) {
    const auto size = static_cast<qsizetype>(text.size());
    qsizetype cut = std::min<qsizetype>(size, static_cast<qsizetype>(limits.work));
    int multiparts = 0;
    qsizetype lines = 0;
    bool inHeader = true;
    for (qsizetype pos = 0; pos < cut; ++pos) {
        const char c = text[static_cast<size_t>(pos)];
        if (c == '\n') {
            if (++lines > limits.lines)
                return pos;
            if (inHeader) {
                const qsizetype next = pos + 1;
                inHeader = !(next < size &&
                             (text[next] == '\n' || (text[next] == '\r' && next + 1 < size && text[next + 1] == '\n')));
            }
        } else if ((c | 0x20) == 'm' && isMultipartAt(text, static_cast<size_t>(pos))) {
            if (++multiparts > limits.multiparts)
                return pos;
            // Every byte given so far and after may now be scanned once more per level.
            cut = std::min(cut, static_cast<qsizetype>(limits.work / (multiparts + 1)));
            cut = std::max(cut, pos);
        }
        if (inHeader && pos >= limits.headerBytes)
            return pos;
    }
    return cut;
}

} // namespace corvane

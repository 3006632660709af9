// Decodes base64 message bodies byte for byte as vmime's decoder does, including its reading of malformed
// input (characters outside the alphabet, padding in the middle, a short last group), without vmime's stream
// and buffer layers.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

class Base64 {
public:
    // The bytes `encoded` stands for. Spaces, tabs and line ends are skipped; the rest is read in groups of
    // four characters, and a group cut short by the end is dropped. Decoding stops at the first group with "="
    // in its first or second place, and after the group with "=" in its third or fourth place. A character
    // outside the alphabet counts as the value 255, cut to the bits it contributes. Never fails.
    static std::string decoded(std::string_view encoded);
};

} // namespace corvane

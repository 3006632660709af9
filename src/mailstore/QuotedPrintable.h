// Decodes quoted-printable message bodies byte for byte as vmime's decoder does, including its reading of
// malformed input (an "=" not followed by two hexadecimal digits, "=" before a lone CR, "=" at the very end),
// without vmime's stream and buffer layers, which cost several times the decoding itself.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

class QuotedPrintable {
public:
    // The bytes `encoded` stands for: "=XY" is the byte XY (hexadecimal digits in either case; any other
    // character counts as 0), "=" before a line end is a soft line break and removed (before CR, the CR and the
    // byte after it), an "=" without the bytes it needs at the end is dropped; everything else is copied.
    // Never fails.
    static std::string decoded(std::string_view encoded);
};

} // namespace corvane

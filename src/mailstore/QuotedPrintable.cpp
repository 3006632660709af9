// Quoted-printable decoding.
#include "mailstore/QuotedPrintable.h"

namespace corvane {

namespace {

unsigned hexValue(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

} // namespace

std::string QuotedPrintable::decoded(std::string_view encoded) {
    std::string out;
    out.reserve(encoded.size());
    const size_t n = encoded.size();
    size_t i = 0;
    while (i < n) {
        const size_t equals = encoded.find('=', i);
        if (equals == std::string_view::npos) {
            out.append(encoded.substr(i));
            break;
        }
        out.append(encoded.substr(i, equals - i));
        i = equals + 1;
        if (i >= n)
            break;
        const auto first = static_cast<unsigned char>(encoded[i++]);
        if (first == '\r') {
            if (i < n)
                ++i;
            continue;
        }
        if (first == '\n')
            continue;
        if (i >= n)
            break;
        const auto second = static_cast<unsigned char>(encoded[i++]);
        out += static_cast<char>((hexValue(first) * 16 + hexValue(second)) & 0xFF);
    }
    return out;
}

} // namespace corvane

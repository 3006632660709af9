// Base64 decoding.
#include "mailstore/Base64.h"

#include <array>

namespace corvane {

namespace {

// The value of each character: its place in the alphabet, 0x3D for "=" and 0xFF for any other character.
constexpr std::array<unsigned char, 256> decodeMap() {
    std::array<unsigned char, 256> map{};
    for (auto &value : map)
        value = 0xFF;
    const char *alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (unsigned i = 0; i < 64; ++i)
        map[static_cast<unsigned char>(alphabet[i])] = static_cast<unsigned char>(i);
    map['='] = 0x3D;
    return map;
}

constexpr std::array<unsigned char, 256> kMap = decodeMap();

bool isSkipped(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

std::string Base64::decoded(std::string_view encoded) {
    std::string out;
    out.reserve(encoded.size() / 4 * 3 + 3);
    size_t i = 0;
    const size_t n = encoded.size();
    while (i < n) {
        unsigned char group[4] = {};
        int count = 0;
        while (count < 4 && i < n) {
            const auto c = static_cast<unsigned char>(encoded[i++]);
            if (!isSkipped(c))
                group[count++] = c;
        }
        if (count < 4 || group[0] == '=' || group[1] == '=')
            break;
        out += static_cast<char>(((kMap[group[0]] << 2) | ((kMap[group[1]] & 0x30) >> 4)) & 0xFF);
        if (group[2] == '=')
            break;
        out += static_cast<char>((((kMap[group[1]] & 0x0F) << 4) | ((kMap[group[2]] & 0x3C) >> 2)) & 0xFF);
        if (group[3] == '=')
            break;
        out += static_cast<char>((((kMap[group[2]] & 0x03) << 6) | kMap[group[3]]) & 0xFF);
    }
    return out;
}

} // namespace corvane

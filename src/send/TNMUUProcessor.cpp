// Base64 encoding of attachment bytes in lines of 45 input bytes.
#include "send/TNMUUProcessor.h"

#include <algorithm>

namespace corvane {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr qsizetype kBytesPerLine = 45;

// Appends the base64 form of `size` bytes at `bytes` to `out`.
void appendBase64(QByteArray &out, const unsigned char *bytes, qsizetype size) {
    qsizetype i = 0;
    for (; i + 3 <= size; i += 3) {
        const unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
        out.append(kAlphabet[(v >> 18) & 63]);
        out.append(kAlphabet[(v >> 12) & 63]);
        out.append(kAlphabet[(v >> 6) & 63]);
        out.append(kAlphabet[v & 63]);
    }
    const qsizetype rest = size - i;
    if (rest == 1) {
        const unsigned v = bytes[i] << 16;
        out.append(kAlphabet[(v >> 18) & 63]);
        out.append(kAlphabet[(v >> 12) & 63]);
        out.append("==");
    } else if (rest == 2) {
        const unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8);
        out.append(kAlphabet[(v >> 18) & 63]);
        out.append(kAlphabet[(v >> 12) & 63]);
        out.append(kAlphabet[(v >> 6) & 63]);
        out.append('=');
    }
}
} // namespace

QByteArray TNMUUProcessor::encodeBase64(const QByteArray &data) {
    QByteArray out;
    out.reserve((data.size() + 2) / 3 * 4);
    appendBase64(out, reinterpret_cast<const unsigned char *>(data.constData()), data.size());
    return out;
}

QByteArray TNMUUProcessor::encodeBase64Lines(const QByteArray &data) {
    QByteArray out;
    const qsizetype lines = (data.size() + kBytesPerLine - 1) / kBytesPerLine;
    out.reserve(lines * 62);
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    for (qsizetype start = 0; start < data.size(); start += kBytesPerLine) {
        appendBase64(out, bytes + start, std::min(kBytesPerLine, data.size() - start));
        out.append("\r\n");
    }
    return out;
}

} // namespace corvane

// Corvane's own base64 encoder for attachments: the RFC 2045 alphabet, 45 input bytes per output line.
#pragma once

#include <QByteArray>

namespace corvane {

class TNMUUProcessor {
public:
    // Encodes `data` as one run of base64 characters without line breaks, padded with "=". Cannot fail.
    static QByteArray encodeBase64(const QByteArray &data);
    // Encodes `data` as base64 lines of 60 characters (45 input bytes), each ended by CR LF; the last line
    // is shorter and padded with "=" as needed. Empty input gives an empty result. Cannot fail.
    static QByteArray encodeBase64Lines(const QByteArray &data);
};

} // namespace corvane

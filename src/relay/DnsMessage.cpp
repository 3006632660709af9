// Building DNS queries and reading answers, bounds-checked at every byte.
#include "relay/DnsMessage.h"

#include <algorithm>

namespace corvane::relay {

namespace {

constexpr qsizetype kHeaderSize = 12;
constexpr qsizetype kMaxNameLength = 255;
constexpr quint16 kClassIn = 1;

// Reads a big-endian 16-bit number at `offset` and moves past it; false when the packet ends first.
bool read16(QByteArrayView packet, qsizetype &offset, quint16 &value) {
    if (offset + 2 > packet.size()) {
        return false;
    }
    value = static_cast<quint16>((static_cast<quint8>(packet[offset]) << 8) | static_cast<quint8>(packet[offset + 1]));
    offset += 2;
    return true;
}

bool sameName(const QByteArray &a, const QByteArray &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QByteArray DnsMessage::query(quint16 id, const QByteArray &name, Type type) {
    QByteArray packet;
    packet.append(static_cast<char>(id >> 8)).append(static_cast<char>(id & 0xFF));
    packet.append("\x01\x00", 2);                         // standard query, recursion desired
    packet.append("\x00\x01\x00\x00\x00\x00\x00\x00", 8); // one question
    for (const QByteArray &label : name.split('.')) {
        if (!label.isEmpty()) {
            packet.append(static_cast<char>(label.size())).append(label);
        }
    }
    packet.append('\0');
    packet.append(static_cast<char>(type >> 8)).append(static_cast<char>(type & 0xFF));
    packet.append("\x00\x01", 2);
    return packet;
}

bool DnsMessage::readName(QByteArrayView packet, qsizetype &offset, QByteArray &name, QString &error) {
    name.clear();
    qsizetype at = offset;
    // Where the name continues after its first pointer; the caller's offset moves only past the name's own bytes.
    qsizetype after = -1;
    // A pointer must point before the label it is found in: every jump goes backwards, so the walk ends.
    qsizetype limit = at;
    qsizetype length = 0;
    for (;;) {
        if (at >= packet.size()) {
            error = QStringLiteral("a name runs past the end of the answer");
            return false;
        }
        const quint8 size = static_cast<quint8>(packet[at]);
        if (size == 0) {
            offset = after >= 0 ? after : at + 1;
            return true;
        }
        if ((size & 0xC0) == 0xC0) {
            if (at + 1 >= packet.size()) {
                error = QStringLiteral("a name runs past the end of the answer");
                return false;
            }
            const qsizetype target = ((size & 0x3F) << 8) | static_cast<quint8>(packet[at + 1]);
            if (target >= limit) {
                error = QStringLiteral("a compressed name points forwards or loops");
                return false;
            }
            if (after < 0) {
                after = at + 2;
            }
            at = limit = target;
            continue;
        }
        if ((size & 0xC0) != 0) {
            error = QStringLiteral("a name has a label of an unknown kind");
            return false;
        }
        length += size + 1;
        if (length > kMaxNameLength || at + 1 + size > packet.size()) {
            error = length > kMaxNameLength ? QStringLiteral("a name is longer than 255 bytes")
                                            : QStringLiteral("a name runs past the end of the answer");
            return false;
        }
        if (!name.isEmpty()) {
            name.append('.');
        }
        name.append(packet.sliced(at + 1, size).toByteArray());
        at += 1 + size;
        if (after < 0) {
            limit = at;
        }
    }
}

std::optional<DnsMessage::Answer> DnsMessage::parse(QByteArrayView packet, quint16 id, const QByteArray &name,
                                                    Type type, QString &error) {
    qsizetype at = 0;
    quint16 gotId = 0, flags = 0, questions = 0, answers = 0;
    if (packet.size() < kHeaderSize || !read16(packet, at, gotId) || !read16(packet, at, flags) ||
        !read16(packet, at, questions) || !read16(packet, at, answers)) {
        error = QStringLiteral("the answer is shorter than a DNS header");
        return std::nullopt;
    }
    at = kHeaderSize;
    if (gotId != id || (flags & 0x8000) == 0 || ((flags >> 11) & 0xF) != 0) {
        error = QStringLiteral("the packet is not the answer to this query");
        return std::nullopt;
    }
    if ((flags & 0x0200) != 0) {
        error = QStringLiteral("the answer was truncated by the DNS server");
        return std::nullopt;
    }
    QByteArray questionName;
    quint16 questionType = 0, questionClass = 0;
    if (questions != 1 || !readName(packet, at, questionName, error) || !read16(packet, at, questionType) ||
        !read16(packet, at, questionClass)) {
        if (error.isEmpty()) {
            error = QStringLiteral("the answer's question is missing or cut short");
        }
        return std::nullopt;
    }
    if (!sameName(questionName, name) || questionType != type || questionClass != kClassIn) {
        error = QStringLiteral("the answer is for another question");
        return std::nullopt;
    }
    Answer result;
    result.rcode = flags & 0xF;
    // The names that stand for the queried one: itself and every CNAME target reached from it.
    QList<QByteArray> aliases{name};
    const auto isAlias = [&aliases](const QByteArray &owner) {
        return std::any_of(aliases.cbegin(), aliases.cend(),
                           [&owner](const QByteArray &a) { return sameName(a, owner); });
    };
    for (quint16 i = 0; i < answers; ++i) {
        QByteArray owner;
        quint16 rrType = 0, rrClass = 0, ttlHigh = 0, ttlLow = 0, size = 0;
        if (!readName(packet, at, owner, error) || !read16(packet, at, rrType) || !read16(packet, at, rrClass) ||
            !read16(packet, at, ttlHigh) || !read16(packet, at, ttlLow) || !read16(packet, at, size) ||
            at + size > packet.size()) {
            if (error.isEmpty()) {
                error = QStringLiteral("a record runs past the end of the answer");
            }
            return std::nullopt;
        }
        const qsizetype end = at + size;
        if (rrClass == kClassIn && isAlias(owner)) {
            if (rrType == CName) {
                QByteArray target;
                if (!readName(packet.first(end), at, target, error)) {
                    return std::nullopt;
                }
                aliases.append(target);
            } else if (rrType == type && type == Mx) {
                MxRecord mx;
                if (!read16(packet.first(end), at, mx.preference) ||
                    !readName(packet.first(end), at, mx.exchange, error)) {
                    if (error.isEmpty()) {
                        error = QStringLiteral("an MX record is cut short");
                    }
                    return std::nullopt;
                }
                result.mx.append(mx);
            } else if (rrType == type && (type == A || type == Aaaa)) {
                const qsizetype want = type == A ? 4 : 16;
                if (size != want) {
                    error = QStringLiteral("an address record has the wrong length");
                    return std::nullopt;
                }
                const auto *bytes = reinterpret_cast<const quint8 *>(packet.data() + at);
                if (type == A) {
                    result.addresses.append(QHostAddress(quint32{bytes[0]} << 24 | quint32{bytes[1]} << 16 |
                                                         quint32{bytes[2]} << 8 | quint32{bytes[3]}));
                } else {
                    result.addresses.append(QHostAddress(bytes));
                }
            }
        }
        at = end;
    }
    return result;
}

QString DnsMessage::rcodeText(int rcode) {
    switch (rcode) {
    case FormErr:
        return QStringLiteral("format error");
    case ServFail:
        return QStringLiteral("server failure");
    case NxDomain:
        return QStringLiteral("no such domain");
    case NotImp:
        return QStringLiteral("query not supported");
    case Refused:
        return QStringLiteral("query refused");
    default:
        return QStringLiteral("error code %1").arg(rcode);
    }
}

} // namespace corvane::relay

// Case-folded comparison of UTF-16 and UTF-8 texts, and the end of a prefix range.
#include "base/LetterCase.h"

#include <QList>

namespace corvane {

namespace {
constexpr char32_t Replacement = 0xFFFD;
constexpr char32_t LastCodePoint = 0x10FFFF;

// Reads one character of UTF-16 text at `i` and moves past it. A lone surrogate stands for itself.
char32_t nextUtf16(QStringView text, qsizetype &i) {
    const char16_t c = text.at(i++).unicode();
    if (QChar::isHighSurrogate(c) && i < text.size() && QChar::isLowSurrogate(text.at(i).unicode())) {
        return QChar::surrogateToUcs4(c, text.at(i++).unicode());
    }
    return c;
}

bool continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Reads one character of UTF-8 text at `p` and moves past it; a byte that starts no valid sequence gives
// U+FFFD and is passed alone.
char32_t nextUtf8(const unsigned char *&p, const unsigned char *end) {
    const unsigned char lead = *p++;
    if (lead < 0x80) {
        return lead;
    }
    int length = 0;
    char32_t c = 0;
    char32_t lowest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 1;
        c = lead & 0x1F;
        lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 2;
        c = lead & 0x0F;
        lowest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 3;
        c = lead & 0x07;
        lowest = 0x10000;
    } else {
        return Replacement;
    }
    if (end - p < length) {
        return Replacement;
    }
    for (int k = 0; k < length; ++k) {
        if (!continuation(p[k])) {
            return Replacement;
        }
        c = (c << 6) | (p[k] & 0x3F);
    }
    if (c < lowest || c > LastCodePoint || (c >= 0xD800 && c <= 0xDFFF)) {
        return Replacement;
    }
    p += length;
    return c;
}

int order(char32_t a, char32_t b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

bool isFolded(char32_t c) {
    return LetterCase::fold(c) == c;
}
} // namespace

int LetterCase::compare(QStringView a, QStringView b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const int result = order(fold(nextUtf16(a, i)), fold(nextUtf16(b, j)));
        if (result != 0) {
            return result;
        }
    }
    return order(i < a.size() ? 1 : 0, j < b.size() ? 1 : 0);
}

int LetterCase::compareUtf8(const char *a, qsizetype aSize, const char *b, qsizetype bSize) {
    const auto *p = reinterpret_cast<const unsigned char *>(a);
    const auto *q = reinterpret_cast<const unsigned char *>(b);
    const unsigned char *pEnd = p + aSize;
    const unsigned char *qEnd = q + bSize;
    // ASCII on both sides, by far the most common case, needs no decoding: only A-Z fold there, and no
    // other character folds into ASCII without being compared on the slow path below.
    while (p < pEnd && q < qEnd && *p < 0x80 && *q < 0x80) {
        unsigned char x = *p;
        unsigned char y = *q;
        x = (x >= 'A' && x <= 'Z') ? static_cast<unsigned char>(x + 32) : x;
        y = (y >= 'A' && y <= 'Z') ? static_cast<unsigned char>(y + 32) : y;
        if (x != y) {
            return x < y ? -1 : 1;
        }
        ++p;
        ++q;
    }
    while (p < pEnd && q < qEnd) {
        const int result = order(fold(nextUtf8(p, pEnd)), fold(nextUtf8(q, qEnd)));
        if (result != 0) {
            return result;
        }
    }
    return order(p < pEnd ? 1 : 0, q < qEnd ? 1 : 0);
}

QString LetterCase::prefixEnd(QStringView prefix) {
    QList<char32_t> folded;
    for (qsizetype i = 0; i < prefix.size();) {
        folded.append(fold(nextUtf16(prefix, i)));
    }
    while (!folded.isEmpty()) {
        // The next character after the last one that is its own folded form: no folded text holds a
        // character in between, so the range ends there.
        for (char32_t c = folded.last() + 1; c <= LastCodePoint; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) {
                c = 0xE000;
            }
            if (isFolded(c)) {
                folded.last() = c;
                return QString::fromUcs4(folded.constData(), folded.size());
            }
        }
        folded.removeLast();
    }
    return QString();
}

} // namespace corvane

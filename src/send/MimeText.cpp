// Quoted-printable and encoded-word encoding over UTF-8.
#include "send/MimeText.h"

#include "send/TNMUUProcessor.h"

namespace corvane {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";
constexpr qsizetype kQpLineLimit = 76;
// 30 bytes give 40 base64 characters; with "=?utf-8?B?" and "?=" an encoded word has 52 characters, so a
// header name and the first word still fit into a line of 76.
constexpr qsizetype kWordBytes = 30;

void appendEscaped(QByteArray &out, unsigned char c) {
    out.append('=');
    out.append(kHex[c >> 4]);
    out.append(kHex[c & 15]);
}
} // namespace

bool MimeText::isAscii(const QString &text) {
    for (const QChar c : text) {
        if (c.unicode() > 127) {
            return false;
        }
    }
    return true;
}

bool MimeText::hasLineBreak(const QString &text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

QByteArrayList MimeText::quotedPrintable(const QString &line) {
    const QByteArray utf8 = line.toUtf8();
    QByteArrayList lines;
    QByteArray current;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const bool last = i + 1 == utf8.size();
        QByteArray token;
        if ((c == ' ' || c == '\t') && !last) {
            token.append(static_cast<char>(c));
        } else if (c >= 33 && c <= 126 && c != '=') {
            token.append(static_cast<char>(c));
        } else {
            appendEscaped(token, c);
        }
        // Keep room for the soft line break "=" unless this token ends the text line.
        const qsizetype limit = last ? kQpLineLimit : kQpLineLimit - 1;
        if (current.size() + token.size() > limit) {
            current.append('=');
            lines.append(current);
            current.clear();
        }
        current.append(token);
    }
    lines.append(current);
    return lines;
}

QByteArray MimeText::encodedWords(const QString &text) {
    QByteArray out;
    QByteArray chunk;
    auto flush = [&] {
        if (!out.isEmpty()) {
            out.append("\r\n ");
        }
        out.append("=?utf-8?B?" + TNMUUProcessor::encodeBase64(chunk) + "?=");
        chunk.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString character(text[i]);
        if (text[i].isHighSurrogate() && i + 1 < text.size()) {
            character.append(text[++i]);
        }
        const QByteArray bytes = character.toUtf8();
        if (chunk.size() + bytes.size() > kWordBytes) {
            flush();
        }
        chunk.append(bytes);
    }
    if (!chunk.isEmpty() || out.isEmpty()) {
        flush();
    }
    return out;
}

QByteArray MimeText::headerText(const QString &text) {
    return isAscii(text) ? text.toLatin1() : encodedWords(text);
}

QByteArray MimeText::addressEntry(const QString &entry) {
    if (isAscii(entry)) {
        return entry.toLatin1();
    }
    const qsizetype open = entry.indexOf(QLatin1Char('<'));
    if (open < 0) {
        return entry.toUtf8();
    }
    const QString name = entry.left(open).trimmed();
    const QByteArray rest = entry.mid(open).toUtf8();
    if (name.isEmpty()) {
        return rest;
    }
    return headerText(name) + ' ' + rest;
}

} // namespace corvane

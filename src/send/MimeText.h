// Text encodings the SMTP client uses for messages that are not plain ASCII: quoted-printable body lines
// and RFC 2047 encoded words for header values, both over UTF-8.
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

namespace corvane {

class MimeText {
public:
    // True when every character of `text` is 7-bit ASCII.
    static bool isAscii(const QString &text);
    // True when `text` holds a carriage return or a line feed.
    static bool hasLineBreak(const QString &text);

    // Encodes one text line (without line end) as quoted-printable UTF-8. Returns the wire lines: all but the
    // last end in a soft line break "="; none is longer than 76 characters. Cannot fail.
    static QByteArrayList quotedPrintable(const QString &line);

    // Encodes `text` as RFC 2047 "B" encoded words in UTF-8, each at most 75 characters, never splitting a
    // character; several words are joined by CR LF and a blank (a folded header line). Cannot fail.
    static QByteArray encodedWords(const QString &text);

    // A header value: the Latin-1 bytes of `text` when it is ASCII, otherwise its encoded words.
    static QByteArray headerText(const QString &text);

    // An address entry for the To or CC header ("Name <address>" or a bare address). ASCII entries are
    // returned unchanged; a non-ASCII display name before the first "<" becomes encoded words followed by a
    // blank. The caller must refuse entries whose address itself is not ASCII.
    static QByteArray addressEntry(const QString &entry);
};

} // namespace corvane

// Turns a TPostMessage into the exact bytes the SMTP client writes after DATA: the header block and the
// body buffer (plain, HTML or multipart with base64 attachments), dot-stuffed and ready for the wire.
#pragma once

#include "send/TPostMessage.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QString>

namespace corvane {

class SMTPMessageBuilder {
public:
    enum SubType { Plain = 0, Enriched = 1, Sgml = 2, TabSeparatedValues = 3, Html = 4 };

    struct Composed {
        // Header lines in order, without line ends (a folded line holds CR LF and a blank inside).
        QByteArrayList headerLines;
        // The header lines, each ended by CR LF, and two more CR LF pairs.
        QByteArray headerBlock;
        // Body lines ended by CR LF, dot-stuffed; without the final ".".
        QByteArray body;
        // The multipart boundary, empty for a message without attachments.
        QByteArray boundary;
    };

    // The largest header block the client writes (one write of less than 64 KB).
    static constexpr qsizetype kHeaderLimit = 64 * 1024;

    // Builds header and body of `message` with `subType` and `charset` (the charset used while every body
    // line is ASCII; other text is declared utf-8 and sent quoted-printable). Throws CorvaneError, before
    // anything is sent, when a header value or address holds a line break, the sender or a recipient's bare
    // address is not one plain mailbox (SMTPMailbox), an attachment cannot be read, or the header block
    // reaches 64 KB.
    static Composed compose(const TPostMessage &message, int subType, const QString &charset);

    // The bare address of a recipient entry: the text after the first "<" up to the next "<" or ">"; else
    // the text after the first ":" up to the next ":"; else the whole entry.
    static QString bareAddress(const QString &entry);

    // A new boundary: "====================54535", six random letters from a to y, "====".
    static QByteArray newBoundary();
    // `time` in the Internet date form, for example "Wed, 09 Dec 2026 12:12:10 +0000".
    static QByteArray dateText(const QDateTime &time);
    // A new, unique Message-ID value in angle brackets, on the domain of `fromAddress` ("localhost" when it
    // has none).
    static QByteArray newMessageId(const QString &fromAddress);
};

} // namespace corvane

// Turns the bytes of a message's text (a body part or an encoded word) into Unicode text according to the
// character set the message names; text of unknown origin is read as UTF-8 when it is valid UTF-8.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <string>

namespace corvane {

class MailCharset {
public:
    // `bytes` as UTF-8 when they are valid UTF-8, else as ISO-8859-1 (raw 8-bit text of unknown origin).
    // Never fails.
    static QString lenientText(QByteArrayView bytes);

    // `bytes` in character set `charsetName` as text; UTF-8, US-ASCII and an empty name are read as by
    // lenientText(), ISO-8859-1 by Qt (as vmime would convert it), any other set by vmime. Raises CorvaneError
    // when vmime knows no converter for the character set.
    static QString convertedText(const std::string &bytes, const std::string &charsetName);
};

} // namespace corvane

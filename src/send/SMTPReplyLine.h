// One line of an SMTP server's reply, read as RFC 5321 writes it: a three-digit code, then a blank (or the
// line end) on the last line of a reply and "-" on every line before it, then free text. A reply may span
// several lines that all carry the same code.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace corvane {

struct SMTPReplyLine {
    int code = 0;
    // False on a line that announces more lines of the same reply ("250-...").
    bool last = true;

    // The code and continuation mark of `line` (without its line end); nothing when the line does not begin
    // with exactly three digits followed by a blank, "-" or the line end.
    static std::optional<SMTPReplyLine> parse(QByteArrayView line);

    // `line` with every byte outside printable ASCII (control characters, DEL, 8-bit bytes) replaced by "?",
    // so that server text can go into messages and line-based files. Cannot fail.
    static QByteArray printable(QByteArrayView line);
};

} // namespace corvane

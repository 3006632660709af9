// The displayed text of a Rich Text Format document, as the file-folder harvest reads it: control words
// skipped, the groups that hold no displayed text (font, colour and style tables, document information,
// pictures, fields' instructions, every \* destination) dropped, paragraphs and line breaks as line ends, tabs
// and cells as tabs, \'hh in the document's code page (\ansicpg, Windows-1252 by default) and \uN with its
// fallback characters skipped. One pass over the input with bounded nesting, so a hostile file costs time in
// proportion to its size.
#pragma once

#include <QByteArray>
#include <QString>

namespace corvane {

class RtfText {
public:
    // Groups may nest this deep; a deeper document is refused as malformed.
    static constexpr int kMaxDepth = 512;

    // Whether `data` begins (after white space) with "{\rtf".
    static bool isRtf(const QByteArray &data);

    // The displayed text of `data`, lines separated by "\n". Raises CorvaneError when the document is
    // malformed: not "{\rtf" at the start, a "}" without its "{", a group left open at the end (a truncated
    // file), nesting deeper than kMaxDepth, or a control word longer than 32 letters.
    static QString toPlainText(const QByteArray &data);
};

} // namespace corvane

// Turns the HTML body of a message into plain text for the request scan: tags dropped, blocks and line
// breaks become line ends, entities decoded, the head, scripts and styles left out.
#pragma once

#include <QString>

namespace corvane {

class HtmlText {
public:
    // The readable text of `html`, lines joined with "\n", runs of blanks inside a line collapsed and no more
    // than one empty line in a row. Never fails; unknown entities stay as written.
    static QString toPlainText(const QString &html);
};

} // namespace corvane

// Values written into line-based files and messages: what counts as a control character (C0, DEL, C1 and
// the Unicode line and paragraph separators), a value made safe to stand within one line, and a value with
// its control characters made visible. Mail is written by strangers, so a name, address or category may hold
// a CR LF meant to forge a line in "log.txt", "errors.txt" or a back-up; every writer passes its values
// through here.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane {

class LineText {
public:
    // C0 (U+0000 to U+001F, TAB included), DEL, C1 (U+0080 to U+009F), U+2028 and U+2029.
    static bool isControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }
    // Whether `text` holds any control character.
    static bool hasControlCharacters(QStringView text);
    // Whether `text` can be written within one line as it is: no control character other than TAB.
    static bool isOneLine(QStringView text);

    // `text` safe to stand within one line: a CR LF pair and every other control character except TAB
    // become one blank each, so a value folded over lines reads as one line. The same string (shared, not
    // copied) when there is nothing to replace.
    static QString oneLine(const QString &text);
    static QString oneLine(QStringView text);
    static QStringList oneLine(const QStringList &lines);

    // `text` with each control character (TAB included) written as "<U+" + four upper-case hex digits +
    // ">", for example "<U+000D><U+000A>" for CR LF; other characters stay as they are. The same string
    // when there is no control character.
    static QString visible(const QString &text);
};

} // namespace corvane

// Makes text read from a stranger's message safe for a single-line field: no line break, NUL or other control
// character survives, so a header value can never forge a line in a file or a header Corvane writes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace corvane {

class SingleLineText {
public:
    // `text` with each run of C0 and C1 control characters (DEL included), U+2028 and U+2029 replaced by one
    // blank. Never fails.
    static QString of(const QString &text);
    // The same for raw header bytes: each run of bytes below 0x20 and DEL replaced by one blank.
    static QByteArray ofBytes(QByteArrayView bytes);
    // `text` without its NUL characters; every other character, line ends included, is kept.
    static QString withoutNul(const QString &text);
};

} // namespace corvane

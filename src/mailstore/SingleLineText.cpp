// Replacing control characters in text read from mail.
#include "mailstore/SingleLineText.h"

#include "base/LineText.h"

namespace corvane {

QString SingleLineText::of(const QString &text) {
    qsizetype first = 0;
    while (first < text.size() && !LineText::isControl(text[first].unicode()))
        ++first;
    if (first == text.size())
        return text;
    QString out = text.left(first);
    out.reserve(text.size());
    bool inRun = false;
    for (qsizetype i = first; i < text.size(); ++i) {
        const QChar c = text[i];
        if (LineText::isControl(c.unicode())) {
            if (!inRun)
                out.append(QLatin1Char(' '));
            inRun = true;
        } else {
            out.append(c);
            inRun = false;
        }
    }
    return out;
}

QByteArray SingleLineText::ofBytes(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    bool inRun = false;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            if (!inRun)
                out.append(' ');
            inRun = true;
        } else {
            out.append(c);
            inRun = false;
        }
    }
    return out;
}

QString SingleLineText::withoutNul(const QString &text) {
    if (!text.contains(QChar(u'\0')))
        return text;
    QString out = text;
    out.remove(QChar(u'\0'));
    return out;
}

} // namespace corvane

// Control characters in values: folding to one line and making them visible.
#include "base/LineText.h"

namespace corvane {

bool LineText::hasControlCharacters(QStringView text) {
    for (const QChar c : text) {
        if (isControl(c.unicode())) {
            return true;
        }
    }
    return false;
}

bool LineText::isOneLine(QStringView text) {
    // Called for every value of a million-entry export: printable ASCII is decided by one comparison.
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    for (; p < end; ++p) {
        const char16_t c = *p;
        if ((c < 0x7F && c >= 0x20) || c == u'\t') {
            continue;
        }
        if (isControl(c)) {
            return false;
        }
    }
    return true;
}

QString LineText::oneLine(QStringView text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isControl(c.unicode()) || c == QLatin1Char('\t')) {
            result.append(c);
            continue;
        }
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            ++i;
        }
        result.append(QLatin1Char(' '));
    }
    return result;
}

QString LineText::oneLine(const QString &text) {
    return isOneLine(text) ? text : oneLine(QStringView(text));
}

QStringList LineText::oneLine(const QStringList &lines) {
    QStringList result = lines;
    for (QString &line : result) {
        if (!isOneLine(line)) {
            line = oneLine(QStringView(line));
        }
    }
    return result;
}

QString LineText::visible(const QString &text) {
    if (!hasControlCharacters(text)) {
        return text;
    }
    QString result;
    result.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (isControl(c.unicode())) {
            result += QStringLiteral("<U+%1>").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        } else {
            result.append(c);
        }
    }
    return result;
}

} // namespace corvane

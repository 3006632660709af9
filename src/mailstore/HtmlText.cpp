// HTML to plain text conversion for message bodies.
#include "mailstore/HtmlText.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace corvane {

namespace {

// The character an entity name (without "&" and ";") stands for, or an empty text when unknown.
QString entityText(const QString &name) {
    if (name.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const uint code = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'))
                              ? name.mid(2).toUInt(&ok, 16)
                              : name.mid(1).toUInt(&ok, 10);
        if (!ok || code == 0 || code > 0x10FFFF)
            return {};
        const char32_t c = code;
        return QString::fromUcs4(&c, 1);
    }
    static const QHash<QString, QString> named = {
        {"amp", "&"},         {"lt", "<"},          {"gt", ">"},         {"quot", "\""},      {"apos", "'"},
        {"nbsp", " "},        {"copy", "\u00A9"},   {"reg", "\u00AE"},   {"euro", "\u20AC"},  {"mdash", "\u2014"},
        {"ndash", "\u2013"},  {"hellip", "\u2026"}, {"laquo", "\u00AB"}, {"raquo", "\u00BB"}, {"eacute", "\u00E9"},
        {"egrave", "\u00E8"}, {"agrave", "\u00E0"}, {"uuml", "\u00FC"},  {"ouml", "\u00F6"},  {"auml", "\u00E4"},
        {"szlig", "\u00DF"}};
    return named.value(name);
}

bool isBlockTag(const QString &tag) {
    static const QStringList blocks = {"br", "p",  "div",        "li",  "tr",    "h1", "h2", "h3", "h4",
                                       "h5", "h6", "blockquote", "pre", "table", "ul", "ol", "hr"};
    return blocks.contains(tag);
}

bool isLineSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// The lower-case name of the tag whose text between "<" and ">" is html[begin, end), and whether it is a closing
// tag: the text is trimmed, a leading "/" marks a closing tag, and the name ends at the first blank or "/".
// Names made of ASCII characters and ending at a "/", a space, a tab or a line end are cut here; any other goes
// through the regular expression that defines the cut for every character.
QString tagName(const QString &html, qsizetype begin, qsizetype end, bool &closing) {
    const QChar *const text = html.constData();
    qsizetype start = begin;
    while (start < end && text[start].isSpace())
        ++start;
    closing = start < end && text[start] == QLatin1Char('/');
    if (closing)
        ++start;
    qsizetype stop = start;
    while (stop < end && text[stop].unicode() < 128 && !text[stop].isSpace() && text[stop] != QLatin1Char('/'))
        ++stop;
    if (stop == end || text[stop] == QLatin1Char('/') || isLineSpace(text[stop].unicode()))
        return QString(text + start, stop - start).toLower();
    static const QRegularExpression tagEnd(QStringLiteral("[\\s/]"));
    const QString inner = html.mid(begin, end - begin).trimmed();
    return (closing ? inner.mid(1) : inner).section(tagEnd, 0, 0).toLower();
}

} // namespace

QString HtmlText::toPlainText(const QString &html) {
    // Nothing written below is longer than what it stands for, so the text fits in the size of the HTML.
    QString raw(html.size(), Qt::Uninitialized);
    QChar *const start = raw.data();
    QChar *out = start;
    const QChar *const in = html.constData();
    qsizetype i = 0;
    const qsizetype n = html.size();
    while (i < n) {
        const char16_t c = in[i].unicode();
        if (c == u'<') {
            if (QStringView(html).mid(i, 4) == QLatin1String("<!--")) {
                const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
                i = end < 0 ? n : end + 3;
                continue;
            }
            const qsizetype end = html.indexOf(QLatin1Char('>'), i + 1);
            if (end < 0)
                break;
            bool closing = false;
            const QString tag = tagName(html, i + 1, end, closing);
            i = end + 1;
            if (!closing && (tag == QLatin1String("script") || tag == QLatin1String("style") ||
                             tag == QLatin1String("head") || tag == QLatin1String("title"))) {
                const qsizetype close = html.indexOf(QLatin1String("</") + tag, i, Qt::CaseInsensitive);
                const qsizetype closeEnd = close < 0 ? -1 : html.indexOf(QLatin1Char('>'), close);
                i = closeEnd < 0 ? n : closeEnd + 1;
                continue;
            }
            if (isBlockTag(tag))
                *out++ = QLatin1Char('\n');
            else if (tag == QLatin1String("td") || tag == QLatin1String("th"))
                *out++ = QLatin1Char(' ');
            continue;
        }
        if (c == u'&') {
            // An entity is at most ten characters long, ";" included.
            const qsizetype limit = std::min(n, i + 11);
            qsizetype semi = i + 1;
            while (semi < limit && in[semi] != QLatin1Char(';'))
                ++semi;
            if (semi < limit) {
                const QString text = entityText(html.mid(i + 1, semi - i - 1));
                if (!text.isEmpty()) {
                    for (const QChar t : text)
                        *out++ = t;
                    i = semi + 1;
                    continue;
                }
            }
        }
        *out++ = in[i].isSpace() ? QLatin1Char(' ') : in[i];
        ++i;
    }
    raw.truncate(out - start);
    QStringList lines;
    for (const QString &line : raw.split(QLatin1Char('\n'))) {
        const QString tidy = line.simplified();
        if (tidy.isEmpty() && (lines.isEmpty() || lines.last().isEmpty()))
            continue;
        lines.append(tidy);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

} // namespace corvane

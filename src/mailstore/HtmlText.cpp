// HTML to plain text conversion for message bodies.
#include "mailstore/HtmlText.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

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

} // namespace

QString HtmlText::toPlainText(const QString &html) {
    QString raw;
    raw.reserve(html.size());
    qsizetype i = 0;
    const qsizetype n = html.size();
    while (i < n) {
        const QChar c = html[i];
        if (c == QLatin1Char('<')) {
            if (html.mid(i, 4) == QLatin1String("<!--")) {
                const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
                i = end < 0 ? n : end + 3;
                continue;
            }
            const qsizetype end = html.indexOf(QLatin1Char('>'), i + 1);
            if (end < 0)
                break;
            const QString inner = html.mid(i + 1, end - i - 1).trimmed();
            const bool closing = inner.startsWith(QLatin1Char('/'));
            static const QRegularExpression tagEnd(QStringLiteral("[\\s/]"));
            QString tag = (closing ? inner.mid(1) : inner).section(tagEnd, 0, 0);
            tag = tag.toLower();
            i = end + 1;
            if (!closing && (tag == QLatin1String("script") || tag == QLatin1String("style") ||
                             tag == QLatin1String("head") || tag == QLatin1String("title"))) {
                const qsizetype close = html.indexOf(QLatin1String("</") + tag, i, Qt::CaseInsensitive);
                const qsizetype closeEnd = close < 0 ? -1 : html.indexOf(QLatin1Char('>'), close);
                i = closeEnd < 0 ? n : closeEnd + 1;
                continue;
            }
            if (isBlockTag(tag))
                raw.append(QLatin1Char('\n'));
            else if (tag == QLatin1String("td") || tag == QLatin1String("th"))
                raw.append(QLatin1Char(' '));
            continue;
        }
        if (c == QLatin1Char('&')) {
            const qsizetype semi = html.indexOf(QLatin1Char(';'), i + 1);
            if (semi > 0 && semi - i <= 10) {
                const QString text = entityText(html.mid(i + 1, semi - i - 1));
                if (!text.isEmpty()) {
                    raw.append(text);
                    i = semi + 1;
                    continue;
                }
            }
        }
        raw.append(c.isSpace() ? QLatin1Char(' ') : c);
        ++i;
    }
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

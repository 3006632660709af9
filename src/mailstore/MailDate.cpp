// Parsing of RFC 5322 date texts.
#include "mailstore/MailDate.h"

#include <QRegularExpression>

namespace corvane {

namespace {

// Removes parenthesised comments, which may nest.
QString withoutComments(const QString &text) {
    QString out;
    int depth = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')') && depth > 0)
            --depth;
        else if (depth == 0)
            out.append(c);
    }
    return out;
}

// The offset in seconds of a zone text ("+0200", "GMT", "EST"), 0 for unknown names.
int zoneOffset(const QString &zone) {
    if (zone.size() == 5 && (zone[0] == QLatin1Char('+') || zone[0] == QLatin1Char('-'))) {
        const int hours = zone.mid(1, 2).toInt();
        const int minutes = zone.mid(3, 2).toInt();
        const int seconds = (hours * 60 + minutes) * 60;
        return zone[0] == QLatin1Char('-') ? -seconds : seconds;
    }
    static const QList<QPair<QString, int>> names = {{"EDT", -4}, {"EST", -5}, {"CDT", -5}, {"CST", -6},
                                                     {"MDT", -6}, {"MST", -7}, {"PDT", -7}, {"PST", -8}};
    for (const auto &[name, hours] : names) {
        if (zone.compare(name, Qt::CaseInsensitive) == 0)
            return hours * 3600;
    }
    return 0;
}

} // namespace

QDateTime MailDate::parse(const QString &text) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*(?:[A-Za-z]+\\s*,?\\s*)?(\\d{1,2})\\s+([A-Za-z]{3})[A-Za-z]*\\s+(\\d{2,4})\\s+"
                       "(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*([+-]\\d{4}|[A-Za-z]+)?\\s*$"));
    const QRegularExpressionMatch m = form.match(withoutComments(text));
    if (!m.hasMatch())
        return {};
    static const QStringList months = {"jan", "feb", "mar", "apr", "may", "jun",
                                       "jul", "aug", "sep", "oct", "nov", "dec"};
    const int month = static_cast<int>(months.indexOf(m.captured(2).toLower())) + 1;
    if (month == 0)
        return {};
    int year = m.captured(3).toInt();
    if (m.captured(3).size() == 2)
        year += year < 50 ? 2000 : 1900;
    else if (m.captured(3).size() == 3)
        year += 1900;
    const QDate date(year, month, m.captured(1).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).isEmpty() ? 0 : m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, Qt::OffsetFromUTC, zoneOffset(m.captured(7)));
}

} // namespace corvane

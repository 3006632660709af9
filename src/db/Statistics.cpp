// Counting events per day in tblStats, and reading the day out of a date-and-time text.
#include "db/Statistics.h"

#include <QStringList>

namespace corvane {

namespace {
bool hasTwoDigitYear(const QString &format) {
    return format.contains(QLatin1String("yy")) && !format.contains(QLatin1String("yyyy"));
}

// Qt reads a two-digit year as 19xx; the year meant is the one with those last two digits nearest to today,
// no more than 20 years ahead.
QDate withNearestCentury(const QDate &date) {
    const int today = QDate::currentDate().year();
    int year = today - today % 100 + date.year() % 100;
    if (year > today + 20) {
        year -= 100;
    } else if (year <= today - 80) {
        year += 100;
    }
    return QDate(year, date.month(), date.day());
}

QStringList dateFormats(const QLocale &locale) {
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    QStringList formats{shortFormat};
    if (hasTwoDigitYear(shortFormat)) {
        formats.append(QString(shortFormat).replace(QLatin1String("yy"), QLatin1String("yyyy")));
    }
    return formats;
}

// Whether `text` is a time in the locale's long or short format. A long format that ends with the time zone
// also accepts the time without it, and with any zone word: only the date is kept, so the zone never counts.
bool isTime(const QString &text, const QLocale &locale) {
    const QString longFormat = locale.timeFormat(QLocale::LongFormat);
    for (const QString &format : {longFormat, locale.timeFormat(QLocale::ShortFormat)}) {
        if (locale.toTime(text, format).isValid()) {
            return true;
        }
    }
    if (!longFormat.endsWith(QLatin1String(" t"))) {
        return false;
    }
    const QString withoutZone = longFormat.chopped(2);
    const qsizetype lastBlank = text.lastIndexOf(QLatin1Char(' '));
    return locale.toTime(text, withoutZone).isValid() ||
           (lastBlank > 0 && locale.toTime(text.left(lastBlank), withoutZone).isValid());
}

QString counterField(int kind) {
    switch (kind) {
    case Statistics::Subscribe:
        return QStringLiteral("Subscribes");
    case Statistics::Unsubscribe:
        return QStringLiteral("Unsubscribes");
    case Statistics::Bounce:
        return QStringLiteral("Bounces");
    default:
        return QString();
    }
}
} // namespace

QDate Statistics::dateOfText(const QString &text, const QLocale &locale) {
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &format : dateFormats(locale)) {
        const qsizetype dateWords = format.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts).size();
        if (dateWords == 0 || words.size() < dateWords) {
            continue;
        }
        const QDate date = locale.toDate(words.mid(0, dateWords).join(QLatin1Char(' ')), format);
        if (!date.isValid()) {
            continue;
        }
        const QString time = words.mid(dateWords).join(QLatin1Char(' '));
        if (!time.isEmpty() && !isTime(time, locale)) {
            continue;
        }
        return hasTwoDigitYear(format) ? withNearestCentury(date) : date;
    }
    return QDate();
}

void Statistics::AddStatRecord(SqliteTable &tblStats, int kind, const QString &dateText) noexcept {
    try {
        const QDate date = dateOfText(dateText);
        if (!date.isValid()) {
            return;
        }
        const QString counter = counterField(kind);
        if (!tblStats.locate(QStringLiteral("Date"), date, false)) {
            tblStats.appendRecord(
                {date, kind == Subscribe ? 1 : 0, kind == Unsubscribe ? 1 : 0, kind == Bounce ? 1 : 0, QString()});
            return;
        }
        if (counter.isEmpty()) {
            return;
        }
        tblStats.setField(counter, static_cast<qint64>(tblStats.integer(counter)) + 1);
        tblStats.post();
    } catch (...) {
        tblStats.cancel();
    }
}

bool Statistics::AddStatCounts(SqliteTable &tblStats, const QDate &day, int subscribes, int unsubscribes,
                               int bounces) noexcept {
    if (!day.isValid()) {
        return false;
    }
    try {
        if (!tblStats.locate(QStringLiteral("Date"), day, false)) {
            tblStats.appendRecord({day, subscribes, unsubscribes, bounces, QString()});
            return true;
        }
        const auto add = [&tblStats](const QString &counter, int events) {
            if (events != 0) {
                tblStats.setField(counter, static_cast<qint64>(tblStats.integer(counter)) + events);
            }
        };
        add(QStringLiteral("Subscribes"), subscribes);
        add(QStringLiteral("Unsubscribes"), unsubscribes);
        add(QStringLiteral("Bounces"), bounces);
        tblStats.post();
        return true;
    } catch (...) {
        tblStats.cancel();
        return false;
    }
}

} // namespace corvane

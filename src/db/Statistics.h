// The daily statistics of the list database: how many subscribe and unsubscribe commands and delivery-
// failure reports the folder scan found on each calendar day, one row of tblStats per day.
#pragma once

#include "db/SqliteTable.h"

#include <QDate>
#include <QLocale>
#include <QString>

namespace corvane {

class Statistics {
public:
    // The event kinds and the counter each raises; any other kind raises nothing.
    enum Kind { Unsubscribe = -1, Subscribe = 1, Bounce = 9 };

    // Counts one event of `kind` on the day `dateText` names, in the row of that day, creating the row with
    // all counters at 0 first when there is none (any other kind only creates the row). Every failure is
    // swallowed: a text that is not a date, or a table error, leaves the statistics as they were.
    static void AddStatRecord(SqliteTable &tblStats, int kind, const QString &dateText) noexcept;
    // Adds `subscribes`, `unsubscribes` and `bounces` events to the row of `day` in one change, creating the
    // row first when there is none. False, with the statistics as they were, on a table error or an invalid
    // day.
    static bool AddStatCounts(SqliteTable &tblStats, const QDate &day, int subscribes, int unsubscribes,
                              int bounces) noexcept;

    // The date that `text` names in `locale`'s short date format, optionally followed by a time in the
    // locale's long format (with any time zone word or none) or short format; a four-digit year is accepted
    // where the format has two digits. A two-digit year is taken as the one nearest to today's year (at
    // most 20 years ahead, else in the past). An invalid date when the text is no such date.
    static QDate dateOfText(const QString &text, const QLocale &locale = QLocale());
};

} // namespace corvane

// Reading the Date header of a message: RFC 5322 dates with the obsolete forms real mail still carries
// (two-digit years, zone names, comments, missing seconds or weekday).
#pragma once

#include <QDateTime>
#include <QString>

namespace corvane {

class MailDate {
public:
    // The moment `text` names, with the offset it gives; an invalid QDateTime when the text is not a date
    // (wrong field order, impossible day or time, unknown month). An unknown zone name counts as UTC.
    static QDateTime parse(const QString &text);
};

} // namespace corvane

// The message a request scan is looking at, filled anew for each message of the folder: the lines the
// command search reads (line 0 the subject cleaned of reply and forward prefixes, then the body lines), the
// subject as received, the sent time as text, the sender as the chosen retrieval method read it, and the
// address, name, category and direction the command parser finds. Read by the request classification and
// by the forwarding of members' posts; nothing of it survives the scan.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace corvane {

struct CurrentMessage {
    // Line 0: the cleaned subject; lines 1 onward: the body, one text line each.
    QStringList lines;
    // The subject as received (decoded, prefixes kept).
    QString subject;
    // The sent time as text; the current date and time as text when the message has no readable date.
    QString sent;
    // The calendar day of the sent time (local time); invalid when the message has no readable date, and then
    // the day is read from `sent`.
    QDate sentDay;
    // The sender's address and display name by the retrieval method in use, either possibly empty.
    QString sender;
    QString senderName;
    // The address and full name the request applies to: preset from the sender when the From address may
    // be used as the entry, then set by the command parser.
    QString address;
    QString name;
    // Set by the command parser: the list category named, and whether the command adds (else removes).
    QString category;
    bool add = false;
    // The message says it was written by a program (an Auto-Submitted field other than "no"): an automatic
    // reply is never read as a command and never answered.
    bool autoSubmitted = false;
    // The message is a copy that Corvane itself forwarded to a list (it carries Corvane's own list field):
    // it is never forwarded again.
    bool forwardedByCorvane = false;
};

} // namespace corvane

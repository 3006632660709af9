// corvane-cli scan: the request scan of the mailing-list folder (and the members' posts when UserSending is
// on), run headless for cron on a server whose mail server delivers into the Maildir.
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;

class CliScanCommand {
public:
    // scan [--folder NAME]: scans as "Check for New Entries" does, NAME standing in for the mailing-list
    // folder for this run only (it is not saved). Prints one line per handled or forwarded message and the
    // summary "Examined N, handled N, forwarded N, bounces processed N". Returns 0; 1 when there is no
    // database, a folder cannot be reached (or is not created) or a message could not be read; 2 for a
    // usage error.
    static int scan(CliContext &context, const QStringList &arguments);

    static QString usage();
};

} // namespace corvane

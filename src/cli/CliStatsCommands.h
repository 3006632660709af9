// corvane-cli's statistics command: the daily counts of subscribe and unsubscribe commands and delivery
// failures, one day per line, and their totals.
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;

class CliStatsCommands {
public:
    // "stats": prints every day of the statistics in date order as one line of tab-separated fields (the
    // date as yyyy-MM-dd, subscribes, unsubscribes, bounces, notes), then "Total" and the three sums. In the
    // notes a backslash, tab, carriage return and line feed are written as \\, \t, \r and \n, so that each
    // day stays one line of five fields. Returns 0; 2 when arguments are given; 1 when no database is open
    // or the table cannot be read (the reason goes to context.fail).
    static int stats(CliContext &context, const QStringList &arguments);

    // The lines of the program's help text that describe the command.
    static QString usage();
};

} // namespace corvane

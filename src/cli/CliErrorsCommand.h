// corvane-cli errors --reprocess: one line of the errors list run again through the entry rules or the
// address change, as the errors window's "Reprocess Entry.." does, with the line's own values.
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;

class CliErrorsCommand {
public:
    // errors --reprocess N [--ignore-rules]: line N (1 for the first, as "errors" prints them) is removed
    // and its request runs again without acknowledgement; an ADD line adds, any other kind but MODIFY
    // removes, a MODIFY line changes the old address into the new one. --ignore-rules skips the validity and
    // blocked-address rules (for a change, the exception list). Prints "Reprocessed: " + the line and, when
    // the request failed again, "Failed again: " + the new line. Returns 0; 1 when the request failed again,
    // the line holds control characters (it stays) or the errors list cannot be read; 2 for a usage error
    // or a line number out of range.
    static int reprocess(CliContext &context, const QStringList &arguments);

    static QString usage();
};

} // namespace corvane

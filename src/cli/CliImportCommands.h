// corvane-cli's commands that take addresses in: "import" (a single-column or multi-column entry file) and
// "enter" (lines from a file or standard input added, removed or counted as undeliverable), run through the
// same import code as the desktop program's windows. Each prints a summary of the outcomes.
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;

class CliImportCommands {
public:
    // import FILE [--category C] [--columns LIST] [--separator C] [--header]: a single-column import into C
    // (the default category when absent), or with --columns, --separator or --header a multi-column import.
    // Returns 0 when every line was processed, 1 when no database is open, the file cannot be read, the
    // category is refused or the run stopped, 2 for a usage error.
    static int import(CliContext &context, const QStringList &arguments);
    // enter (--add [--category C] | --remove [--category C] | --undeliverable) [FILE|-]: one request per line
    // of FILE or of standard input ("-" or no FILE). Returns as import() does.
    static int enter(CliContext &context, const QStringList &arguments);

    // The lines the dispatcher's usage text shows for these commands.
    static QString usage();
};

} // namespace corvane

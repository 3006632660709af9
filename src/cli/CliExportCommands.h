// corvane-cli's export commands: "export" (the delimited list file with a choice of fields and separator)
// and "backup" (the back-up file named by the back-up settings), run through the same export code as the
// desktop program's menu commands.
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;

class CliExportCommands {
public:
    // export FILE [--fields LIST] [--separator C]: writes every entry, in the list's order, to FILE (relative
    // to the current directory). LIST is a comma-separated choice of email, category, fullname, firstname,
    // comments, bounces (all when absent; written in that fixed order whatever the order given); C is one
    // character (empty means ","). Returns 0 on success, 1 when no database is open or the export failed
    // (its messages are shown), 2 for a usage error (unknown field, missing FILE, separator of more than one
    // character, unexpected argument).
    static int exportList(CliContext &context, const QStringList &arguments);
    // backup: writes the back-up file (BackUpFilename, or "backup.csv" in the application directory;
    // numbered when newbackupfilename is on) and prints its name. Returns 0 on success, 1 when no database
    // is open or the back-up failed, 2 for unexpected arguments.
    static int backUp(CliContext &context, const QStringList &arguments);

    // The lines the dispatcher's usage text shows for these commands.
    static QString usage();
};

} // namespace corvane

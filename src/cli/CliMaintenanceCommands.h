// corvane-cli's list maintenance commands: "merge" (all categories into "Default", duplicate addresses
// removed) and "reset-bounces" (every bounce count back to 0), run through the same list maintenance
// code as the desktop program's menu commands.
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;

class CliMaintenanceCommands {
public:
    // merge [--yes]: asks the merge's two questions through the context's prompt (the global --yes or --no
    // answers them; the command's own --yes skips them) and merges. Prints the number of entries before
    // and after. Returns 0 after a complete merge, 1 when it was declined, failed or stopped, or no
    // database is open, 2 for unexpected arguments.
    static int merge(CliContext &context, const QStringList &arguments);
    // reset-bounces: sets every entry's bounce count to 0. Returns 0 on success, 1 on failure or when no
    // database is open, 2 for unexpected arguments.
    static int resetBounces(CliContext &context, const QStringList &arguments);

    // The lines the dispatcher's usage text shows for these commands.
    static QString usage();
};

} // namespace corvane

// corvane-cli's "harvest": the addresses found in a folder of the mail store, in its contacts folder or in the
// files of a folder on disk, printed one per line (ready for "corvane-cli enter"), with a summary on standard
// error. Runs the same harvest code as the desktop program's windows; nothing is written to the list.
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;

class CliHarvestCommand {
public:
    // harvest (--folder NAME [--from] [--recipients] [--bodies] | --contacts | --files DIR [--all-files]).
    // NAME is a folder path below the root folder, its levels separated by "/"; a folder holding contacts is
    // read as contacts. Without a tick, --from is meant. Returns 0 when the harvest went through (even when it
    // found nothing), 1 when a folder could not be opened or the run was stopped, 2 for a usage error.
    static int harvest(CliContext &context, const QStringList &arguments);

    static QString usage();
};

} // namespace corvane

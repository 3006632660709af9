// corvane-cli imap-test: connects to the IMAP account of the settings, logs in, lists its folders and logs
// out, printing each step (the password masked).
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;

class CliImapCommand {
public:
    // Returns 0 when every step worked, 1 when one failed (its reason on standard error), 2 for arguments.
    static int imapTest(CliContext &context, const QStringList &arguments);

    static QString usage();
};

} // namespace corvane

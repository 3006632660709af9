// corvane-cli smtp-test: tries the SMTP settings (security, user and password included) against the server.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

struct CliContext;

class CliSmtpTestCommand {
public:
    // smtp-test [ADDRESS]: connects to the SMTP server of the settings with their security, logs in when a
    // user is set, sends one plain test message to ADDRESS when one is given, and says goodbye, printing the
    // dialogue ("C: " what was sent, "S: " what came back; passwords as "****") and the send-log lines.
    // Returns 0 when every step succeeded, 1 when one failed (its message on the error output), 2 for a usage
    // error.
    static int run(CliContext &context, const QStringList &arguments);

    static QString usage();
};

} // namespace corvane

// corvane-cli send: a message to the list (or to some categories, or to the addresses of a file) sent
// headless by the same job as the send dialog, with the settings' sending method; or one test message; or,
// with --dry-run, only the count of recipients and of the messages the job would send.
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;

class CliSendCommand {
public:
    // send --subject TEXT (--body FILE | --body-text TEXT) [--html] [--attach FILE]...
    //      [--category LIST | --not-category LIST | --recipients FILE] [--to ADDR]... [--cc ADDR]...
    //      [--test ADDR] [--dry-run]
    // Prints a progress line every few seconds while sending ("Sent N, failed N, remaining N, R messages/s"),
    // then the send log. Returns 0 when the job completed with no failed message; 1 when a message failed,
    // the job stopped before sending or was cancelled (Ctrl+C cancels, as the progress window's Cancel does),
    // or the database or a file could not be read; 2 for a usage error.
    static int send(CliContext &context, const QStringList &arguments);

    static QString usage();
};

} // namespace corvane

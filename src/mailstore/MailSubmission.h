// How the mail store sends and shows the messages composed in it: the mail submission program (a
// sendmail-compatible command), the program that opens a message for the person, and the sender written into
// the From header.
#pragma once

#include <QString>

namespace corvane {

struct MailSubmission {
    // The submission program and its options, split like a shell command line; empty means "sendmail -oi".
    // The recipients follow on its command line after "--"; the message is written to its standard input.
    QString submitCommand;
    // The program that opens a saved draft; empty means "xdg-open". The draft's path is its last argument.
    QString displayCommand;
    // The From of composed messages. Without an address there is no From header and the submission program
    // writes its own.
    QString senderName;
    QString senderAddress;
    // How long the submission program may take, in milliseconds, before it is stopped and the send fails.
    int timeLimitMs = 120000;
};

} // namespace corvane

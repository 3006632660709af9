// Runs the programs outside Corvane that the mail store relies on: the mail submission program (sendmail or
// a compatible one) that takes a finished message, and the desktop's opener that shows a draft.
#pragma once

#include "mailstore/MailSubmission.h"

#include <QByteArray>
#include <QStringList>

namespace corvane {

class SubmissionProgram {
public:
    // Runs the submission command of `submission` with "--" and `recipients` appended, writes `message` to
    // its standard input and waits for it within the time limit. Raises when the command is empty after
    // splitting, the program cannot be started, runs too long (it is killed) or ends with an exit status
    // other than 0; the message then holds the program's error output.
    static void submit(const MailSubmission &submission, const QStringList &recipients, const QByteArray &message);
    // Starts the display command of `submission` with `path` as its last argument, without waiting. Raises
    // when it cannot be started.
    static void display(const MailSubmission &submission, const QString &path);

    // The program to start for `name`: a name with a "/" as it is; otherwise found on PATH, or else in
    // /usr/sbin, /usr/lib or /sbin, where sendmail lives but which a user's PATH often leaves out. A name
    // found nowhere is returned unchanged, so that starting it fails with the usual error.
    static QString programPath(const QString &name);
};

} // namespace corvane

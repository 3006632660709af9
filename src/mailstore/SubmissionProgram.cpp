// Starting the submission and display programs.
#include "mailstore/SubmissionProgram.h"

#include "base/CorvaneError.h"

#include <QProcess>
#include <QStandardPaths>

namespace corvane {

namespace {

// `command` split like a shell command line, or `fallback` when it is empty.
QStringList commandLine(const QString &command, const QString &fallback) {
    const QString text = command.trimmed().isEmpty() ? fallback : command;
    return QProcess::splitCommand(text);
}

} // namespace

QString SubmissionProgram::programPath(const QString &name) {
    if (name.contains(QLatin1Char('/')))
        return name;
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(
            name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/lib"), QStringLiteral("/sbin")});
    return found.isEmpty() ? name : found;
}

void SubmissionProgram::submit(const MailSubmission &submission, const QStringList &recipients,
                               const QByteArray &message) {
    QStringList args = commandLine(submission.submitCommand, QStringLiteral("sendmail -oi"));
    if (args.isEmpty())
        throw CorvaneError(QStringLiteral("No mail submission program is set."));
    const QString program = programPath(args.takeFirst());
    args << QStringLiteral("--") << recipients;

    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args);
    if (!process.waitForStarted(submission.timeLimitMs))
        throw CorvaneError(QStringLiteral("The mail submission program \"%1\" cannot be started: %2")
                               .arg(program, process.errorString()));
    process.write(message);
    process.closeWriteChannel();
    if (!process.waitForFinished(submission.timeLimitMs)) {
        process.kill();
        process.waitForFinished(5000);
        throw CorvaneError(QStringLiteral("The mail submission program \"%1\" did not finish in time.").arg(program));
    }
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit)
        throw CorvaneError(
            QStringLiteral("The mail submission program \"%1\" stopped abnormally. %2").arg(program, errors).trimmed());
    if (process.exitCode() != 0)
        throw CorvaneError(errors.isEmpty()
                               ? QStringLiteral("The mail submission program \"%1\" failed with status %2.")
                                     .arg(program)
                                     .arg(process.exitCode())
                               : errors);
}

void SubmissionProgram::display(const MailSubmission &submission, const QString &path) {
    QStringList args = commandLine(submission.displayCommand, QStringLiteral("xdg-open"));
    if (args.isEmpty())
        throw CorvaneError(QStringLiteral("No program to show messages is set."));
    const QString program = args.takeFirst();
    args << path;
    if (!QProcess::startDetached(program, args))
        throw CorvaneError(QStringLiteral("The program \"%1\" cannot be started to show the message.").arg(program));
}

} // namespace corvane

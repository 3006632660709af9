// The desktop's mail composer for a test message of the Simple MAPI method: the default mail client opened
// with the message filled in, through "xdg-email" (or a command set in its place).
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class DesktopComposer {
public:
    // The composer command, split like a shell command line; empty means "xdg-email".
    explicit DesktopComposer(const QString &command = QString()) : m_command(command) {}

    // The arguments for the message: "--subject" S, "--body" B, "--cc" C for each CC address, "--bcc" for
    // each hidden one, "--attach" P for each attachment, then the To addresses ("--utf8" first).
    static QStringList arguments(const QString &subject, const QString &body, const QStringList &to,
                                 const QStringList &cc, const QStringList &bcc, const QStringList &attachments);

    // Starts the composer without waiting. False when it cannot be started (not installed, no command).
    bool open(const QString &subject, const QString &body, const QStringList &to, const QStringList &cc,
              const QStringList &bcc, const QStringList &attachments) const;

private:
    QString m_command;
};

} // namespace corvane

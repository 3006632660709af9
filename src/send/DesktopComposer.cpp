// Opening the desktop's mail composer.
#include "send/DesktopComposer.h"

#include <QProcess>

namespace corvane {

QStringList DesktopComposer::arguments(const QString &subject, const QString &body, const QStringList &to,
                                       const QStringList &cc, const QStringList &bcc, const QStringList &attachments) {
    QStringList args{QStringLiteral("--utf8"), QStringLiteral("--subject"), subject, QStringLiteral("--body"), body};
    for (const QString &address : cc) {
        args << QStringLiteral("--cc") << address;
    }
    for (const QString &address : bcc) {
        args << QStringLiteral("--bcc") << address;
    }
    for (const QString &path : attachments) {
        args << QStringLiteral("--attach") << path;
    }
    args << to;
    return args;
}

bool DesktopComposer::open(const QString &subject, const QString &body, const QStringList &to, const QStringList &cc,
                           const QStringList &bcc, const QStringList &attachments) const {
    QStringList command =
        QProcess::splitCommand(m_command.trimmed().isEmpty() ? QStringLiteral("xdg-email") : m_command);
    if (command.isEmpty()) {
        return false;
    }
    const QString program = command.takeFirst();
    return QProcess::startDetached(program, command + arguments(subject, body, to, cc, bcc, attachments));
}

} // namespace corvane

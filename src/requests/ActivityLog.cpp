// The activity log file and the core of its viewer.
#include "requests/ActivityLog.h"

#include "base/AppPaths.h"
#include "base/BusyCursor.h"
#include "base/LineText.h"
#include "requests/TextRoutines.h"

#include <QFile>
#include <QSaveFile>

namespace corvane {

namespace {
QString unixLineEnds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}
} // namespace

QString ActivityLog::fileName() {
    return AppPaths::applicationDirectory() + QStringLiteral("log.txt");
}

void ActivityLog::AddToLog(const QString &line) const {
    const QString written = LineText::oneLine(line);
    if (m_observer) {
        m_observer(written);
    }
    if (!m_settings.MaintainLog) {
        return;
    }
    try {
        TextRoutines::AppendLineToFile(fileName(), written, false);
    } catch (...) {
        // The log never stops the processing that writes it.
    }
}

bool ActivityLog::CheckLoggingBeforeDisplay(Settings &settings, UserPrompt &prompt) {
    if (settings.MaintainLog) {
        return true;
    }
    const UserPrompt::Button answer =
        prompt.message(UserPrompt::Kind::Confirmation,
                       QStringLiteral("You do not currently have logging enabled.  Do you want to enable it now?"),
                       UserPrompt::Yes | UserPrompt::No);
    if (answer == UserPrompt::Yes) {
        settings.MaintainLog = true;
    }
    return false;
}

QString ActivityLog::LoadLog(UserPrompt &prompt) {
    const BusyCursor busy(prompt);
    QFile file(fileName());
    if (!file.exists()) {
        return QString();
    }
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError) {
            return unixLineEnds(QString::fromUtf8(bytes));
        }
    }
    prompt.message(UserPrompt::Kind::Warning, QStringLiteral("An error was encountered loading your text file!"),
                   UserPrompt::Ok);
    return QString();
}

bool ActivityLog::ClearLog(UserPrompt &prompt) {
    const UserPrompt::Button answer =
        prompt.message(UserPrompt::Kind::Confirmation, QStringLiteral("Are you sure you want to clear your log file?"),
                       UserPrompt::Yes | UserPrompt::No);
    if (answer != UserPrompt::Yes) {
        return false;
    }
    QFile file(fileName());
    if (file.exists() && !file.remove()) {
        prompt.message(UserPrompt::Kind::Warning, QStringLiteral("Error clearing your log file"), UserPrompt::Ok);
    }
    return true;
}

bool ActivityLog::SaveLog(UserPrompt &prompt, const QString &path, const QString &text) {
    QString content = unixLineEnds(text);
    content.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        const QByteArray bytes = content.toUtf8();
        if (file.write(bytes) == bytes.size() && file.commit()) {
            return true;
        }
    }
    file.cancelWriting();
    prompt.message(UserPrompt::Kind::Warning, QStringLiteral("Save Error!"), UserPrompt::Ok);
    return false;
}

} // namespace corvane

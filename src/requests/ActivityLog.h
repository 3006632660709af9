// The activity log "log.txt" in the application directory: one line per change the request processing made
// or attempted, appended only while "Maintain Log File of Database Changes" is on, and the operations of the
// "Log" viewer (load, clear, save) and of the main window's "Display Log..." command. Every question and
// message goes through the UserPrompt given.
#pragma once

#include "base/UserPrompt.h"
#include "settings/Settings.h"

#include <QString>
#include <functional>

namespace corvane {

class ActivityLog {
public:
    // Reads MaintainLog from `settings` at every line, so switching it takes effect at once.
    explicit ActivityLog(const Settings &settings) : m_settings(settings) {}

    // "log.txt" in the application directory.
    static QString fileName();

    // Appends `line` and CR LF to the log, creating the file when missing, while MaintainLog is on; does
    // nothing while it is off. A failure (missing directory, locked file, full disk) loses the line silently.
    // The line is written as one line (LineText::oneLine), so a value taken from mail cannot add lines; the
    // observer sees it in the same form.
    void AddToLog(const QString &line) const;
    // Called with every line the processing reports, whether or not logging is on (the command line prints
    // them). Its failures are not caught.
    void setObserver(std::function<void(const QString &)> observer) { m_observer = std::move(observer); }

    // The main window's "Display Log..." command: true when logging is on and the viewer is to be shown.
    // When it is off, asks whether to switch it on (Yes switches MaintainLog on in `settings`) and returns
    // false either way: the viewer is not shown this time.
    static bool CheckLoggingBeforeDisplay(Settings &settings, UserPrompt &prompt);

    // The viewer's text: the whole log with its line ends as "\n", or empty when there is no log. With the
    // busy cursor. When the file cannot be read, warns "An error was encountered loading your text file!" and
    // gives an empty text.
    static QString LoadLog(UserPrompt &prompt);

    // "Clear Log": asks "Are you sure you want to clear your log file?". No: false, nothing changes. Yes:
    // deletes the log file when there is one and returns true (the viewer empties its text); when the file
    // cannot be deleted it warns "Error clearing your log file" and the file stays as it was.
    static bool ClearLog(UserPrompt &prompt);

    // "Save Log..": writes `text` (the viewer's content, line ends written as CR LF) to `path`, replacing the
    // file only once the new one is complete. On failure warns "Save Error!" and returns false.
    static bool SaveLog(UserPrompt &prompt, const QString &path, const QString &text);

private:
    const Settings &m_settings;
    std::function<void(const QString &)> m_observer;
};

} // namespace corvane

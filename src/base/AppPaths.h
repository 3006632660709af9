// Where Corvane keeps its files: the application directory (rule files, logs, errors list, recent list,
// back-ups), the settings store, and the path tidying used for every directory text.
#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace corvane {

class AppPaths {
public:
    // Trims `text`; an empty result stays empty. A text ending in "\" or "/" is returned unchanged when
    // `addSeparator` is set and without that last character when not; otherwise a "/" is appended when
    // `addSeparator` is set.
    static QString fixpath(const QString &text, bool addSeparator);

    // The application directory with one trailing "/": the directory set with setApplicationDirectory(),
    // else $CORVANE_HOME, else the executable's directory when writable, else the per-user data folder.
    // The directory is created when missing.
    static QString applicationDirectory();
    // Overrides the application directory for this process (the command line's --home, tests). An empty
    // text drops the override.
    static void setApplicationDirectory(const QString &dir);

    // The settings store (organization "Tavrix", application "Corvane", per user). Every value a string.
    static std::unique_ptr<QSettings> openSettings();
    // The file behind the settings store.
    static QString settingsFilePath();
};

} // namespace corvane

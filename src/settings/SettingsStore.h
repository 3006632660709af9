// Loads and saves Corvane's settings: the rule and text files of the application directory and the values
// of the settings store (QSettings, organization "Tavrix", application "Corvane", every value a string).
// Every failure is reported through the prompt as a message box; none escapes as an exception.
#pragma once

#include "base/DatabaseLink.h"
#include "base/UserPrompt.h"
#include "settings/Settings.h"

#include <QString>
#include <QStringList>

class QSettings;

namespace corvane {

class SettingsStore {
public:
    SettingsStore(UserPrompt &prompt, DatabaseLink &db);

    // Reads the files present ("AckHeader.txt", "AckFooter.txt", "except.txt", "remstr.txt",
    // "Modifystr.txt", "addstr.txt", "cats.txt", "signature.txt", "never.txt", "failed.txt"); a missing
    // file puts the built-in contents back, so that reloading discards unsaved edits. Then reads the
    // settings values in their load order (not DBPath, StrictChangeDetection, DBExclusive: the list
    // database reads those when it is created).
    // Failures: a file that exists but cannot be read shows its failure as an error box and ends loading
    // there (later files and all values stay as they were); a settings store that cannot be opened shows
    // "Error encountered opening your registry file" (warning) and no value is read.
    void Loadentries(Settings &settings);

    // Flushes the database, writes the ten files, then every value in the save order (the database values
    // taken from the DatabaseLink; when the current database path is the application directory it
    // becomes "%"). Each step runs even when the one before failed.
    // Failures: a failing flush is shown as an error box with its message; the first file that cannot be
    // written ends the file step with the data-files warning; a store that cannot be opened shows
    // "Registry Update Failed, using defaults", one that cannot be written "Error encountered writing
    // your settings to the registry!" (warnings).
    void SaveEntries(const Settings &settings);

    // Every value name, the settings values in load order followed by DBPath, StrictChangeDetection and
    // DBExclusive. Names are exact: "SendCount " ends in a blank.
    static QStringList valueNames();
    // The text SaveEntries would store for `name` now (empty when nothing would be written); a null
    // QString for an unknown name.
    QString storedText(const Settings &settings, const QString &name) const;
    // Applies `text` as if it had been read from the store, with the same rules as Loadentries
    // (AlternativeCategory empty gives the default category, RestrictCategories stays off without allowed
    // categories). The database values go to the DatabaseLink. False for an unknown name.
    bool setStoredText(Settings &settings, const QString &name, const QString &text);

private:
    bool loadFiles(Settings &settings);
    void loadValues(Settings &settings);
    void saveFiles(const Settings &settings);
    void saveValues(const Settings &settings);
    void warn(const QString &text);

    // An empty stored AlternativeCategory gives the default category.
    static void readAlternativeCategoryAgain(Settings &settings, const QString &stored);
    // Categories cannot be restricted to an empty list.
    static void restrictOnlyToListedCategories(Settings &settings);
    // False when the store cannot be read and written: an unreadable or malformed file (which is then
    // left untouched, so that its readable values are not replaced), or no write access.
    static bool canOpen(const QSettings &store);

    UserPrompt &m_prompt;
    DatabaseLink &m_db;
};

} // namespace corvane

// Loads and saves Corvane's settings: the rule and text files of the application directory and the values
// of the settings store (QSettings, organization "Tavrix", application "Corvane", every value a string).
// Every failure is reported through the prompt as a message box; none escapes as an exception.
#pragma once

#include "base/DatabaseLink.h"
#include "base/UserPrompt.h"
#include "settings/Settings.h"

#include <QHash>
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
    // database reads those when it is created). Returns true when everything was read.
    // Failures: a file that exists but cannot be read shows its failure as an error box and ends loading
    // there (later files and all values stay as they were); a settings store that cannot be opened shows
    // "Error encountered opening your registry file" (warning) and no value is read. What was not read is
    // never saved over until a later Loadentries reads it (see SaveEntries).
    bool Loadentries(Settings &settings);

    // Flushes the database, writes the ten files, then every value in the save order (the database values
    // taken from the DatabaseLink; when the current database path is the application directory it
    // becomes "%"). Each step runs even when the one before failed. A file is merged into what is on disk
    // now (saveFiles); `settings` then holds the merged lists. Returns true when everything was written.
    // Failures: a failing flush is shown as an error box with its message; files and values the last
    // Loadentries could not read are not written, which is told once ("These settings were not saved..."); the
    // first file that cannot be written ends the file step with the data-files warning; a store that cannot be
    // opened shows "Registry Update Failed, using defaults", one that cannot be written "Error encountered
    // writing your settings to the registry!" (warnings).
    bool SaveEntries(Settings &settings);

    // The file step of SaveEntries alone (for a run that changed only rule lists). Each file is rewritten
    // under its lock: the lines now on disk, with the additions and removals made since this copy read it
    // (free texts: this copy's text when it changed it, else the disk's); a file whose result equals the disk
    // is left alone, a missing one is created. Files not read by the last Loadentries are skipped (told as in
    // SaveEntries). False when a file was skipped or could not be written (the data-files warning).
    bool saveFiles(Settings &settings);

    // Writes the database directory (DBPath) at shutdown, only when it differs from the stored text and the
    // store was read and is sound (a malformed settings file is never rewritten). False when it should have
    // been written and could not be, or the store is unsound. Never tells the person.
    bool saveDatabasePath(const QString &path);
    // True when the settings store can be read and written and is well-formed, so that writing values does not
    // drop lines Qt could not parse. For the other writers of the store (window placement, grid layout).
    static bool storeIsSound();

    // Every value name, the settings values in load order followed by DBPath, StrictChangeDetection and
    // DBExclusive. Names are exact: "SendCount " ends in a blank.
    static QStringList valueNames();
    // The text SaveEntries would store for `name` now (empty, not null, when nothing would be written); a null
    // QString for an unknown name.
    QString storedText(const Settings &settings, const QString &name) const;
    // Applies `text` as if it had been read from the store, with the same rules as Loadentries
    // (AlternativeCategory empty gives the default category, RestrictCategories stays off without allowed
    // categories). The database values go to the DatabaseLink. False for an unknown name.
    bool setStoredText(Settings &settings, const QString &name, const QString &text);

private:
    bool loadFiles(Settings &settings);
    bool loadValues(Settings &settings);
    bool saveValues(const Settings &settings);
    bool writeFiles(Settings &settings);
    // Tells once per save which parts are kept from being written; false when there are any.
    bool reportUnread();
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
    // Per file name: the lines this copy last read or wrote (built-in contents until then).
    QHash<QString, QStringList> m_baseline;
    // The files, and kValuesPart for the values, that the last Loadentries did not read.
    QStringList m_unread;
};

} // namespace corvane

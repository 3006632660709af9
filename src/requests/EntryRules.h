// The entry rules: the one path by which any source (the folder scan, the errors window, imports, manual
// entry) adds an address to the list or removes it, with the category, duplicate, validity and blocked-
// address rules applied in a fixed order; bounce counting; and the change of an address in every entry that
// holds it. Each operation writes its outcome to the activity log, puts failures into the errors list and,
// for e-mailed requests, hands the outcome sentence to the acknowledger. Nothing here is shown to the person
// except the messages of the interactive address change and of CheckCategory.
//
// The rules act on the list table's current view: callers drop the list view's category filter first, as
// every list-wide command does, or an entry hidden by the filter counts as missing.
#pragma once

#include "base/UserPrompt.h"
#include "db/SqliteTable.h"
#include "requests/Acknowledger.h"
#include "requests/ActivityLog.h"
#include "requests/AddressChangeAsker.h"
#include "requests/ErrorsList.h"
#include "settings/Settings.h"

#include <QString>

namespace corvane {

class EntryRules {
public:
    // Every argument must outlive the rules. `settings` is read at every call (and the blocked list is
    // extended by removals when AddUnsubscribers is on; saving the settings is the caller's part).
    EntryRules(SqliteTable &tblML, Settings &settings, ActivityLog &log, ErrorsList &errors, UserPrompt &prompt,
               Acknowledger &acknowledger);

    // Adds (`add`) or removes one address. An empty address or one without "@" does nothing at all.
    // Otherwise the address is freed of a display-name wrapper (which may fill `fullName`), an empty
    // `firstName` is guessed from the full name when GuessSalutation is on, and the category rules, the
    // duplicate rule and (unless `skipChecks`) the validity and blocked-address rules decide. A new entry gets
    // `bounces`, `comments`, the names and sending rights unless DefaultNoUserSend. A removal with an empty
    // category, "ALL" or "ME" removes the address from every category (at most 1000 entries). Exactly one
    // line goes to the activity log:
    //   "ADD"|"REMOVE" + " " + address + " " + category + " [" + comments + "] -> " + result text;
    // refusals and failures go to the errors list; when `acknowledge`, every outcome sentence goes to the
    // acknowledger. Never raises: table errors become result texts. An address longer than the entry's address
    // field is refused as an insertion error rather than stored cut short. A control character (see
    // LineText::isControl) in the address or category, or in an added entry's names or comments, refuses the
    // request with refusedText(): no entry, blocked address or acknowledgement; the errors list receives it
    // with the control characters made visible (LineText::visible), as the log line shows every value.
    void insertentry(bool add, const QString &address, const QString &category, const QString &fullName,
                     const QString &firstName, const QString &comments, int bounces, bool skipChecks, bool acknowledge);

    // Positions the list table on the first entry (in view order) whose address is `address`, letter case
    // ignored. False, and the table where it was, when there is none. Raises CorvaneError on a table error.
    bool LocateEmailAddress(const QString &address);

    // The category of the first entry of `address` (letter case ignored); empty when there is none or the
    // search fails. Moves the table to that entry.
    QString GetGroupOfUser(const QString &address);

    // Whether a category the person typed (import, manual entry) may be used. Empty: yes. A comma anywhere:
    // no, after telling the person commas are not permitted. A space anywhere: asks whether to go on.
    bool CheckCategory(const QString &category);

    // Counts one bounce against the first entry of `address` (letter case ignored, any category), removing
    // that entry instead when the bounce limit is on (BounceMax checked and not 0) and the new count reaches
    // it. Logs "Update Undeliverable " + address + " -> " + result text; a failed removal also leaves a REMOVE
    // line without category in the errors list. Never raises; other entries of the address are untouched.
    // An address holding a control character changes nothing: refusedText() and a REMOVE line, both with the
    // address made visible.
    void processbounce(const QString &address);

    // Replaces `oldAddress` by `newAddress` in every entry that holds it (letter case ignored, any category,
    // at most 1000 entries), changing nothing else. The new address must pass the standard validity rules,
    // and the exception list too when `useExceptionList`. A new address that differs from the old one only
    // in letter case changes each entry once. Logs one line per changed entry; an invalid new address, a
    // missing old address or a table error is logged and leaves a MODIFY line in the errors list, and is
    // told to the person when `interactive`; a new address longer than the entry's address field counts as a
    // table error. Either address holding a control character is refused first, in the same way, with
    // refusedText() and both addresses made visible. With the busy cursor. Never raises. True when at least
    // one entry was changed; entries changed before a table error stay changed.
    bool ChangeEmailAddress(const QString &oldAddress, const QString &newAddress, bool useExceptionList,
                            bool interactive);

    // Asks for the old and new address through `asker` (showing "Ignore All Rules" when `showIgnoreBox`) and,
    // when the person confirms, changes the address interactively. A ticked "Ignore All Rules" skips the
    // exception list for the new address; the standard validity rules apply in every case. True exactly
    // when the person confirmed, whatever the change's outcome.
    bool PromptToModifyAddress(AddressChangeAsker &asker, const QString &oldAddress, const QString &newAddress,
                               bool showIgnoreBox);

    // The result text of a request refused for holding control characters.
    static QString refusedText() { return QStringLiteral("The request holds control characters and was refused!"); }

private:
    // Positions the table on the entry of `address` and `category` when multiple categories are on and a
    // category is given, else on the first entry of `address`. Raises CorvaneError on a table error.
    bool locateEntry(const QString &address, const QString &category);
    bool multipleCategories() const { return m_settings.MultipleCategorySupport.checked; }
    bool isBlocked(const QString &address) const;
    bool categoryAllowed(const QString &category) const;
    QString addEntry(const QString &address, const QString &category, const QString &fullName, const QString &firstName,
                     const QString &comments, int bounces, bool skipChecks, bool acknowledge);
    QString removeEntries(const QString &address, const QString &category, bool acknowledge);
    void acknowledge(const QString &address, const QString &sentence);
    QString sentence(const QString &start, const QString &category, const QString &ourEnding) const;
    void changeEachEntryOnce(const QString &oldAddress, const QString &newAddress, int &changed);
    void tell(const QString &text, bool interactive);
    static void checkStorableAddress(const QString &address);

    SqliteTable &m_table;
    Settings &m_settings;
    ActivityLog &m_log;
    ErrorsList &m_errors;
    UserPrompt &m_prompt;
    Acknowledger &m_acknowledger;
};

} // namespace corvane

// The list maintenance commands of the Edit menu and the list view's pop-up menu, free of widgets: delete
// the selected entries, move them to the blocked list, reset their bounce counts, grant or withdraw their
// sending rights, change their category, update an address; and the list-wide commands: reset every
// bounce count, merge all categories into "Default" while removing duplicate addresses, delete every
// entry, and find an entry. They work directly on the list table, without the request rules and without
// writing the activity log.
//
// The selection is a list of `Index` values in the list view's selection order; the window collects them.
// Each command runs inside the batch frame: busy cursor, the view hooks (the window freezes its grid and
// lets go of the table, then re-attaches, repaints and focuses), the category filter switched off while
// the command runs and restored afterwards, the progress window hidden at the end. The frame's restoration
// runs on every exit path. Every question and message goes through the UserPrompt.
#pragma once

#include "base/UserPrompt.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace corvane {

class AddressChangeAsker;
class EntryRules;
class ListMaintenanceFrame;
class Settings;
class SqliteTable;
class TdmML;

class ListMaintenance {
public:
    // How a command ended.
    enum class Outcome {
        NotRun,              // declined, nothing selected, or nothing to do
        Completed,           // every entry visited without a failure
        CompletedWithErrors, // every entry visited; some failed and were reported
        Stopped,             // ended early after a failure (reported) or at the person's request
    };

    // The window's own parts of the batch frame; unset hooks do nothing. `freeze` runs first (stop
    // repainting, detach the grid's model from the table), `thaw` last (re-attach, repaint, refresh,
    // restore the focus), also when the command fails.
    struct ViewHooks {
        std::function<void()> freeze;
        std::function<void()> thaw;
    };

    // Asks for the new category: the prompt text, the categories to offer and the box's starting text.
    // Returns the chosen text; empty on Cancel.
    using CategoryChooser =
        std::function<QString(const QString &prompt, const QStringList &categories, const QString &current)>;

    // One row of the "Find Record" dialog.
    struct FindTerm {
        bool ticked = false;
        QString choice; // a caption of the row's field choice, e.g. "E-mail" or "Full Name"
        QString text;
    };

    // Kinds of BatchProcess.
    static constexpr int kResetBounces = 1;
    static constexpr int kEnableSending = 2;
    static constexpr int kDisableSending = 3;

    static constexpr const char *kMarkerCategory = "Z_z_Z_z";

    ListMaintenance(TdmML &dm, Settings &settings, UserPrompt &prompt);

    void setViewHooks(ViewHooks hooks) { m_hooks = std::move(hooks); }

    // Makes the entry with this `Index` current (letter case and filter aside: an exact key match in the
    // table's current view). Raises CorvaneError "Er" when there is no such entry.
    void PositionDBAtNode(int index);

    // Asks "Are you sure you want to delete the N selected entries?" and deletes them. An entry already gone
    // counts as deleted. Any other failure is shown with the engine's message and ends the command;
    // entries deleted before it stay deleted. Nothing selected: beep only.
    Outcome DeleteSelected(const QList<int> &selection);
    // Asks whether to move the N selected entries to the never send list (also when none is selected, which
    // then does nothing); each entry's address goes to the blocked list in lower case (a second time when
    // already there) and the entry is deleted. A failing entry shows "Error moving record!" and the run goes
    // on. The blocked list is saved with the settings, by the caller.
    Outcome MoveToBlocked(const QList<int> &selection);
    // Kind 1 resets Bounces, 2 sets SendRights, 3 clears it, on each selected entry. A failing entry shows
    // "Error Encountered " + the kind's progress text and the run goes on. Nothing selected: beep only.
    // Raises CorvaneError for an unknown kind.
    Outcome BatchProcess(int kind, const QList<int> &selection);
    // The whole change-category command: beeps when nothing is selected; otherwise asks `choose` with the
    // prompt, the allowed categories and the category of the entry `focusedIndex` (empty when it cannot
    // be read), and applies a non-empty answer with SetCategory.
    Outcome ChangeCategory(const QList<int> &selection, const CategoryChooser &choose, int focusedIndex);
    // Gives each selected entry the category `category`, taken as typed: an entry already in it (letter
    // case ignored) stays as it is; an entry whose address already has an entry in `category` (both
    // compared ignoring letter case) is deleted; any other takes the new category. A failing entry shows
    // "Error changing category!" and the run goes on. Nothing selected: beep only; empty category: nothing.
    Outcome SetCategory(const QList<int> &selection, const QString &category);
    // Shows the address-change prompt for the address of the entry `focusedIndex` with an empty new address
    // and the "Ignore All Rules" box hidden; on OK the rules change every entry of that address. Beeps and
    // returns false when the entry cannot be found; otherwise true exactly when the person confirmed.
    bool UpdateEmailAddress(EntryRules &rules, AddressChangeAsker &asker, int focusedIndex);

    // Sets Bounces to 0 in every entry, filter off, without asking. The first failure shows "Error
    // resetting bounce counts!" and ends the walk; entries reset before it stay reset.
    Outcome ResetAllBounces();
    // Merges every category into "Default", keeping one entry per address (letter case counts): the last
    // entry already in "Default", else the oldest. Asks its two questions first unless `ask` is false. A
    // failing entry gets its category back and the person is asked whether to go on. Ends by committing,
    // restoring the order and the filter and flushing the database; a failure to commit or flush is shown
    // and gives Stopped. Completed only after a complete walk without failures.
    Outcome MergeCategories(bool ask = true);
    // Asks, then closes the list table, opens it exclusively, empties it, flushes, and opens it again in the
    // mode the database is configured for (DBExclusive). Any failure shows "Error empying your table!";
    // the table is then opened again in the configured mode when it can be (otherwise it stays closed).
    Outcome DeleteAllEntries();

    // Searches the entries of the table's current view (filter in force) from the first for one whose
    // fields chosen by the ticked terms match all their texts, ignoring letter case when `caseInsensitive`
    // and accepting a field that begins with the text when `partial`. Found: the table is positioned on it
    // and its Index is returned. Otherwise the current row is kept and a message says why: nothing to
    // search for, not found, or a failure (the engine's error).
    std::optional<int> Find(const QList<FindTerm> &terms, bool caseInsensitive, bool partial);

    // The field choices of the find rows: row 0 offers "Full Name" and "First Name", rows 1 and 2 "Name"
    // and "Salutation". The table field of a choice caption; empty for an unknown caption.
    static QStringList findChoices(int row);
    static QString findField(const QString &choice);

    static QString deleteQuestion(int count);
    static QString blockQuestion(int count);
    static QString categoryPrompt(int count);
    static QString batchText(int kind);
    static QString mergeQuestion();
    static QString mergeBackupQuestion();
    static QString mergeContinueQuestion();
    static QString deleteAllQuestion();

    // Entries deleted by the last MergeCategories, SetCategory or DeleteSelected run.
    int deletedCount() const { return m_deleted; }

private:
    bool confirm(const QString &text, UserPrompt::Button yes, UserPrompt::Button no);
    void report(const QString &text);
    bool needSelection(const QList<int> &selection);
    // Sets up the batch frame in `frame`; a failure is shown with the engine's message and gives false.
    bool openFrame(std::optional<ListMaintenanceFrame> &frame, bool primaryOrder);
    void progress(int position, int maximum, const QString &text);
    struct MergeStatements;
    struct MergeEntry;
    Outcome mergePass(SqliteTable &table);
    bool mergeEntry(MergeStatements &sql, const MergeEntry &entry, bool &markerWritten);
    bool recoverMergeFailure(MergeStatements &sql, const MergeEntry &entry, bool markerWritten);
    SqliteTable &table();

    TdmML &m_dm;
    Settings &m_settings;
    UserPrompt &m_prompt;
    ViewHooks m_hooks;
    int m_deleted = 0;
    int m_shownPercent = -1;
    QString m_shownText;
};

} // namespace corvane

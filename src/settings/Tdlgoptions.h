// The options dialog's behaviour, free of widgets. The dialog lives for the whole run; its settings controls
// edit the live Settings directly, and the few controls that show variables (OptionsMirror) are set by
// FormShow and committed by OK. OK runs its checks and saves everything; Cancel reloads the stored settings,
// which discards every edit of this showing. The window in settings/ui shows it and hands it its events.
#pragma once

#include "settings/OptionsEnabling.h"
#include "settings/RuleListEditing.h"

#include <QHash>
#include <QStringList>
#include <functional>

namespace corvane {

class DatabaseLink;
class EntryRules;
class Settings;
class SettingsStore;
class UserPrompt;

class Tdlgoptions {
public:
    // The pages in their order; the help context of a page is its index plus kFirstHelpContext.
    enum Page {
        General,
        Scanning,
        ListCategories,
        SendingMail,
        Acknowledge,
        UserSending,
        DeliveryFailure,
        Exceptions,
        Synonyms,
        Signature,
        PageCount
    };
    static constexpr int kFirstHelpContext = 302;
    static QStringList pageCaptions();

    // Shows the list editor with `lines` (one item per line); returns false on Cancel, else `lines` holds the
    // edited lines.
    using Editor = std::function<bool(QStringList &lines)>;

    // `rules` may be null (no database): the blocked-list rescan then does nothing.
    Tdlgoptions(Settings &settings, SettingsStore &store, DatabaseLink &db, UserPrompt &prompt, EntryRules *rules);

    Settings &settings() { return m_settings; }
    OptionsMirror mirror;
    // The page shown; "General" when the dialog is created.
    int currentPage = General;
    // The items of the default-category and alternative-category combo boxes.
    const QStringList &categoryItems() const { return m_categoryItems; }

    // Sets the mirrored controls from the variables and the category combo boxes from the allowed categories.
    void FormShow();
    // The enabled state of every control of the enabling table, for the current settings and controls.
    QHash<OptionsControl, bool> controlStates() const { return OptionsEnabling::states(m_settings, mirror); }

    // Edits one rule list with `editor`; on OK the edited lines replace the list, normalised for its kind.
    // Returns false on Cancel (nothing changes).
    bool EditEntries(RuleListKind kind, const Editor &editor);
    void UpdateCategoryListBoxes();
    // Edits the blocked list, then, when it is not empty, offers to remove its addresses from the list.
    void btnneverjoinClick(const Editor &editor);
    // Removes every blocked address from the list through the line-batch import in remove mode.
    void rescanBlockedAddresses();
    // The fixed To: address was left: an invalid address is kept only when the person says so.
    void defaulttoaddressExit();
    // The list address was left: blanks around it are dropped, and an address that could not head a mailing is
    // refused with a message saying why and cleared. Returns false when it was refused.
    bool listaddressExit();
    // OK: the two user-sending checks and the list address (each failing one shows its page and keeps the dialog
    // open while the later steps still run), then the commits and SaveEntries. True when the dialog may close.
    bool BitBtn1Click();
    // Cancel: every control and variable back from the stored settings and files.
    void BitBtn2Click();
    int helpContext() const { return currentPage + kFirstHelpContext; }

    // Timer1Timer: the names of the root folder's direct subfolders in the mail store, in the store's order.
    // Empty, without a message, when the store or its root folder cannot be reached.
    QStringList folderNames() const;

    // Applies "Limit caching of database records to:" to the grid (the main window's SetLoadAllRecords).
    std::function<void()> applyCaching;

    static QString userFolderMissingText();
    static QString sameFolderText(const QString &folder);
    static QString restartText();
    static QString rescanQuestion();
    static QString invalidToAddressQuestion(const QString &address);
    static QString blockedRemovalPrefix() { return QStringLiteral("Removal of Blocked addresses at "); }

private:
    Settings &m_settings;
    SettingsStore &m_store;
    DatabaseLink &m_db;
    UserPrompt &m_prompt;
    EntryRules *m_rules;
    QStringList m_categoryItems;
};

} // namespace corvane

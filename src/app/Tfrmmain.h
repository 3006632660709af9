// The main window's behaviour, free of widgets: start-up (application directory, debug switch, the data
// module, the first showing), the caption, the start-up and periodic scan timers, the database commands of
// the File menu, and the orderly shutdown. The window in app/ui shows it and hands it its events.
#pragma once

#include "app/ListView.h"
#include "requests/AcknowledgementMailer.h"
#include "requests/ErrorsList.h"
#include "requests/TfrmExtractentries.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

namespace corvane {

class UserPrompt;
class TdmML;
class Settings;
class SettingsStore;
class ActivityLog;
class ListMaintenance;
class EntryRules;
class AddressChangeAsker;
class MemberPostHandler;
class SenderMethodAsker;
class UserMessageForwarder;

class Tfrmmain : public QObject {
    Q_OBJECT

public:
    explicit Tfrmmain(UserPrompt &prompt, QObject *parent = nullptr);
    ~Tfrmmain() override;

    static QString applicationTitle() { return QStringLiteral("Corvane for Microsoft Outlook"); }
    // True when the first argument (program name excluded), upper-cased, is "/DEBUG".
    static bool isDebugArgument(const QStringList &arguments);

    // Window creation: the application directory, the help file and the debug switch.
    void FormCreate(const QStringList &arguments);
    // Creates the data module, which opens the database at once (it may ask questions first), and the
    // settings store that lives beside it.
    void createDataModule();

    // First showing: settings, grid layout, list view, caption, errors list, the first scan or the
    // periodic timer.
    void FormShow();

    // The caption: "Corvane Professional" and either "  DEBUG MODE", the database directory, or, while no
    // list table is open, noDatabaseCaption(). captionChanged() follows every call.
    void UpdateCaption();
    static QString noDatabaseCaption() {
        return QStringLiteral("  (No database open: choose File, Create/Open Mailing List DB...)");
    }
    // An address typed into the grid's E-mail column: the validity rules of "Update E-mail Address..."
    // (control characters refused, the standard rules and the exception list). A refused address is told
    // to the person with that command's message; false then.
    bool inlineAddressAccepted(const QString &address);
    // True while the data module exists and its list table is open.
    bool databaseOpen() const;
    QString caption() const { return m_caption; }

    // Re-applies the list filter, refreshes the count line and the caption. Errors are swallowed: the count
    // line keeps its text.
    void UpdateDisplay();
    QString countText() const { return m_listView.countText(); }

    // Arms the periodic scan when "Scan for new entries every" is ticked; otherwise leaves the timer alone.
    void CommenceTimer();
    // The scan timer's handler: scans when the main window is active, otherwise restarts the interval.
    void tmrGetEntriesTimer();
    // The scan command: timer off, scan, timer re-armed. With UserSending on and the mailing-list folder
    // also the user-message folder (same name exactly), one scan does both jobs; otherwise the requests
    // scan, then with UserSending the scan of the user-message folder. Nothing is scanned without a database.
    void btngetoutlookClick();
    // One scan (ProcessFolder) inside the list view's preparation for a modal window, through the scan
    // window when one is set; the tables are flushed afterwards (a failure is shown). Raises nothing.
    TfrmExtractentries::Summary ProcessFolder(bool requests, bool memberPosts);
    // Shows the scan window, which runs `scan` (OpenBtnClick with the two job flags) and returns its summary.
    // Unset (headless), the scan runs at once.
    std::function<TfrmExtractentries::Summary(TfrmExtractentries &scan, bool requests, bool memberPosts)>
        showScanWindow;
    // Asks whether to change the sender-address method; when unset, a confirmation through the prompt.
    SenderMethodAsker *senderMethodAsker = nullptr;
    // The forwarding of members' posts the scans use: the forwarder made with the data module; null
    // forwards nothing (every message is a request).
    MemberPostHandler *memberPostHandler = nullptr;
    // The summaries of the last scan command's scans, in order.
    const QList<TfrmExtractentries::Summary> &lastScans() const { return m_lastScans; }
    QTimer &tmrGetEntries() { return m_timer; }
    int scanCount() const { return m_scanCount; }

    // Runs one command of the window (a menu item, a button, a timer) through the command guard: what it
    // raises ends in the error box and the program runs on. True when it ended without raising.
    bool runCommand(const std::function<void()> &command);
    // Runs `command` inside the modal-window preparation of the list view, as every command that works on
    // the whole list does: the category filter is dropped and the grid stops following the table, and both
    // are restored afterwards, also when `command` raises (the failure then passes on).
    void runModal(const std::function<void()> &command);

    // Edit, "Update E-mail Address...": the address change for the entry with Index `focusedKey`, run
    // inside the modal-window preparation so that every entry of the address changes, whatever the filter
    // shows; the display is refreshed afterwards. Asks through `asker`; without such an entry it beeps.
    void mkUpdateAddressClick(AddressChangeAsker &asker, int focusedKey);

    // File menu database commands.
    void mkOpenDBClick();
    void mkreopenonclick(const QString &hint);
    // Edit, "Other", "Optimize Database...". Raises CorvaneError when the tables cannot be opened again
    // afterwards; the window runs it through runCommand, and the list view then shows no table. True when the
    // database was optimized; false when the person cancelled, no database is open, or it failed (told).
    bool mkOptimiseClick();

    // Shutdown. FormCloseQuery returns false when the close is cancelled.
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();

    bool debugMode() const { return m_debug; }
    QString applicationDirectory() const { return m_appDir; }
    QString helpFile() const { return m_helpFile; }
    TdmML *dataModule() const { return m_dm.get(); }
    Settings &settings() const { return *m_settings; }
    SettingsStore *settingsStore() const { return m_store.get(); }
    UserPrompt &prompt() const { return m_prompt; }
    // The request rules and what they write to: the activity log, the errors list, the acknowledgements.
    EntryRules &rules() const { return *m_rules; }
    ActivityLog &activityLog() const { return *m_log; }
    // The maintenance commands of the Edit menu.
    ListMaintenance &maintenance() const { return *m_maintenance; }
    ErrorsList &errorsList() { return m_errors; }
    // The list view: filter panel, count line, sorting, member cache, and the grid's rows.
    ListView &listView() { return m_listView; }
    ListViewModel &listModel() { return m_listView.model(); }

    // Hooks the window sets. Unset hooks do nothing, except `backUp` (below).
    std::function<bool()> isMainWindowActive;  // default: true
    std::function<void()> restoreLayout;       // grid layout from the settings store
    std::function<void()> saveLayout;          // grid layout to the settings store
    std::function<void()> applyLoadedSettings; // grid caching, editing and panel after Loadentries
    // Writes the back-up file without a completion message; raises CorvaneError on failure. Set to the
    // back-up file writer when the data module is created; without one a back-up on exit counts as failed,
    // so the person is asked.
    std::function<void()> backUp;

signals:
    void captionChanged(const QString &caption);
    void countTextChanged(const QString &text);
    void recentDatabasesChanged(const QStringList &directories);
    void scanStarted();
    // The data module and the commands that work on it exist now.
    void dataModuleCreated();

private:
    void scanForNewEntries();

    UserPrompt &m_prompt;
    QTimer m_timer;
    bool m_debug = false;
    QString m_appDir;
    QString m_helpFile;
    QString m_caption;
    int m_scanCount = 0;
    QList<TfrmExtractentries::Summary> m_lastScans;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<TdmML> m_dm;
    std::unique_ptr<SettingsStore> m_store;
    ListView m_listView;
    ErrorsList m_errors;
    std::unique_ptr<ActivityLog> m_log;
    std::unique_ptr<AcknowledgementMailer> m_acknowledger;
    std::unique_ptr<EntryRules> m_rules;
    std::unique_ptr<ListMaintenance> m_maintenance;
    std::unique_ptr<UserMessageForwarder> m_forwarder;
};

} // namespace corvane

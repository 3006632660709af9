// The list database module: owns the list table tblML ("mailist.DAT"), the statistics table tblStats
// ("mailstat.DAT") and the in-memory recipient table tblTemp ("TempTable") for the whole run, and finds,
// creates, opens (exclusive or shared), repairs, upgrades, optimizes and flushes the database, and keeps
// the list of recently opened database directories. Every question and message goes through the
// UserPrompt given at construction.
#pragma once

#include "base/DatabaseLink.h"
#include "base/UserPrompt.h"
#include "db/RecentDatabaseList.h"
#include "db/SqliteTable.h"
#include "db/TableRepair.h"

#include <QObject>
#include <QStringList>

namespace corvane {

class TdmML : public QObject, public DatabaseLink {
    Q_OBJECT

public:
    explicit TdmML(UserPrompt &prompt, QObject *parent = nullptr);
    ~TdmML() override;

    // Start-up: reads "recent.txt" and the settings DBPath, StrictChangeDetection (default false) and
    // DBExclusive (default true), opens the database named by DBPath and, when none was loaded, asks for a
    // directory (PromptToLoadDB). Failures of the recent list and the settings are ignored; any other
    // failure is shown as a warning. Never raises.
    void dmMLCreate();

    // Opens the database in the directory `path` (see DatabaseDirectory::resolve), offering to create one
    // when the directory has none; reports every failure itself, offering repair, upgrade or nothing when
    // the tables cannot be loaded, and repeats after a repair or an upgrade. When the tables fail in the
    // same way after a repair or upgrade as before it, the answer changed nothing: it says so and stops
    // instead of asking again. A table repaired on the way is reported (entries recovered, where the
    // damaged file was kept). Never raises.
    void OpenDatabase(const QString &path);
    // True when the last OpenDatabase found a database it could not open and gave up: the person declined
    // the repair or the offered remedies, or a remedy changed nothing. False after a success, and when the
    // directory held no database or the database was held by another user.
    bool openFailed() const { return m_openFailed; }
    // With consent on, a damaged table is repaired only after the person agreed to it (a confirmation);
    // otherwise, as the desktop program does, at once. The default for new modules (the command line
    // turns it on before its module is created) and the setting of this one.
    static void setRepairConsentByDefault(bool on);
    void setRepairConsent(bool on) { m_repairConsent = on; }
    // Asks for a database directory and opens it. False when the person cancelled or gave no directory.
    bool PromptToLoadDB();
    // A click on a recent-database entry: opens `dir` when it holds a database, else tells the person it
    // cannot be found. True when an opening was attempted (the list view should then be refreshed).
    bool ReopenRecent(const QString &dir);

    // True when `dir` holds "mailist.DAT" (letter case ignored).
    static bool databaseexistsindirectory(const QString &dir);
    static QString ResolveDirectory(const QString &path);

    // Creates in `dir` the list table (unless `statsOnly`) and the statistics table, each only when its
    // file does not exist. Raises CorvaneError; a file whose creation failed is removed.
    void CreateTables(const QString &dir, bool statsOnly);
    // CreateTables(dir, false), false instead of an exception.
    bool TryCreateTables(const QString &dir);

    // Repairs both tables of the current database directory (asking first when `ask`), reporting the
    // outcome in a message (per table the entries recovered and where the earlier file was kept); tables that were open
    // are opened again afterwards (raising CorvaneError when that fails).
    void RepairDatabase(bool ask);
    // Reclaims unused space in both tables (announcing it first when `ask`; Cancel abandons), reporting a
    // failure in a message. The views are detached meanwhile; the tables are opened again in every case
    // (raising CorvaneError when that fails). True only when both tables were optimized: false after
    // Cancel and after a failure (told by then).
    bool OptimiseDatabase(bool ask);
    // The upgrades of older list-table layouts, each asking first and reporting its own outcome.
    void UpgradeToFormat11();
    void UpgradeToFormat20();

    // Flushes both tables to disk (DatabaseLink). Raises CorvaneError.
    void SaveDatabase() override;
    // Closes tblML and tblStats (pending edits are discarded; post them first).
    void CloseDatabase();

    void AddPathToRecent(const QString &dir);
    // Announces the recent list (recentDatabasesChanged).
    void UpdateRecentList();
    QStringList RecentDatabases() const { return m_recent.entries(); }
    // Reads or writes "recent.txt" in the application directory; failures are ignored.
    void LoadRecentList();
    void SaveRecentList() const;

    // Creates (again) the empty in-memory recipient table; a failure is shown as a warning.
    void CreateTemporaryTables();
    // Closes and drops the recipient table; never fails.
    void DestroyTemporaryTables();

    bool DatabaseLoaded() const { return m_loaded; }
    // The resolved directory of the database last opened or attempted.
    QString databaseDirectory() const { return m_dir; }

    SqliteTable &tblML() { return m_tblML; }
    SqliteTable &tblStats() { return m_tblStats; }
    SqliteTable &tblTemp() { return m_tblTemp; }

    QString currentDBPath() const override { return m_dbPath; }
    void setCurrentDBPath(const QString &path) override { m_dbPath = path; }
    bool DBExclusive() const override { return m_exclusive; }
    void setDBExclusive(bool exclusive) override { m_exclusive = exclusive; }
    bool StrictChangeDetection() const override { return m_strict; }
    void setStrictChangeDetection(bool strict) override { m_strict = strict; }

signals:
    // The recent list changed (or was loaded): the "Recent Databases" menu is built from it.
    void recentDatabasesChanged(const QStringList &recent);
    // Around optimizing: views must let go of the tables, and may show them again.
    void tablesDetached();
    void tablesAttached();

private:
    enum class Attempt { Opened, Stopped, Failed, GaveUp };
    Attempt attemptOpen(const QString &path, QString &failure);
    void openTables();
    void OpenTableWithRepair(SqliteTable &table, const QString &file);
    void closeTables() noexcept;
    void upgradeStorageFormat();
    QStringList repairTables();
    QString repairReport(const QString &file, const TableRepair::Result &result) const;
    void optimizeFile(const QString &file, int offset);
    bool upgrade(bool toFormat20);
    SqliteDatabase::Access access() const;
    QString listFile() const;
    QString statsFile() const;
    void tell(UserPrompt::Kind kind, const QString &text);

    UserPrompt &m_prompt;
    SqliteTable m_tblML;
    SqliteTable m_tblStats;
    SqliteTable m_tblTemp;
    RecentDatabaseList m_recent;
    QString m_dbPath;
    QString m_dir;
    bool m_exclusive = true;
    bool m_strict = false;
    bool m_loaded = false;
    bool m_openFailed = false;
    bool m_repairConsent;
};

} // namespace corvane

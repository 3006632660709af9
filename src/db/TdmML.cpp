// The list database module: opening, creating, recent list, flushing and the recipient table. Repair,
// optimize and the layout upgrades are in TdmMLMaintenance.cpp.
#include "db/TdmML.h"

#include "base/AppPaths.h"
#include "base/BusyCursor.h"
#include "base/ProgressWindow.h"
#include "base/ProtectedFiles.h"
#include "base/StoredText.h"
#include "db/DatabaseDirectory.h"
#include "db/EngineError.h"
#include "db/TableRepair.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace corvane {

namespace {
const QString CreateQuestion =
    QStringLiteral("A database cannot be located in the directory, %1. Do you want to create a database here?");
const QString SharingMessage =
    QStringLiteral("Cannot open your mailing list database, another user has the table open already.  If you want to "
                   "be able to share your database, check the Database Sharing setting in Options on all your copies "
                   "of Corvane.");
const QString LoadErrorQuestion =
    QStringLiteral("An error was encountered trying to load your DB file: \r\n\r\n%1\r\n\r\nDo you want to attempt to "
                   "perform a repair it?\r\n\r\nIf you are upgrading from an earlier version of Corvane, please click "
                   "'Retry' to  upgrade it.");
} // namespace

TdmML::TdmML(UserPrompt &prompt, QObject *parent)
    : QObject(parent), m_prompt(prompt), m_tblML(TableSchema::listTable()), m_tblStats(TableSchema::statsTable()),
      m_tblTemp(TableSchema::tempTable()) {}

TdmML::~TdmML() {
    ProtectedFiles::release(this);
    closeTables();
    m_tblTemp.close();
}

void TdmML::tell(UserPrompt::Kind kind, const QString &text) {
    m_prompt.message(kind, text, UserPrompt::Ok);
}

void TdmML::dmMLCreate() {
    LoadRecentList();
    QString path;
    try {
        const auto settings = AppPaths::openSettings();
        path = settings->value(QStringLiteral("DBPath")).toString();
        m_strict = StoredText::toBool(settings->value(QStringLiteral("StrictChangeDetection")).toString(), false);
        m_exclusive = StoredText::toBool(settings->value(QStringLiteral("DBExclusive")).toString(), true);
    } catch (...) {
        // Unreadable settings leave the defaults.
    }
    // The configured directory is remembered even when it cannot be opened now, so that saving the
    // settings later does not replace it by the application directory.
    m_dbPath = path;
    try {
        OpenDatabase(path);
        if (!m_loaded) {
            PromptToLoadDB();
        }
    } catch (const CorvaneError &error) {
        tell(UserPrompt::Kind::Warning,
             QStringLiteral("An error was encountered opening your database: \r\n\r\n") + error.message());
    } catch (const std::exception &error) {
        tell(UserPrompt::Kind::Warning, QStringLiteral("An error was encountered opening your database: \r\n\r\n") +
                                            QString::fromLocal8Bit(error.what()));
    }
}

QString TdmML::ResolveDirectory(const QString &path) {
    return DatabaseDirectory::resolve(path);
}

bool TdmML::databaseexistsindirectory(const QString &dir) {
    return DatabaseDirectory::holdsFile(dir, DatabaseDirectory::listFileName());
}

SqliteDatabase::Access TdmML::access() const {
    return m_exclusive ? SqliteDatabase::Access::Exclusive : SqliteDatabase::Access::Shared;
}

QString TdmML::listFile() const {
    if (m_dir.isEmpty()) {
        throw CorvaneError(QStringLiteral("No database directory has been chosen"));
    }
    return DatabaseDirectory::filePath(m_dir, DatabaseDirectory::listFileName());
}

QString TdmML::statsFile() const {
    if (m_dir.isEmpty()) {
        throw CorvaneError(QStringLiteral("No database directory has been chosen"));
    }
    return DatabaseDirectory::filePath(m_dir, DatabaseDirectory::statsFileName());
}

void TdmML::OpenDatabase(const QString &path) {
    for (;;) {
        QString failure;
        if (attemptOpen(path, failure) != Attempt::Failed) {
            return;
        }
        const UserPrompt::Button answer = m_prompt.message(UserPrompt::Kind::Warning, LoadErrorQuestion.arg(failure),
                                                           UserPrompt::Yes | UserPrompt::No | UserPrompt::Retry);
        if (answer == UserPrompt::Yes) {
            RepairDatabase(false);
        } else if (answer == UserPrompt::Retry) {
            try {
                upgradeStorageFormat();
                UpgradeToFormat11();
                UpgradeToFormat20();
            } catch (...) {
                tell(UserPrompt::Kind::Warning, QStringLiteral("Error upgrading your table!"));
                return;
            }
        } else {
            return;
        }
    }
}

TdmML::Attempt TdmML::attemptOpen(const QString &path, QString &failure) {
    BusyCursor busy(m_prompt);
    // A relative directory is taken from the directory Corvane was started in, which it never changes.
    QString dir = ResolveDirectory(path);
    if (QDir::isRelativePath(dir)) {
        dir = AppPaths::fixpath(QDir::current().absoluteFilePath(dir), true);
    }
    if (!databaseexistsindirectory(dir)) {
        if (m_prompt.message(UserPrompt::Kind::Information, CreateQuestion.arg(dir),
                             UserPrompt::Yes | UserPrompt::No) != UserPrompt::Yes) {
            return Attempt::Stopped;
        }
        if (!TryCreateTables(dir)) {
            return Attempt::Stopped;
        }
    }
    m_loaded = false;
    try {
        m_dir = dir;
        if (!DatabaseDirectory::holdsFile(dir, DatabaseDirectory::statsFileName())) {
            CreateTables(dir, true);
        }
        closeTables();
        openTables();
        ProtectedFiles::protect(this, {listFile(), statsFile()});
    } catch (const CorvaneError &error) {
        closeTables();
        if (error.code() == EngineError::HeldByAnotherUser) {
            tell(UserPrompt::Kind::Warning, SharingMessage);
            return Attempt::Stopped;
        }
        failure = error.code() != 0
                      ? QStringLiteral("Unknown or unexpected database engine error # ") + QString::number(error.code())
                      : error.message();
        return Attempt::Failed;
    } catch (const std::exception &error) {
        closeTables();
        failure = QString::fromLocal8Bit(error.what());
        return Attempt::Failed;
    }
    AddPathToRecent(dir);
    m_dbPath = path;
    m_loaded = true;
    return Attempt::Opened;
}

void TdmML::openTables() {
    OpenTableWithRepair(m_tblML, listFile());
    OpenTableWithRepair(m_tblStats, statsFile());
}

void TdmML::OpenTableWithRepair(SqliteTable &table, const QString &file) {
    table.setStrictChangeDetection(m_strict);
    try {
        table.open(file, access());
    } catch (const CorvaneError &error) {
        if (!EngineError::isDamage(error.code())) {
            throw;
        }
        ProgressWindow::showprogress(m_prompt, true, 0, 100, QStringLiteral("Repairing table"), false);
        try {
            TableRepair::repair(file, table.schema(), {});
            table.open(file, access());
        } catch (...) {
            ProgressWindow::hideprogress(m_prompt);
            throw;
        }
        ProgressWindow::hideprogress(m_prompt);
    }
}

void TdmML::closeTables() noexcept {
    m_tblML.close();
    m_tblStats.close();
}

void TdmML::CloseDatabase() {
    closeTables();
}

bool TdmML::PromptToLoadDB() {
    // The dialog starts in the directory of the database last opened.
    QString dir = m_dir;
    if (!m_prompt.chooseDatabaseDirectory(dir) || dir.isEmpty()) {
        return false;
    }
    OpenDatabase(dir);
    return true;
}

bool TdmML::ReopenRecent(const QString &dir) {
    if (dir.isEmpty() || !databaseexistsindirectory(dir)) {
        tell(UserPrompt::Kind::Information,
             QStringLiteral("Corvane cannot locate this database.  Please use File|Open Database to load it."));
        return false;
    }
    try {
        OpenDatabase(dir);
    } catch (...) {
        tell(UserPrompt::Kind::Warning, QStringLiteral("Error opening your database"));
    }
    return true;
}

namespace {
// Creates `file` holding `schema`'s table when the file does not exist; removes it again when that fails.
void createTableFile(const QString &file, const TableSchema &schema) {
    if (QFileInfo::exists(file)) {
        return;
    }
    try {
        SqliteDatabase db;
        db.open(file, SqliteDatabase::Access::Shared, true);
        db.begin();
        db.exec(schema.createTableSql() + QLatin1Char(';') + schema.createIndexesSql());
        db.commit();
    } catch (...) {
        QFile::remove(file);
        QFile::remove(file + QStringLiteral("-journal"));
        throw;
    }
}
} // namespace

void TdmML::CreateTables(const QString &dir, bool statsOnly) {
    if (!statsOnly) {
        createTableFile(DatabaseDirectory::filePath(dir, DatabaseDirectory::listFileName()), TableSchema::listTable());
    }
    createTableFile(DatabaseDirectory::filePath(dir, DatabaseDirectory::statsFileName()), TableSchema::statsTable());
}

bool TdmML::TryCreateTables(const QString &dir) {
    try {
        CreateTables(dir, false);
        return true;
    } catch (...) {
        return false;
    }
}

void TdmML::SaveDatabase() {
    BusyCursor busy(m_prompt);
    m_tblML.flush();
    m_tblStats.flush();
}

void TdmML::AddPathToRecent(const QString &dir) {
    try {
        if (m_recent.add(dir)) {
            UpdateRecentList();
        }
    } catch (...) {
        // The recent list is a convenience; it never stops an opening.
    }
}

void TdmML::UpdateRecentList() {
    emit recentDatabasesChanged(m_recent.entries());
}

void TdmML::LoadRecentList() {
    try {
        const QString file = RecentDatabaseList::defaultFile();
        if (QFileInfo::exists(file)) {
            m_recent.load(file);
            UpdateRecentList();
        }
    } catch (...) {
        // An unreadable recent list starts empty.
    }
}

void TdmML::SaveRecentList() const {
    try {
        m_recent.save(RecentDatabaseList::defaultFile());
    } catch (...) {
        // Losing the recent list is not worth a message at shutdown.
    }
}

void TdmML::CreateTemporaryTables() {
    try {
        m_tblTemp.openInMemory();
    } catch (...) {
        tell(UserPrompt::Kind::Warning, QStringLiteral("An error was encountered creating your temporary tables!"));
    }
}

void TdmML::DestroyTemporaryTables() {
    m_tblTemp.close();
}

} // namespace corvane

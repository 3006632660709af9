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
const QString NoProgressMessage =
    QStringLiteral("Your mailing list database in %1 still cannot be opened:\r\n\r\n%2\r\n\r\nThe repair or upgrade "
                   "did not change this, so Corvane does not try again.");
const QString NotAFileMessage =
    QStringLiteral("Cannot open your mailing list database: %1 is not a file. Move it out of the way or choose "
                   "another directory.");
const QString RepairQuestion =
    QStringLiteral("The file %1 is damaged:\r\n\r\n%2\r\n\r\nDo you want to repair it? Every entry that can still "
                   "be read is copied into a fresh file, and the damaged file is kept beside it.");
const QString RepairDeclinedMessage =
    QStringLiteral("The damaged file %1 has not been repaired, so your mailing list database has not been opened.");

bool repairConsentByDefault = false;

// A damaged table whose repair the person declined.
struct RepairDeclined {
    QString file;
};
} // namespace

TdmML::TdmML(UserPrompt &prompt, QObject *parent)
    : QObject(parent), m_prompt(prompt), m_tblML(TableSchema::listTable()), m_tblStats(TableSchema::statsTable()),
      m_tblTemp(TableSchema::tempTable()), m_repairConsent(repairConsentByDefault) {}

void TdmML::setRepairConsentByDefault(bool on) {
    repairConsentByDefault = on;
}

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
    m_openFailed = false;
    QString previous;
    for (;;) {
        QString failure;
        const Attempt attempt = attemptOpen(path, failure);
        if (attempt != Attempt::Failed) {
            m_openFailed = attempt == Attempt::GaveUp;
            return;
        }
        if (!previous.isNull() && failure == previous) {
            // The question would come back word for word: the last answer made no difference.
            tell(UserPrompt::Kind::Warning, NoProgressMessage.arg(m_dir, failure));
            m_openFailed = true;
            return;
        }
        previous = failure;
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
                m_openFailed = true;
                return;
            }
        } else {
            m_openFailed = true;
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
    const QFileInfo listInfo(DatabaseDirectory::filePath(dir, DatabaseDirectory::listFileName()));
    if (listInfo.exists() && !listInfo.isFile()) {
        // A directory (or a device) of that name: nothing to create, repair or upgrade.
        m_dir = dir;
        tell(UserPrompt::Kind::Warning, NotAFileMessage.arg(listInfo.filePath()));
        return Attempt::GaveUp;
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
    } catch (const RepairDeclined &declined) {
        closeTables();
        tell(UserPrompt::Kind::Warning, RepairDeclinedMessage.arg(declined.file));
        return Attempt::GaveUp;
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
        if (m_repairConsent &&
            m_prompt.message(UserPrompt::Kind::Confirmation, RepairQuestion.arg(file, error.message()),
                             UserPrompt::Yes | UserPrompt::No) != UserPrompt::Yes) {
            throw RepairDeclined{file};
        }
        ProgressWindow::showprogress(m_prompt, true, 0, 100, QStringLiteral("Repairing table"), false);
        TableRepair::Result result;
        try {
            result = TableRepair::repair(file, table.schema(), {});
        } catch (...) {
            ProgressWindow::hideprogress(m_prompt);
            throw;
        }
        ProgressWindow::hideprogress(m_prompt);
        tell(UserPrompt::Kind::Information, repairReport(file, result));
        table.open(file, access());
    }
}

QString TdmML::repairReport(const QString &file, const TableRepair::Result &result) const {
    const bool list = QFileInfo(file).fileName().compare(DatabaseDirectory::listFileName(), Qt::CaseInsensitive) == 0;
    const QString what =
        list ? (result.rows == 1 ? QStringLiteral("entry") : QStringLiteral("entries"))
             : (result.rows == 1 ? QStringLiteral("day of statistics") : QStringLiteral("days of statistics"));
    if (result.damaged) {
        return QStringLiteral("%1 was damaged and has been repaired: %2 %3 could be recovered; whatever stood in the "
                              "damaged parts of the file is lost. The damaged file has been kept as %4.")
            .arg(file, QString::number(result.rows), what, result.keptAs);
    }
    return QStringLiteral("%1 has been rebuilt: all of its %2 %3 could be read. The file as it was before has been "
                          "kept as %4.")
        .arg(file, QString::number(result.rows), what, result.keptAs);
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

// The list maintenance commands on every entry: reset every bounce count, merge all categories into
// "Default" while removing duplicate addresses, and delete every entry.
#include "base/CorvaneError.h"
#include "base/ProgressWindow.h"
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"
#include "db/TableLock.h"
#include "db/TdmML.h"
#include "listio/ListMaintenance.h"
#include "listio/ListMaintenanceFrame.h"

namespace corvane {

namespace {
const QString kItem = QStringLiteral("Item");
const QString kCategory = QStringLiteral("Category");
const QString kDefault = QStringLiteral("Default");

void cancelQuietly(SqliteTable &table) noexcept {
    try {
        table.cancel();
    } catch (...) {
        // Nothing was pending.
    }
}
} // namespace

QString ListMaintenance::mergeQuestion() {
    return QStringLiteral(
        "This process will convert all of your categories to the 'Default' list category and remove all duplicate "
        "e-mail addresses.  It is recommended that you perform a back-up before using this feature!");
}

QString ListMaintenance::mergeBackupQuestion() {
    return QStringLiteral("Are you sure you have backed up and are ready to continue?");
}

QString ListMaintenance::mergeContinueQuestion() {
    return QStringLiteral("An error was encountered while processing.  Do you want to continue?");
}

QString ListMaintenance::deleteAllQuestion() {
    return QStringLiteral("This will delete all the entries in mailing list!  Are you sure you want to continue?");
}

ListMaintenance::Outcome ListMaintenance::ResetAllBounces() {
    SqliteTable &tbl = table();
    if (!tbl.isOpen()) {
        return Outcome::NotRun;
    }
    bool failed = false;
    {
        std::optional<ListMaintenanceFrame> frame;
        if (!openFrame(frame, true)) {
            return Outcome::Stopped;
        }
        try {
            for (tbl.first(); !tbl.eof(); tbl.next()) {
                if (tbl.integer(QStringLiteral("Bounces")) != 0) {
                    tbl.setField(QStringLiteral("Bounces"), 0);
                    tbl.post();
                }
            }
        } catch (const CorvaneError &) {
            cancelQuietly(tbl);
            failed = true;
        }
    }
    if (failed) {
        report(QStringLiteral("Error resetting bounce counts!"));
        return Outcome::Stopped;
    }
    return Outcome::Completed;
}

// The statements of the merge pass, prepared once on the list's connection. The walk reads the entries in
// insertion order in blocks, so that the changes of the pass never disturb a statement still reading.
struct ListMaintenance::MergeStatements {
    explicit MergeStatements(sqlite3 *db)
        : walk(db, QStringLiteral("SELECT rowid, Item, Category FROM tblML WHERE rowid > ?1 ORDER BY rowid LIMIT 512")),
          setCategory(db, QStringLiteral("UPDATE tblML SET Category = ?2 WHERE rowid = ?1")),
          findInDefault(db, QStringLiteral("SELECT 1 FROM tblML WHERE Item = ?1 AND Item = ?1 COLLATE BINARY AND "
                                           "Category = 'Default' COLLATE BINARY LIMIT 1")),
          remove(db, QStringLiteral("DELETE FROM tblML WHERE rowid = ?1")) {}

    void changeCategory(qint64 rowid, const QString &category) {
        setCategory.bindInt(1, rowid);
        setCategory.bindText(2, category);
        setCategory.execute();
    }

    SqliteStatement walk;
    SqliteStatement setCategory;
    SqliteStatement findInDefault;
    SqliteStatement remove;
};

struct ListMaintenance::MergeEntry {
    qint64 rowid = 0;
    QString item;
    QString category;
};

// One step of the merge on `entry`: the marker, the look-up of the address in "Default" (letter case
// counting in both), then either the deletion of the entry or its move to "Default". `markerWritten`
// tells the caller what to undo when this raises.
bool ListMaintenance::mergeEntry(MergeStatements &sql, const MergeEntry &entry, bool &markerWritten) {
    sql.changeCategory(entry.rowid, QString::fromLatin1(kMarkerCategory));
    markerWritten = true;
    bool found = false;
    {
        StatementReset guard(sql.findInDefault);
        sql.findInDefault.bindText(1, entry.item);
        found = sql.findInDefault.step();
    }
    if (found) {
        sql.remove.bindInt(1, entry.rowid);
        sql.remove.execute();
        ++m_deleted;
        return true;
    }
    sql.changeCategory(entry.rowid, kDefault);
    return false;
}

// After a failing merge step: gives the entry its category back when the marker was already written (so
// no entry is left in the marker category) and asks whether to go on. True when the walk is to go on.
bool ListMaintenance::recoverMergeFailure(MergeStatements &sql, const MergeEntry &entry, bool markerWritten) {
    if (markerWritten) {
        try {
            sql.changeCategory(entry.rowid, entry.category);
        } catch (const CorvaneError &) {
            // The entry keeps the marker; the question below still lets the person decide.
        }
    }
    return m_prompt.message(UserPrompt::Kind::Warning, mergeContinueQuestion(), UserPrompt::Yes | UserPrompt::No) ==
           UserPrompt::Yes;
}

// The merge over every entry in insertion order, inside the table lock. Gives the outcome of the walk.
ListMaintenance::Outcome ListMaintenance::mergePass(SqliteTable &tbl) {
    MergeStatements sql(tbl.database().handle());
    const int total = static_cast<int>(tbl.recordCount());
    Outcome outcome = Outcome::Completed;
    QList<MergeEntry> block;
    qint64 after = 0;
    int k = 0;
    for (;;) {
        block.clear();
        {
            StatementReset guard(sql.walk);
            sql.walk.bindInt(1, after);
            while (sql.walk.step()) {
                block.append({sql.walk.columnInt(0), sql.walk.columnText(1), sql.walk.columnText(2)});
            }
        }
        if (block.isEmpty()) {
            return outcome;
        }
        after = block.last().rowid;
        for (const MergeEntry &entry : std::as_const(block)) {
            progress(++k, total, QStringLiteral("Merging Entries"));
            bool markerWritten = false;
            try {
                mergeEntry(sql, entry, markerWritten);
            } catch (const CorvaneError &) {
                outcome = Outcome::CompletedWithErrors;
                if (!recoverMergeFailure(sql, entry, markerWritten)) {
                    return Outcome::Stopped;
                }
            }
        }
    }
}

ListMaintenance::Outcome ListMaintenance::MergeCategories(bool ask) {
    m_deleted = 0;
    if (ask) {
        if (!confirm(mergeQuestion(), UserPrompt::Ok, UserPrompt::Cancel) ||
            !confirm(mergeBackupQuestion(), UserPrompt::Yes, UserPrompt::No)) {
            return Outcome::NotRun;
        }
    }
    SqliteTable &tbl = table();
    if (!tbl.isOpen()) {
        return Outcome::NotRun;
    }
    Outcome outcome = Outcome::Completed;
    auto flush = [this, &outcome] {
        try {
            m_dm.SaveDatabase();
        } catch (const CorvaneError &e) {
            report(e.message());
            outcome = Outcome::Stopped;
        }
    };
    try {
        ListMaintenanceFrame frame(tbl, m_prompt, m_hooks.freeze, m_hooks.thaw, true);
        TableLock lock(tbl);
        outcome = mergePass(tbl);
        tbl.changedDirectly();
        lock.release();
    } catch (const CorvaneError &e) {
        report(e.message());
        outcome = Outcome::Stopped;
    } catch (...) {
        flush();
        throw;
    }
    flush();
    return outcome;
}

ListMaintenance::Outcome ListMaintenance::DeleteAllEntries() {
    if (!confirm(deleteAllQuestion(), UserPrompt::Yes, UserPrompt::No)) {
        return Outcome::NotRun;
    }
    SqliteTable &tbl = table();
    const QString failure = QStringLiteral("Error empying your table!");
    if (!tbl.isOpen()) {
        report(failure);
        return Outcome::Stopped;
    }
    const QString file = tbl.database().path();
    const SqliteDatabase::Access configured =
        m_dm.DBExclusive() ? SqliteDatabase::Access::Exclusive : SqliteDatabase::Access::Shared;
    std::optional<ListMaintenanceFrame> frame;
    if (!openFrame(frame, false)) {
        return Outcome::Stopped;
    }
    try {
        tbl.close();
        tbl.open(file, SqliteDatabase::Access::Exclusive);
        tbl.emptyTable();
        m_dm.SaveDatabase();
        if (configured != SqliteDatabase::Access::Exclusive) {
            tbl.close();
            tbl.open(file, configured);
        }
    } catch (const CorvaneError &) {
        if (!tbl.isOpen() || tbl.database().access() != configured) {
            try {
                tbl.open(file, configured);
            } catch (const CorvaneError &) {
                // The list stays closed; opening the database again is the way back.
            }
        }
        frame->restore();
        report(failure);
        return Outcome::Stopped;
    }
    return Outcome::Completed;
}

} // namespace corvane

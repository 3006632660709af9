// The list maintenance commands on every entry: reset every bounce count, merge all categories into
// "Default" while removing duplicate addresses, and delete every entry.
#include "base/CorvaneError.h"
#include "base/ProgressWindow.h"
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

// One step of the merge on the current entry: marker, look-up of the address in "Default", then either
// deletion (the next entry becomes current) or the move to "Default" and on to the next entry. `index`,
// `category` and `markerWritten` tell the caller what to undo when this raises.
bool ListMaintenance::mergeEntry(SqliteTable &tbl, int &index, QString &category, bool &markerWritten) {
    index = tbl.integer(QStringLiteral("Index"));
    category = tbl.text(kCategory);
    const QString address = tbl.text(kItem);
    tbl.setField(kCategory, QString::fromLatin1(kMarkerCategory));
    tbl.post();
    markerWritten = true;
    if (tbl.locate(QStringLiteral("Item;Category"), QVariantList{address, kDefault}, false)) {
        PositionDBAtNode(index);
        tbl.deleteRecord();
        ++m_deleted;
        return true;
    }
    tbl.setField(kCategory, kDefault);
    tbl.post();
    tbl.next();
    return false;
}

// After a failing merge step: drops the pending edit, gives the entry its category back when the marker
// was already written (so no entry is left in the marker category), and asks whether to go on. True, with
// the entry after the failing one current, when the walk is to go on.
bool ListMaintenance::recoverMergeFailure(SqliteTable &tbl, int index, const QString &category, bool markerWritten) {
    cancelQuietly(tbl);
    if (markerWritten) {
        try {
            PositionDBAtNode(index);
            tbl.setField(kCategory, category);
            tbl.post();
        } catch (const CorvaneError &) {
            cancelQuietly(tbl);
        }
    }
    if (m_prompt.message(UserPrompt::Kind::Warning, mergeContinueQuestion(), UserPrompt::Yes | UserPrompt::No) !=
        UserPrompt::Yes) {
        return false;
    }
    if (index == 0) {
        return false;
    }
    try {
        PositionDBAtNode(index);
        tbl.next();
    } catch (const CorvaneError &) {
        // Without the failing entry there is no place to go on from.
        return false;
    }
    return true;
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
        const int total = static_cast<int>(tbl.recordCount());
        TableLock lock(tbl);
        tbl.first();
        int k = 0;
        while (!tbl.eof()) {
            ++k;
            progress(k, total, QStringLiteral("Merging Entries"));
            int index = 0;
            QString category;
            bool markerWritten = false;
            try {
                mergeEntry(tbl, index, category, markerWritten);
            } catch (const CorvaneError &) {
                outcome = Outcome::CompletedWithErrors;
                if (!recoverMergeFailure(tbl, index, category, markerWritten)) {
                    outcome = Outcome::Stopped;
                    break;
                }
            }
        }
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

// The list database module's maintenance: repair, optimize and the layout upgrades, with their questions,
// messages and progress.
#include "base/BusyCursor.h"
#include "base/ProgressWindow.h"
#include "db/DatabaseDirectory.h"
#include "db/EngineError.h"
#include "db/TableLayout.h"
#include "db/TableRepair.h"
#include "db/TdmML.h"

#include <QFileInfo>

namespace corvane {

namespace {
// VACUUM runs about 400 virtual-machine instructions per page of the file; the gauge is scaled by that.
constexpr qint64 VacuumInstructionsPerPage = 400;
constexpr int ProgressInterval = 1000;

const QString WaitMessage =
    QStringLiteral("This process may take several minutes on a large database, during which you will see nothing in "
                   "the taskbar.  Please wait until you are advised that the process is complete!  Do not run Corvane "
                   "again!");
} // namespace

void TdmML::RepairDatabase(bool ask) {
    if (ask && m_prompt.message(UserPrompt::Kind::Confirmation,
                                QStringLiteral("Do you want to repair your database to fix any corruption caused by an "
                                               "incomplete system shutdown?"),
                                UserPrompt::Yes | UserPrompt::No) != UserPrompt::Yes) {
        return;
    }
    const bool wasOpen = m_tblML.isOpen() || m_tblStats.isOpen();
    {
        BusyCursor busy(m_prompt);
        closeTables();
        try {
            const QStringList reports = repairTables();
            ProgressWindow::hideprogress(m_prompt);
            tell(UserPrompt::Kind::Information, QStringLiteral("Repair of your database has been completed!") +
                                                    QStringLiteral("\r\n\r\n") + reports.join(QStringLiteral("\r\n")));
        } catch (...) {
            ProgressWindow::hideprogress(m_prompt);
            tell(UserPrompt::Kind::Warning, QStringLiteral("An error was encountered whilst repairing your database!"));
        }
    }
    if (wasOpen) {
        openTables();
    }
}

QStringList TdmML::repairTables() {
    const auto progress = [this](int offset) {
        return [this, offset](int percent) {
            ProgressWindow::showprogress(m_prompt, true, offset + percent, 200, QStringLiteral("Repairing Database"),
                                         false);
        };
    };
    QStringList reports{
        repairReport(listFile(), TableRepair::repair(listFile(), TableSchema::listTable(), progress(0)))};
    if (QFileInfo::exists(statsFile())) {
        reports.append(
            repairReport(statsFile(), TableRepair::repair(statsFile(), TableSchema::statsTable(), progress(100))));
    } else {
        CreateTables(m_dir, true);
    }
    return reports;
}

bool TdmML::OptimiseDatabase(bool ask) {
    if (ask && m_prompt.message(UserPrompt::Kind::Information,
                                QStringLiteral("Your database will now be optimized to reclaim unused disk space!"),
                                UserPrompt::Ok | UserPrompt::Cancel) != UserPrompt::Ok) {
        return false;
    }
    const bool wasOpen = m_tblML.isOpen() || m_tblStats.isOpen();
    emit tablesDetached();
    BusyCursor busy(m_prompt);
    closeTables();
    const auto warnFailed = [this] {
        tell(UserPrompt::Kind::Warning,
             QStringLiteral("An error was encountered while optimizing your database, it may "
                            "be active on another user's system."));
    };
    bool optimized = false;
    try {
        optimizeFile(listFile(), 0);
        optimizeFile(statsFile(), 100);
        optimized = true;
    } catch (const CorvaneError &error) {
        // Damage found by the check is noted, so opening the tables again below offers the repair.
        if (!EngineError::isDamage(error.code())) {
            warnFailed();
        }
    } catch (...) {
        warnFailed();
    }
    try {
        if (wasOpen) {
            openTables();
        }
    } catch (...) {
        emit tablesAttached();
        ProgressWindow::hideprogress(m_prompt);
        throw;
    }
    emit tablesAttached();
    ProgressWindow::hideprogress(m_prompt);
    return optimized;
}

void TdmML::optimizeFile(const QString &file, int offset) {
    SqliteDatabase db;
    db.open(file, access(), false);
    const qint64 expected = std::max<qint64>(1, db.queryInt(QStringLiteral("PRAGMA page_count"), 1) *
                                                    VacuumInstructionsPerPage / ProgressInterval);
    qint64 ticks = 0;
    int shown = -1;
    const auto show = [this, offset, &shown](int percent) {
        if (percent != shown) {
            shown = percent;
            ProgressWindow::showprogress(m_prompt, true, offset + percent, 200, QStringLiteral("Optimizing Database"),
                                         false);
        }
    };
    show(0);
    // Optimizing is where the whole file is read anyway: the structural check runs first.
    db.checkIntegrity();
    db.setProgressHandler(ProgressInterval,
                          [&] { show(static_cast<int>(std::min<qint64>(99, ++ticks * 100 / expected))); });
    db.exec(QStringLiteral("VACUUM"));
    db.setProgressHandler(0, nullptr);
    show(100);
}

void TdmML::upgradeStorageFormat() {
    // SQLite keeps one storage format for all its files, so there is nothing to convert; the step makes
    // sure that the file is one SQLite can read before the layouts are looked at.
    m_tblML.close();
    SqliteDatabase db;
    db.open(listFile(), access(), false);
    TableLayout::detect(db);
}

void TdmML::UpgradeToFormat11() {
    upgrade(false);
}

void TdmML::UpgradeToFormat20() {
    upgrade(true);
}

bool TdmML::upgrade(bool toFormat20) {
    const QString question =
        toFormat20
            ? QStringLiteral("You are about to upgrade your table to 2.0 Format.\r\n\r\n  This could cause all of "
                             "the contents of your mailing list database to be lost.  Are you sure you want to "
                             "continue?\r\n\r\nIf you have not backed up your database then click 'No'!")
            : QStringLiteral("You are about to upgrade your table to 1.1 Format.\r\n\r\nThis could cause all of "
                             "the contents of your mailing list database to be lost.  Are you sure you want to "
                             "continue?\r\n\r\nIf you have not backed up your database then click 'No'!");
    if (m_prompt.message(UserPrompt::Kind::Warning, question, UserPrompt::Yes | UserPrompt::No) != UserPrompt::Yes) {
        return false;
    }
    tell(UserPrompt::Kind::Information, WaitMessage);
    bool done = false;
    {
        BusyCursor busy(m_prompt);
        try {
            m_tblML.close();
            SqliteDatabase db;
            db.open(listFile(), access(), false);
            if (toFormat20) {
                TableLayout::upgradeTo20(db);
            } else {
                TableLayout::upgradeTo11(db);
            }
            done = true;
        } catch (...) {
            done = false;
        }
    }
    if (done) {
        tell(UserPrompt::Kind::Information,
             toFormat20 ? QStringLiteral("Table Upgraded!") : QStringLiteral("Table Upgraded to v1.1!"));
    } else {
        tell(UserPrompt::Kind::Warning, toFormat20 ? QStringLiteral("Upgrade to v2.0 was not completed!")
                                                   : QStringLiteral("Upgrade to v1.1 was not completed!"));
    }
    return done;
}

} // namespace corvane

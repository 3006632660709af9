// The list maintenance commands of corvane-cli.
#include "cli/CliMaintenanceCommands.h"

#include "app/Tfrmmain.h"
#include "cli/CliContext.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "listio/ListMaintenance.h"

namespace corvane {

QString CliMaintenanceCommands::usage() {
    return QStringLiteral("  merge [--yes]             merge all categories into Default and remove duplicate\n"
                          "                            addresses (asks twice first; --yes skips the questions)\n"
                          "  reset-bounces             set the bounce count of every entry to 0\n");
}

int CliMaintenanceCommands::merge(CliContext &context, const QStringList &arguments) {
    bool ask = true;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--yes")) {
            ask = false;
        } else {
            context.fail(QStringLiteral("merge: unexpected argument ") + argument);
            return 2;
        }
    }
    if (!context.requireDatabase()) {
        return 1;
    }
    TdmML &dm = *context.main.dataModule();
    ListMaintenance maintenance(dm, context.main.settings(), context.prompt);
    const qint64 before = dm.tblML().recordCount();
    const ListMaintenance::Outcome outcome = maintenance.MergeCategories(ask);
    if (outcome == ListMaintenance::Outcome::NotRun) {
        context.fail(QStringLiteral("merge cancelled"));
        return 1;
    }
    const qint64 after = dm.tblML().isOpen() ? dm.tblML().recordCount() : before - maintenance.deletedCount();
    context.print(QStringLiteral("Entries before: %1").arg(before));
    context.print(QStringLiteral("Duplicates removed: %1").arg(maintenance.deletedCount()));
    context.print(QStringLiteral("Entries after: %1").arg(after));
    if (outcome != ListMaintenance::Outcome::Completed) {
        context.fail(QStringLiteral("merge did not complete"));
        return 1;
    }
    return 0;
}

int CliMaintenanceCommands::resetBounces(CliContext &context, const QStringList &arguments) {
    if (!arguments.isEmpty()) {
        context.fail(QStringLiteral("reset-bounces takes no arguments"));
        return 2;
    }
    if (!context.requireDatabase()) {
        return 1;
    }
    ListMaintenance maintenance(*context.main.dataModule(), context.main.settings(), context.prompt);
    return maintenance.ResetAllBounces() == ListMaintenance::Outcome::Completed ? 0 : 1;
}

} // namespace corvane

// The folder scan on the command line.
#include "cli/CliScanCommand.h"

#include "app/Tfrmmain.h"
#include "cli/CliContext.h"
#include "db/TdmML.h"
#include "requests/ErrorsList.h"
#include "settings/Settings.h"

#include <QFileInfo>

namespace corvane {

QString CliScanCommand::usage() {
    return QStringLiteral(
        "  scan [--folder NAME]      handle the requests waiting in the mailing-list folder (NAME for\n"
        "                            this run) and, with UserSending on, forward members' posts;\n"
        "                            exits with 1 when the folder cannot be reached\n");
}

int CliScanCommand::scan(CliContext &context, const QStringList &arguments) {
    QString folder;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--folder") && i + 1 < arguments.size() && folder.isNull()) {
            folder = arguments.at(++i);
        } else {
            context.fail(QStringLiteral("usage: scan [--folder NAME]"));
            return 2;
        }
    }
    if (!context.requireDatabase())
        return 1;
    Tfrmmain &main = context.main;
    // The settings were loaded before the command ran (a command never runs on settings it could not read).
    Settings &settings = main.settings();
    if (QFileInfo::exists(ErrorsList::fileName()) && !main.errorsList().LoadFromFile()) {
        context.fail(QStringLiteral("cannot read ") + ErrorsList::fileName());
        return 1;
    }
    const QString storedList = settings.MailingListGroup;
    const QString storedMembers = settings.UserSendingFolder;
    if (!folder.isNull()) {
        if (settings.UserSendingFolder == settings.MailingListGroup)
            settings.UserSendingFolder = folder;
        settings.MailingListGroup = folder;
    }
    main.showScanWindow = [&context](TfrmExtractentries &scan, bool requests, bool memberPosts) {
        scan.onMessage = context.print;
        return scan.OpenBtnClick(requests, memberPosts);
    };
    main.btngetoutlookClick();
    main.showScanWindow = nullptr;
    settings.MailingListGroup = storedList;
    settings.UserSendingFolder = storedMembers;
    // The rules may have extended the blocked list and the errors list, the sender prompt the settings.
    context.settingsChanged = true;
    context.errorsChanged = true;

    TfrmExtractentries::Summary total;
    bool failed = false;
    for (const TfrmExtractentries::Summary &one : main.lastScans()) {
        total.examined += one.examined;
        total.handled += one.handled;
        total.forwarded += one.forwarded;
        total.bouncesProcessed += one.bouncesProcessed;
        failed = failed || one.result == TfrmExtractentries::Result::FolderUnreachable ||
                 one.result == TfrmExtractentries::Result::Failed;
    }
    context.print(QStringLiteral("Examined %1, handled %2, forwarded %3, bounces processed %4")
                      .arg(total.examined)
                      .arg(total.handled)
                      .arg(total.forwarded)
                      .arg(total.bouncesProcessed));
    return failed ? 1 : 0;
}

} // namespace corvane

// The mail store's folder tree on the command line.
#include "cli/CliMailCommands.h"

#include "app/Tfrmmain.h"
#include "base/CorvaneError.h"
#include "cli/CliContext.h"
#include "mailstore/MailFolder.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailNamespace.h"
#include "send/MailStoreSettings.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

namespace corvane {

QString CliMailCommands::usage() {
    return QStringLiteral("  folders                   the mail store's folders with their item and unread counts\n");
}

int CliMailCommands::folders(CliContext &context, const QStringList &arguments) {
    if (!arguments.isEmpty()) {
        context.fail(QStringLiteral("folders takes no arguments"));
        return 2;
    }
    try {
        const MailStoreApplication store = MailStoreSettings::application(context.main.settings());
        context.print(QStringLiteral("Mail store: ") + store.storeRoot());
        printFolders(context, store.GetNameSpace(QStringLiteral("MAPI")).Folders(), 0);
    } catch (const CorvaneError &error) {
        context.fail(error.message());
        return 1;
    }
    return 0;
}

void CliMailCommands::printFolders(CliContext &context, const MailFolders &folders, int level) {
    for (int i = 1; i <= folders.Count(); ++i) {
        const MailFolder folder = folders.Item(i);
        QString line = QString(2 * level, QLatin1Char(' ')) + folder.name();
        if (folder.DefaultItemType() == 2) {
            line += QStringLiteral("\tcontacts ") + QString::number(folder.Items().Count());
        } else if (folder.key().has_value()) {
            line += QStringLiteral("\titems ") + QString::number(folder.Items().Count()) + QStringLiteral("\tunread ") +
                    QString::number(folder.UnReadItemCount());
        }
        context.print(line);
        printFolders(context, folder.Folders(), level + 1);
    }
}

} // namespace corvane

// The mail store's folder tree on the command line.
#include "cli/CliMailCommands.h"

#include "app/Tfrmmain.h"
#include "base/CorvaneError.h"
#include "cli/CliContext.h"
#include "mailstore/MailFolder.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailNamespace.h"
#include "requests/AddressRoutines.h"
#include "send/MailStoreSettings.h"
#include "send/SMTPConnection.h"
#include "send/SMTPMailbox.h"
#include "send/TPostMessage.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

namespace corvane {

QString CliMailCommands::usage() {
    return QStringLiteral("  folders                   the mail store's folders with their item and unread counts\n"
                          "  smtp-test ADDRESS         send one test message through the SMTP settings, printing\n"
                          "                            the dialogue with the server\n");
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

int CliMailCommands::smtpTest(CliContext &context, const QStringList &arguments) {
    if (arguments.size() != 1 || arguments.first().startsWith(QLatin1String("--"))) {
        context.fail(QStringLiteral("usage: smtp-test ADDRESS"));
        return 2;
    }
    // Both addresses go into SMTP commands: only addresses that pass the validity check are sent.
    auto invalid = [](const QString &address) {
        const AddressRoutines::Validity validity = AddressRoutines::validemailaddress(address);
        return validity.valid
                   ? QString()
                   : QStringLiteral("\"%1\" is not a valid e-mail address: %2")
                         .arg(SMTPMailbox::visible(address), AddressRoutines::GetEmailErrorCode(validity.code));
    };
    if (const QString problem = invalid(arguments.first()); !problem.isEmpty()) {
        context.fail(QStringLiteral("smtp-test: ") + problem);
        return 2;
    }
    Settings &settings = context.main.settings();
    if (settings.SMTPHost.trimmed().isEmpty()) {
        context.fail(QStringLiteral("no SMTP host is set (settings set SMTPHost NAME)"));
        return 1;
    }
    if (settings.SMTPEmail.isEmpty()) {
        context.fail(QStringLiteral("no SMTP sender address is set (settings set SMTPEmail ADDRESS)"));
        return 1;
    }
    if (const QString problem = invalid(settings.SMTPEmail); !problem.isEmpty()) {
        context.fail(QStringLiteral("the SMTP sender address (SMTPEmail) ") + problem);
        return 1;
    }
    SMTPConnection connection(settings, context.prompt);
    connection.setSendLog([&context](const QString &line) { context.print(line); });
    connection.setSendError([&context](const QString &text) { context.fail(text); });
    QObject::connect(&connection.client(), &TNMSMTP::dialogue, [&context](const QByteArray &line, bool sent) {
        context.print((sent ? QStringLiteral("C: ") : QStringLiteral("S: ")) + QString::fromUtf8(line).trimmed());
    });
    TPostMessage &message = connection.message();
    message.ToAddress = QStringList{arguments.first()};
    message.Subject = QStringLiteral("Corvane SMTP test");
    message.Body = QStringList{QStringLiteral("This test message was sent by corvane-cli smtp-test.")};
    if (!connection.SMTPConnect()) {
        return 1;
    }
    const bool sent = connection.SendSMTPMail(false);
    connection.SMTPDisconnect();
    return sent ? 0 : 1;
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

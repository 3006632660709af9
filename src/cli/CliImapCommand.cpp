// Trying the IMAP account step by step.
#include "cli/CliImapCommand.h"

#include "app/Tfrmmain.h"
#include "base/CorvaneError.h"
#include "cli/CliContext.h"
#include "mailstore/ImapPassword.h"
#include "mailstore/ImapStore.h"
#include "send/MailStoreSettings.h"
#include "settings/Settings.h"

namespace corvane {

namespace {

QString securityText(ImapAccount::Security security) {
    switch (security) {
    case ImapAccount::Security::Tls:
        return QStringLiteral("TLS on connect");
    case ImapAccount::Security::StartTls:
        return QStringLiteral("STARTTLS");
    case ImapAccount::Security::None:
        break;
    }
    return QStringLiteral("no encryption");
}

} // namespace

QString CliImapCommand::usage() {
    return QStringLiteral("  imap-test                 connect to the IMAP account of the settings, log in, list its\n"
                          "                            folders and log out, printing each step\n");
}

int CliImapCommand::imapTest(CliContext &context, const QStringList &arguments) {
    if (!arguments.isEmpty()) {
        context.fail(QStringLiteral("imap-test takes no arguments"));
        return 2;
    }
    try {
        const Settings &settings = context.main.settings();
        ImapAccount account = MailStoreSettings::imapAccount(settings);
        context.print(QStringLiteral("Server: %1 port %2 (%3)")
                          .arg(account.host)
                          .arg(account.effectivePort())
                          .arg(securityText(account.security)));
        QString source;
        if (!qEnvironmentVariable("CORVANE_IMAP_PASSWORD").isEmpty())
            source = QStringLiteral("CORVANE_IMAP_PASSWORD");
        else if (!settings.IMAPPasswordFile.trimmed().isEmpty())
            source = QStringLiteral("the file ") + settings.IMAPPasswordFile.trimmed();
        else
            source = QStringLiteral("the desktop's secret store");
        account.password = ImapPassword::lookup(settings.IMAPPasswordFile, account.user, account.host);
        context.print(QStringLiteral("User: %1, password %2 (from %3)")
                          .arg(account.user, ImapPassword::masked(account.password), source));
        ImapStore store(account);
        store.connection().ensureConnected();
        if (account.security != ImapAccount::Security::None)
            context.print(QStringLiteral("Certificate accepted: ") + store.connection().certificateTrust());
        context.print(QStringLiteral("Logged in as ") + account.user);
        const QStringList keys = store.allFolderKeys();
        context.print(
            QStringLiteral("Folders (%1, separator \"%2\"):").arg(keys.size()).arg(store.connection().separator()));
        QStringList specials;
        for (const QString &name : store.childFolders(QString())) {
            const QString key = store.childKey(QString(), name);
            if (key != name)
                specials.append(name + QStringLiteral(" = ") + key);
        }
        for (const QString &key : keys)
            context.print(QStringLiteral("  ") + key);
        for (const QString &special : specials)
            context.print(QStringLiteral("Special-use folder: ") + special);
        store.connection().disconnect();
        context.print(QStringLiteral("Logged out"));
    } catch (const CorvaneError &error) {
        context.fail(error.message());
        return 1;
    }
    return 0;
}

} // namespace corvane

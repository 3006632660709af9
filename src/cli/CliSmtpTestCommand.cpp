// The SMTP test of the command line: connect, log in, optionally send a test message, quit.
#include "cli/CliSmtpTestCommand.h"

#include "app/Tfrmmain.h"
#include "cli/CliContext.h"
#include "requests/AddressRoutines.h"
#include "send/SMTPConnection.h"
#include "send/SMTPMailbox.h"
#include "send/TNMSMTP.h"
#include "send/TPostMessage.h"
#include "settings/Settings.h"

namespace corvane {

QString CliSmtpTestCommand::usage() {
    return QStringLiteral("  smtp-test [ADDRESS]       connect to the SMTP server of the settings (SMTPSecurity,\n"
                          "                            SMTPUser), log in, send one test message to ADDRESS when\n"
                          "                            given, and quit, printing the dialogue with the server\n");
}

int CliSmtpTestCommand::run(CliContext &context, const QStringList &arguments) {
    if (arguments.size() > 1 || (!arguments.isEmpty() && arguments.first().startsWith(QLatin1String("--")))) {
        context.fail(QStringLiteral("usage: smtp-test [ADDRESS]"));
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
    const QString recipient = arguments.value(0);
    if (const QString problem = recipient.isEmpty() ? QString() : invalid(recipient); !problem.isEmpty()) {
        context.fail(QStringLiteral("smtp-test: ") + problem);
        return 2;
    }
    Settings &settings = context.main.settings();
    if (settings.SMTPHost.trimmed().isEmpty()) {
        context.fail(QStringLiteral("no SMTP host is set (settings set SMTPHost NAME)"));
        return 1;
    }
    if (!recipient.isEmpty() && settings.SMTPEmail.isEmpty()) {
        context.fail(QStringLiteral("no SMTP sender address is set (settings set SMTPEmail ADDRESS)"));
        return 1;
    }
    if (const QString problem = recipient.isEmpty() ? QString() : invalid(settings.SMTPEmail); !problem.isEmpty()) {
        context.fail(QStringLiteral("the SMTP sender address (SMTPEmail) ") + problem);
        return 1;
    }
    SMTPConnection connection(settings, context.prompt);
    connection.setSendLog([&context](const QString &line) { context.print(line); });
    connection.setSendError([&context](const QString &text) { context.fail(text); });
    QObject::connect(&connection.client(), &TNMSMTP::dialogue, [&context](const QByteArray &line, bool sent) {
        context.print((sent ? QStringLiteral("C: ") : QStringLiteral("S: ")) + QString::fromUtf8(line).trimmed());
    });
    context.print(
        QStringLiteral("Security: %1, port %2, %3")
            .arg(settings.SMTPSecurity.trimmed().toLower())
            .arg(TNMSMTP::portFor(TNMSMTP::securityFromText(settings.SMTPSecurity).value_or(TNMSMTP::Security::None),
                                  settings.SMTPPort))
            .arg(settings.SMTPUser.trimmed().isEmpty() ? QStringLiteral("no log-in")
                                                       : QStringLiteral("log-in as ") + settings.SMTPUser.trimmed()));
    TPostMessage &message = connection.message();
    message.ToAddress = QStringList{recipient};
    message.Subject = QStringLiteral("Corvane SMTP test");
    message.Body = QStringList{QStringLiteral("This test message was sent by corvane-cli smtp-test.")};
    if (!connection.SMTPConnect()) {
        return 1;
    }
    const bool sent = recipient.isEmpty() || connection.SendSMTPMail(false);
    connection.SMTPDisconnect();
    return sent ? 0 : 1;
}

} // namespace corvane

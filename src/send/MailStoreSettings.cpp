// The mail store as configured.
#include "send/MailStoreSettings.h"

#include "base/CorvaneError.h"
#include "settings/Settings.h"

namespace corvane {

MailStoreApplication MailStoreSettings::application(const Settings &settings) {
    MailStoreApplication app(settings.MailStore);
    MailSubmission submission;
    submission.submitCommand = settings.SubmitCommand;
    submission.senderName = settings.SMTPName.trimmed();
    submission.senderAddress = settings.SMTPEmail.trimmed();
    app.setSubmission(submission);
    if (settings.MailStoreKind.trimmed().compare(QLatin1String("imap"), Qt::CaseInsensitive) == 0)
        app.setImapAccount(imapAccount(settings), settings.IMAPPasswordFile);
    return app;
}

ImapAccount MailStoreSettings::imapAccount(const Settings &settings) {
    ImapAccount account;
    account.host = settings.IMAPHost.trimmed();
    account.port = settings.IMAPPort;
    account.user = settings.IMAPUser.trimmed();
    account.trustedFingerprint = settings.IMAPCertificateSHA256.trimmed();
    const QString security = settings.IMAPSecurity.trimmed().toLower();
    if (security == QLatin1String("starttls"))
        account.security = ImapAccount::Security::StartTls;
    else if (security == QLatin1String("none"))
        account.security = ImapAccount::Security::None;
    else if (security.isEmpty() || security == QLatin1String("tls"))
        account.security = ImapAccount::Security::Tls;
    else
        throw CorvaneError(
            QStringLiteral("IMAPSecurity \"%1\" is not one of tls, starttls or none.").arg(settings.IMAPSecurity));
    return account;
}

} // namespace corvane

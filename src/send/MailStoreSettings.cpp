// The mail store as configured.
#include "send/MailStoreSettings.h"

#include "settings/Settings.h"

namespace corvane {

MailStoreApplication MailStoreSettings::application(const Settings &settings) {
    MailStoreApplication app(settings.MailStore);
    MailSubmission submission;
    submission.submitCommand = settings.SubmitCommand;
    submission.senderName = settings.SMTPName.trimmed();
    submission.senderAddress = settings.SMTPEmail.trimmed();
    app.setSubmission(submission);
    return app;
}

} // namespace corvane

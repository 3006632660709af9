// Sending acknowledgement e-mails through the mail store or the SMTP client.
#include "requests/AcknowledgementMailer.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "mailstore/SafeMailItem.h"
#include "requests/ActivityLog.h"
#include "requests/AddressRoutines.h"
#include "send/MailStoreSettings.h"
#include "send/SMTPConnection.h"
#include "send/SMTPMailbox.h"
#include "settings/Settings.h"

namespace corvane {

namespace {

constexpr int kSmtpMethod = 3;
constexpr int kSafeItemMethod = 2;
// Acknowledgements are answers a program wrote: marked so (RFC 3834) that auto-responders do not answer them.
const QString kAutoSubmitted = QStringLiteral("auto-replied");

} // namespace

AcknowledgementMailer::AcknowledgementMailer(const Settings &settings, const ActivityLog &log, UserPrompt &prompt)
    : m_settings(settings), m_log(log), m_prompt(prompt) {}

void AcknowledgementMailer::log(const QString &line) const {
    m_log.AddToLog(line);
}

QStringList AcknowledgementMailer::messageLines(const QString &sentence) const {
    QStringList lines = m_settings.AckHeader;
    lines << QString() << sentence << QString();
    lines << m_settings.AckFooter;
    return lines;
}

void AcknowledgementMailer::SendAcknowledgement(const QString &address, const QString &sentence) {
    if (!m_settings.SendAcknowledgement || !AddressRoutines::validemailaddress(address).valid)
        return;
    if (m_settings.EmailMethod == kSmtpMethod)
        SMTPSendAcknowledgement(address, sentence);
    else
        OLESendAcknowledgement(address, sentence, m_settings.EmailMethod == kSafeItemMethod);
}

bool AcknowledgementMailer::OLESendAcknowledgement(const QString &address, const QString &sentence,
                                                   bool throughSafeItem) {
    std::shared_ptr<MailDraft> item;
    SafeMailItem safe;
    MailDraft *draft = nullptr;
    try {
        item = MailStoreSettings::application(m_settings).CreateItem(0);
        draft = item.get();
        if (throughSafeItem) {
            safe.setItem(item);
            draft = &safe.draft();
        }
        draft->setSubject(m_settings.AcknowledgementSubject);
        draft->setHeaderField("Auto-Submitted", kAutoSubmitted);
        draft->setBody(messageLines(sentence).join(QStringLiteral("\r\n")));
        draft->Recipients().Add(address).setType(MailRecipient::To);
        if (m_settings.AlwaysResolveAddresses)
            draft->resolveall();
    } catch (const CorvaneError &) {
        m_prompt.message(UserPrompt::Kind::Information,
                         QStringLiteral("MAPI Sending Error.  Go to Advanced options and select a different "
                                        "sending option."),
                         UserPrompt::Ok);
        return false;
    }
    try {
        draft->Send();
    } catch (const CorvaneError &) {
        log(QStringLiteral("Error sending Acknowledgement e-mail to ") + address);
        return false;
    }
    log(QStringLiteral("Successful send of Acknowledgement e-mail to ") + address);
    return true;
}

bool AcknowledgementMailer::SMTPSendAcknowledgement(const QString &address, const QString &sentence) {
    // Only addresses that pass the validity check go into SMTP commands; a refused one is named in the log,
    // its control characters made visible, and no connection is opened.
    const AddressRoutines::Validity recipient = AddressRoutines::validemailaddress(address);
    const AddressRoutines::Validity sender = AddressRoutines::validemailaddress(m_settings.SMTPEmail);
    if (!recipient.valid || !sender.valid) {
        const QString reason = !recipient.valid ? AddressRoutines::GetEmailErrorCode(recipient.code)
                                                : QStringLiteral("the SMTP sender address \"%1\" is not valid: %2")
                                                      .arg(SMTPMailbox::visible(m_settings.SMTPEmail),
                                                           AddressRoutines::GetEmailErrorCode(sender.code));
        log(QStringLiteral("Error sending Acknowledgement e-mail to ") + SMTPMailbox::visible(address) +
            QStringLiteral(": ") + reason);
        return false;
    }
    SMTPConnection connection(m_settings, m_prompt);
    if (m_connectionSetup)
        m_connectionSetup(connection);
    if (!connection.SMTPConnect())
        return false;
    TPostMessage &message = connection.message();
    message.ToAddress = QStringList{address};
    message.Body = messageLines(sentence);
    message.Subject = m_settings.AcknowledgementSubject;
    message.AutoSubmitted = kAutoSubmitted;
    const bool sent = connection.SendSMTPMail(false);
    if (sent) {
        log(QStringLiteral("Successful send of Acknowledgement e-mail to ") + address);
    } else {
        m_prompt.message(UserPrompt::Kind::Error, QStringLiteral("SMTP Acknowledgement failed"), UserPrompt::Abort);
        log(QStringLiteral("Error sending Acknowledgement e-mail to ") + address);
    }
    connection.SMTPDisconnect();
    return sent;
}

} // namespace corvane

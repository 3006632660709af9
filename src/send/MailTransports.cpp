// The four transports of the send dialog and the choice between them.
#include "send/MailTransports.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "mailstore/MailDraft.h"
#include "mailstore/SafeMailItem.h"
#include "send/DesktopComposer.h"
#include "send/ListHeaders.h"
#include "send/MailStoreSettings.h"
#include "send/MessageMerge.h"
#include "send/SMTPConnection.h"
#include "send/SMTPServerLibrary.h"
#include "send/SendDraft.h"
#include "send/SendLog.h"
#include "send/TdlgAddRecip.h"
#include "settings/Settings.h"

namespace corvane {

namespace {

const QString kSendOk = QStringLiteral("SEND OK");
const QString kSendFailure = QStringLiteral("SEND FAILURE");

QStringList bodyLines(const QString &body) {
    QString text = body;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'));
}

} // namespace

MailTransports::MailTransports(Settings &settings, UserPrompt &prompt, const SendDraft &draft,
                               const TdlgAddRecip &recipients, SendLog &log)
    : m_settings(settings), m_prompt(prompt), m_draft(draft), m_recipients(recipients), m_log(log) {}

void MailTransports::log(const QString &line) {
    m_log.add(line);
}

void MailTransports::logTitle(const QString &title) {
    if (m_debug) {
        log(QString());
        log(QString());
        log(title);
    }
}

void MailTransports::logResult(bool ok) {
    log(QString());
    log(ok ? kSendOk : kSendFailure);
    m_log.flush();
}

void MailTransports::sendError(const QString &text) {
    if (m_sendError) {
        m_sendError(text);
    } else {
        m_prompt.message(UserPrompt::Kind::Error, text, UserPrompt::Ok);
    }
}

QString MailTransports::assembledBody(const QString &fullName, const QString &salutation,
                                      const QString &address) const {
    const QString merged = MessageMerge::MergeFields(m_draft.body, m_draft.personalised, fullName, salutation, address);
    return MessageMerge::AssembleBody(merged, m_draft.html, m_settings.AddSignaturePrior.checked, m_settings.Signature);
}

MailStoreApplication MailTransports::store() const {
    MailStoreApplication app = MailStoreSettings::application(m_settings);
    if (!m_display.isEmpty()) {
        MailSubmission submission = app.submission();
        submission.displayCommand = m_display;
        app.setSubmission(submission);
    }
    return app;
}

// The To, CC and hidden recipients in that order (in debug mode each logged as an empty line, its title and
// the address), then the attachments and the list headers. Raises when the draft refuses one, or when
// ListAddress is not a usable address.
void MailTransports::addRecipientsAndAttachments(MailDraft &mail) {
    const std::pair<const QStringList *, int> lists[] = {{&m_recipients.lbTo(), MailRecipient::To},
                                                         {&m_recipients.lbCC(), MailRecipient::CC},
                                                         {&lbBCC, MailRecipient::BCC}};
    for (const auto &[list, kind] : lists) {
        for (const QString &recipient : *list) {
            mail.Recipients().Add(recipient).setType(kind);
            if (m_debug) {
                log(QString());
                log(kind == MailRecipient::To   ? QStringLiteral("To:")
                    : kind == MailRecipient::CC ? QStringLiteral("CC:")
                                                : QStringLiteral("BCC:"));
                log(recipient);
            }
        }
    }
    for (const QString &path : m_draft.attachments) {
        mail.Attachments().Add(path);
    }
    ListHeaders::addTo(mail, m_settings.ListAddress);
}

bool MailTransports::SendMail(const QString &fullName, const QString &salutation, const QString &address) {
    m_declined = false;
    if (m_draft.html && m_settings.EmailMethod == 0) {
        const UserPrompt::Button answer =
            m_prompt.message(UserPrompt::Kind::Information, kHtmlQuestion, UserPrompt::Ok | UserPrompt::Cancel);
        if (answer != UserPrompt::Ok) {
            m_prompt.setCancelRequested(true);
            m_declined = true;
            return false;
        }
        m_settings.EmailMethod = 2;
    }
    switch (m_settings.EmailMethod) {
    case 1:
    case 2:
        return OLESend(fullName, salutation, address, m_settings.EmailMethod == 2);
    case 3:
        return SMTPSend(fullName, salutation, address);
    case 4:
        return SMTPServerSend(fullName, salutation, address);
    default:
        return MAPISend(fullName, salutation, address);
    }
}

bool MailTransports::OLESend(const QString &fullName, const QString &salutation, const QString &address,
                             bool safeItem) {
    logTitle(QStringLiteral("Sending Message:"));
    std::shared_ptr<MailDraft> item;
    SafeMailItem safe;
    try {
        const MailStoreApplication app = store();
        item = app.CreateItem(0);
        if (safeItem) {
            safe.setItem(item);
        }
        MailDraft &mail = safeItem ? safe.draft() : *item;
        mail.setSubject(m_draft.subject);
        const QString body = assembledBody(fullName, salutation, address);
        if (m_draft.html) {
            mail.setHTMLBody(body);
        } else {
            mail.setBody(body);
        }
        addRecipientsAndAttachments(mail);
        if (m_settings.AlwaysResolveAddresses) {
            mail.resolveall();
        }
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Warning, kOleError, UserPrompt::Ok);
        return false;
    }
    MailDraft &mail = safeItem ? safe.draft() : *item;
    try {
        if (fullName == kTestName) {
            mail.display();
        } else {
            mail.Send();
        }
    } catch (const std::exception &e) {
        QString text = CorvaneError::messageOf(e);
        if (text.isEmpty()) {
            text = QStringLiteral("Unknown Error!");
        }
        logResult(false);
        sendError(kOleFailed + text);
        return false;
    }
    logResult(true);
    lbBCC.clear();
    return true;
}

bool MailTransports::MAPISend(const QString &fullName, const QString &salutation, const QString &address) {
    logTitle(QStringLiteral("Sending Message:"));
    std::shared_ptr<MailDraft> mail;
    QString body;
    try {
        const MailStoreApplication app = store();
        mail = app.CreateItem(0);
        mail->setSubject(m_draft.subject);
        body = assembledBody(fullName, salutation, address);
        mail->setBody(body);
        addRecipientsAndAttachments(*mail);
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Warning, kMapiError, UserPrompt::Ok);
        return false;
    }
    try {
        if (fullName == kTestName) {
            // The test is shown to the person in the desktop's composer; without one, as a draft.
            const DesktopComposer composer(m_composer);
            if (!composer.open(m_draft.subject, body, m_recipients.lbTo(), m_recipients.lbCC(), lbBCC,
                               m_draft.attachments)) {
                mail->display();
            }
        } else {
            mail->Send();
        }
    } catch (const std::exception &) {
        logResult(false);
        sendError(kMapiFailed);
        return false;
    }
    logResult(true);
    lbBCC.clear();
    return true;
}

bool MailTransports::SMTPSend(const QString &fullName, const QString &salutation, const QString &address) {
    logTitle(QStringLiteral("Sending Message:"));
    m_refused.clear();
    if (m_connection == nullptr) {
        logResult(false);
        sendError(kSmtpFailed);
        return false;
    }
    TPostMessage &message = m_connection->message();
    try {
        message.HeaderLines = ListHeaders::lines(m_settings.ListAddress);
    } catch (const CorvaneError &) {
        logResult(false);
        sendError(kSmtpFailed);
        return false;
    }
    message.ToAddress = m_recipients.lbTo();
    message.ToCarbonCopy = m_recipients.lbCC();
    message.ToBlindCarbonCopy = lbBCC;
    message.Attachments = m_draft.attachments;
    if (m_debug) {
        const std::pair<const QStringList *, QString> lists[] = {{&message.ToAddress, QStringLiteral("To:")},
                                                                 {&message.ToCarbonCopy, QStringLiteral("CC:")},
                                                                 {&message.ToBlindCarbonCopy, QStringLiteral("BCC:")}};
        for (const auto &[list, title] : lists) {
            if (!list->isEmpty()) {
                log(QString());
                log(title);
                for (const QString &entry : *list) {
                    log(entry);
                }
            }
        }
    }
    message.Body = bodyLines(assembledBody(fullName, salutation, address));
    message.Subject = m_draft.subject;
    // With one e-mail per recipient the member is the message's reason to exist: a refused member fails it
    // before DATA, so that nobody else receives a copy the member did not.
    TNMSMTP &client = m_connection->client();
    client.RequiredRecipients.clear();
    if (!address.isEmpty() && m_recipients.lbTo().contains(address)) {
        client.RequiredRecipients << address;
    }
    const bool ok = m_connection->SendSMTPMail(m_draft.html);
    logResult(ok);
    // The addresses the server would not take are named after the result line (the log holds no addresses
    // otherwise), so that the person sees who was not reached.
    const QStringList refused = client.RefusedRecipients();
    const QByteArrayList replies = client.RefusedReplies();
    for (qsizetype i = 0; i < refused.size(); ++i) {
        m_refused << refused.at(i);
        log(QStringLiteral("Refused by the SMTP server: ") + refused.at(i) + QStringLiteral(" (") +
            QString::fromLatin1(replies.value(i)) + QLatin1Char(')'));
    }
    m_log.flush();
    if (ok) {
        lbBCC.clear();
    } else {
        sendError(kSmtpFailed);
    }
    return ok;
}

bool MailTransports::SMTPServerSend(const QString &fullName, const QString &salutation, const QString &address) {
    if (m_debug) {
        log(QString());
        log(QString());
        log(QStringLiteral("Sending Message via Server:"));
    }
    log(QStringLiteral("To:"));
    if (m_recipients.lbTo().isEmpty()) {
        m_prompt.message(UserPrompt::Kind::Warning, kNoRecipient, UserPrompt::Ok);
        return false;
    }
    const QString recipient = m_recipients.lbTo().first();
    log(recipient);
    const QStringList body = bodyLines(assembledBody(fullName, salutation, address));
    QString error;
    int result = -1;
    try {
        if (m_relay == nullptr) {
            throw CorvaneError(QStringLiteral("The SMTP server library is not loaded."));
        }
        // The list headers go to the library before every message, so a changed ListAddress (or none) holds
        // from the next one; a library without the entry sends without them.
        m_relay->setHeaderLines(ListHeaders::lines(m_settings.ListAddress));
        result = m_relay->SendMail(m_settings.DNSHost, m_settings.DNSTimeOut, m_settings.SMTPEmail, m_settings.SMTPName,
                                   recipient, m_draft.subject, body, m_draft.html, m_draft.attachments, error);
    } catch (const std::exception &e) {
        error = CorvaneError::messageOf(e);
    }
    if (result == 0 || result == 4 || result == 5) {
        if (result != 0 && m_settings.DNSProcessBounce && m_bounce) {
            m_bounce(recipient);
        }
        logResult(true);
        return true;
    }
    logResult(false);
    sendError(kRelayFailed + error);
    return false;
}

} // namespace corvane

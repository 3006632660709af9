// What a composed message is made of, as MimeComposer turns it into MIME text: sender, recipients (Bcc
// written only on request), subject, plain and HTML body, attachments, read-receipt request and identities.
#pragma once

#include "mailstore/MailAttachment.h"
#include "mailstore/MailRecipient.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace corvane {

struct MimeComposition {
    QString senderName;
    QString senderAddress;
    std::vector<MailRecipient> recipients;
    bool withBcc = false;
    QString subject;
    QString plainBody;
    QString htmlBody;
    std::vector<MailAttachment> attachments;
    bool readReceipt = false;
    QByteArray messageId;
    QByteArray inReplyTo;
    QByteArray references;
};

} // namespace corvane

// What a composed message is made of, as MimeComposer turns it into MIME text: sender, recipients, subject,
// plain and HTML body, attachments, read-receipt request and the message it answers.
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
    QString subject;
    QString plainBody;
    QString htmlBody;
    std::vector<MailAttachment> attachments;
    bool readReceipt = false;
    QByteArray inReplyTo;
    QByteArray references;
};

} // namespace corvane

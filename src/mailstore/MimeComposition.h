// What a composed message is made of, as MimeComposer turns it into MIME text: sender, recipients, subject,
// plain and HTML body, attachments, read-receipt request, the message it answers and further header fields.
#pragma once

#include "mailstore/MailAttachment.h"
#include "mailstore/MailRecipient.h"

#include <QByteArray>
#include <QString>
#include <utility>
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
    // Further header fields (name, unstructured value) written as given, in this order.
    std::vector<std::pair<QByteArray, QString>> extraFields;
};

} // namespace corvane

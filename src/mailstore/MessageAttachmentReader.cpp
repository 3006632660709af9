// Attachment extraction through vmime's attachment helper.
#include "mailstore/MessageAttachmentReader.h"

#include "base/CorvaneError.h"
#include "mailstore/VmimePlatform.h"

#include <vmime/vmime.hpp>

namespace corvane {

std::vector<MailAttachment> MessageAttachmentReader::read(const QByteArray &raw) {
    VmimePlatform::ensure();
    std::vector<MailAttachment> out;
    try {
        const auto message = vmime::make_shared<vmime::message>();
        message->parse(raw.toStdString());
        const auto found = vmime::attachmentHelper::findAttachmentsInMessage(message);
        int unnamed = 0;
        for (const auto &attachment : found) {
            MailAttachment a;
            std::string bytes;
            vmime::utility::outputStreamStringAdapter stream(bytes);
            attachment->getData()->extract(stream);
            a.data = QByteArray::fromStdString(bytes);
            a.mediaType = QByteArray::fromStdString(attachment->getType().generate());
            a.displayName = QString::fromStdString(attachment->getName().getConvertedText(vmime::charsets::UTF_8));
            if (a.displayName.isEmpty())
                a.displayName = QStringLiteral("attachment%1").arg(++unnamed);
            out.push_back(std::move(a));
        }
    } catch (const std::exception &e) {
        throw CorvaneError(
            QStringLiteral("The attachments of the message cannot be read: %1").arg(QString::fromUtf8(e.what())));
    }
    return out;
}

} // namespace corvane

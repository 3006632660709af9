// Attachment extraction through vmime's attachment helper.
#include "mailstore/MessageAttachmentReader.h"

#include "base/CorvaneError.h"
#include "mailstore/MailCharset.h"
#include "mailstore/SingleLineText.h"
#include "mailstore/VmimeInput.h"
#include "mailstore/VmimePlatform.h"

#include <vmime/vmime.hpp>

namespace corvane {

namespace {

// The attachment's file name as one line of text; a name vmime cannot convert is read from its raw bytes.
QString attachmentName(const vmime::word &name) {
    QString text;
    try {
        text = QString::fromStdString(name.getConvertedText(vmime::charsets::UTF_8));
    } catch (const std::exception &) {
        const std::string &bytes = name.getBuffer();
        text = MailCharset::lenientText(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    return SingleLineText::of(text).trimmed();
}

} // namespace

std::vector<MailAttachment> MessageAttachmentReader::read(const QByteArray &raw) {
    VmimePlatform::ensure();
    std::vector<MailAttachment> out;
    const std::string text = raw.toStdString();
    // Attachments are all or nothing: a message vmime cannot be given whole is refused, not read in part.
    if (VmimeInput::parseableLength(text, VmimeInput::kAttachments) < static_cast<qsizetype>(text.size()))
        throw CorvaneError(QStringLiteral("The attachments of the message cannot be read: its structure is nested too "
                                          "deeply or is too large."));
    try {
        const auto message = vmime::make_shared<vmime::message>();
        message->parse(text);
        const auto found = vmime::attachmentHelper::findAttachmentsInMessage(message);
        int unnamed = 0;
        for (const auto &attachment : found) {
            MailAttachment a;
            std::string bytes;
            vmime::utility::outputStreamStringAdapter stream(bytes);
            attachment->getData()->extract(stream);
            a.data = QByteArray::fromStdString(bytes);
            a.mediaType =
                SingleLineText::ofBytes(QByteArray::fromStdString(attachment->getType().generate())).trimmed();
            a.displayName = attachmentName(attachment->getName());
            if (a.displayName.isEmpty())
                a.displayName = QStringLiteral("attachment%1").arg(++unnamed);
            out.push_back(std::move(a));
        }
    } catch (const std::exception &e) {
        throw CorvaneError(QStringLiteral("The attachments of the message cannot be read: %1")
                               .arg(SingleLineText::of(QString::fromUtf8(e.what()).left(200))));
    }
    return out;
}

} // namespace corvane

// Composing outgoing messages with vmime's message builder.
#include "mailstore/MimeComposer.h"

#include "base/CorvaneError.h"
#include "mailstore/VmimePlatform.h"

#include <QFile>
#include <QMimeDatabase>
#include <vmime/vmime.hpp>

namespace corvane {

namespace {

std::string utf8(const QString &text) {
    return text.toStdString();
}

vmime::text headerText(const QString &text) {
    return vmime::text(vmime::word(utf8(text), vmime::charset(vmime::charsets::UTF_8)));
}

std::shared_ptr<vmime::mailbox> mailbox(const QString &name, const QString &address) {
    const vmime::emailAddress email(utf8(address));
    if (name.isEmpty() || name == address)
        return vmime::make_shared<vmime::mailbox>(email);
    return vmime::make_shared<vmime::mailbox>(headerText(name), email);
}

// The content of `attachment`: its carried-over bytes, or its file read whole. Raises when the file
// cannot be read.
QByteArray attachmentBytes(const MailAttachment &attachment) {
    if (attachment.path.isEmpty())
        return attachment.data;
    QFile file(attachment.path);
    if (!file.open(QIODevice::ReadOnly))
        throw CorvaneError(
            QStringLiteral("The attachment %1 cannot be read: %2").arg(attachment.path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        throw CorvaneError(QStringLiteral("The attachment %1 cannot be read completely.").arg(attachment.path));
    return bytes;
}

QByteArray attachmentType(const MailAttachment &attachment, const QByteArray &bytes) {
    if (!attachment.mediaType.isEmpty())
        return attachment.mediaType;
    const QMimeType type = QMimeDatabase().mimeTypeForFileNameAndData(attachment.displayName, bytes);
    return type.isValid() ? type.name().toLatin1() : QByteArrayLiteral("application/octet-stream");
}

void setBody(vmime::messageBuilder &builder, const MimeComposition &c) {
    const auto utf8Charset = vmime::charset(vmime::charsets::UTF_8);
    if (c.htmlBody.isEmpty()) {
        builder.getTextPart()->setCharset(utf8Charset);
        builder.getTextPart()->setText(vmime::make_shared<vmime::stringContentHandler>(utf8(c.plainBody)));
        return;
    }
    builder.constructTextPart(vmime::mediaType(vmime::mediaTypes::TEXT, vmime::mediaTypes::TEXT_HTML));
    const auto html = vmime::dynamicCast<vmime::htmlTextPart>(builder.getTextPart());
    html->setCharset(utf8Charset);
    html->setText(vmime::make_shared<vmime::stringContentHandler>(utf8(c.htmlBody)));
    html->setPlainText(vmime::make_shared<vmime::stringContentHandler>(utf8(c.plainBody)));
}

// `generated` with "\n" line ends, ending with one.
QByteArray withLineFeeds(const std::string &generated) {
    QByteArray out = QByteArray::fromStdString(generated);
    out.replace("\r\n", "\n");
    if (!out.endsWith('\n'))
        out.append('\n');
    return out;
}

} // namespace

MimeComposer::Composed MimeComposer::compose(const MimeComposition &c) {
    VmimePlatform::ensure();
    Composed composed;
    try {
        vmime::messageBuilder builder;
        if (!c.senderAddress.isEmpty())
            builder.setExpeditor(*mailbox(c.senderName, c.senderAddress));
        bool placeholderTo = true;
        for (const MailRecipient &r : c.recipients) {
            const auto box = mailbox(r.Name(), r.Address());
            if (r.Type() == MailRecipient::CC) {
                builder.getCopyRecipients().appendAddress(box);
            } else if (r.Type() == MailRecipient::BCC) {
                builder.getBlindCopyRecipients().appendAddress(box);
                continue;
            } else {
                builder.getRecipients().appendAddress(box);
            }
            placeholderTo = false;
        }
        // The builder refuses a message without any recipient (a draft); it gets one that is taken out again
        // below.
        if (placeholderTo && builder.getBlindCopyRecipients().isEmpty())
            builder.getRecipients().appendAddress(vmime::make_shared<vmime::mailbox>(vmime::emailAddress("x@x")));
        if (!c.subject.isEmpty())
            builder.setSubject(headerText(c.subject));
        setBody(builder, c);
        for (const MailAttachment &a : c.attachments) {
            const QByteArray bytes = attachmentBytes(a);
            const auto content = vmime::make_shared<vmime::stringContentHandler>(bytes.toStdString());
            builder.appendAttachment(vmime::make_shared<vmime::fileAttachment>(
                content, vmime::word(utf8(a.displayName), vmime::charset(vmime::charsets::UTF_8)),
                vmime::mediaType(attachmentType(a, bytes).toStdString())));
        }
        const auto message = builder.construct();
        const auto header = message->getHeader();
        if (placeholderTo) {
            if (const auto to = header->findField(vmime::fields::TO))
                header->removeField(to);
        }
        header->MessageId()->setValue(vmime::messageId::generateId());
        if (!c.inReplyTo.isEmpty())
            header->InReplyTo()->setValue(c.inReplyTo.toStdString());
        if (!c.references.isEmpty())
            header->References()->setValue(c.references.toStdString());
        for (const auto &[name, value] : c.extraFields) {
            const auto field = vmime::headerFieldFactory::getInstance()->create(name.toStdString());
            field->setValue(headerText(value));
            header->appendField(field);
        }
        // Receipts go to the sender; without a configured sender there is nobody to name.
        if (c.readReceipt && !c.senderAddress.isEmpty()) {
            vmime::mailboxList receipts;
            receipts.appendMailbox(mailbox(c.senderName, c.senderAddress));
            header->DispositionNotificationTo()->setValue(receipts);
        }
        composed.filed = withLineFeeds(message->generate());
        if (const auto bcc = header->findField(vmime::fields::BCC))
            header->removeField(bcc);
        composed.submitted = withLineFeeds(message->generate());
    } catch (const CorvaneError &) {
        throw;
    } catch (const std::exception &e) {
        throw CorvaneError(QStringLiteral("The message cannot be composed: %1").arg(QString::fromUtf8(e.what())));
    }
    return composed;
}

} // namespace corvane

// Adding attachments to a composed message.
#include "mailstore/MailAttachments.h"

#include "base/CorvaneError.h"

#include <QFileInfo>

namespace corvane {

const MailAttachment &MailAttachments::Item(int index) const {
    if (index < 1 || index > Count())
        throw CorvaneError(QStringLiteral("There is no attachment %1; the message has %2.").arg(index).arg(Count()));
    return m_attachments[static_cast<size_t>(index - 1)];
}

const MailAttachment &MailAttachments::Add(const QString &path, int type, int position, const QString &displayName) {
    Q_UNUSED(position);
    if (type != ByValue)
        throw CorvaneError(QStringLiteral("Only copies of files can be attached."));
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        throw CorvaneError(QStringLiteral("Cannot find the file %1 to attach.").arg(path));
    MailAttachment attachment;
    attachment.path = info.absoluteFilePath();
    attachment.displayName = displayName.isEmpty() ? info.fileName() : displayName;
    m_attachments.push_back(std::move(attachment));
    return m_attachments.back();
}

void MailAttachments::addContent(const QString &displayName, const QByteArray &mediaType, const QByteArray &data) {
    m_attachments.push_back({QString(), displayName, data, mediaType});
}

} // namespace corvane

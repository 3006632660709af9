// The attachments of a composed message, reached 1-based, added by path as the program does.
#pragma once

#include "mailstore/MailAttachment.h"

#include <vector>

namespace corvane {

class MailAttachments {
public:
    // How an attachment is added; only a copy of the file (by value) is supported.
    static constexpr int ByValue = 1;

    int Count() const { return static_cast<int>(m_attachments.size()); }
    // Attachment `index` (1-based). Raises when there is none.
    const MailAttachment &Item(int index) const;

    // Attaches the file `path` by value under `displayName` (the file's own name when empty). `type` must be
    // ByValue; `position` (where the attachment shows in a rich-text body) is not used. The file is read when
    // the message is built. Raises when the file is not a readable file, or `type` is another kind.
    const MailAttachment &Add(const QString &path, int type = ByValue, int position = -1,
                              const QString &displayName = QString());
    // Carries over content from another message.
    void addContent(const QString &displayName, const QByteArray &mediaType, const QByteArray &data);

    const std::vector<MailAttachment> &all() const { return m_attachments; }

private:
    std::vector<MailAttachment> m_attachments;
};

} // namespace corvane

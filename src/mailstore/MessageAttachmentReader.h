// Takes the attachments out of a stored message, decoded, so that a forward can carry them on.
#pragma once

#include "mailstore/MailAttachment.h"

#include <QByteArray>
#include <vector>

namespace corvane {

class MessageAttachmentReader {
public:
    // The attachments of the message `raw` in the order they appear: name, media type and decoded bytes. The
    // text body (and its alternatives) is not an attachment; each name is one line of text. Raises when vmime
    // cannot read the message, or when it is nested too deeply or too large to be given to vmime whole.
    static std::vector<MailAttachment> read(const QByteArray &raw);
};

} // namespace corvane

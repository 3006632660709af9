// Builds the MIME text of a composed message with vmime: From, To, Cc and (on request) Bcc, the subject as
// encoded words where needed, Date, Message-ID, the reply headers and the read-receipt request, a plain or
// HTML body (HTML with its plain-text alternative) and the attachments.
#pragma once

#include "mailstore/MimeComposition.h"

#include <QByteArray>

namespace corvane {

class MimeComposer {
public:
    // The message text with "\n" line ends. Raises when an attachment file cannot be read or vmime fails.
    static QByteArray compose(const MimeComposition &composition);
    // A new message identifier, "<...>" included.
    static QByteArray newMessageId();
};

} // namespace corvane

// Builds the MIME text of a composed message with vmime: From, To, Cc and Bcc, the subject as
// encoded words where needed, Date, Message-ID, the reply headers and the read-receipt request, a plain or
// HTML body (HTML with its plain-text alternative) and the attachments.
#pragma once

#include "mailstore/MimeComposition.h"

#include <QByteArray>

namespace corvane {

class MimeComposer {
public:
    // One message, generated twice with "\n" line ends: as it is filed (with its Bcc header) and as it is
    // submitted (without). Both carry the same Date, Message-ID and boundaries.
    struct Composed {
        QByteArray filed;
        QByteArray submitted;
    };

    // Composes the message with a new Message-ID. Raises when an attachment file cannot be read or vmime
    // fails.
    static Composed compose(const MimeComposition &composition);
};

} // namespace corvane

// Finds and decodes the plain-text body of a raw message through vmime. vmime would parse every header field of
// the message (Received, DKIM, addresses...), which is most of its cost for small messages; so when the header is
// cleanly formed, only the MIME fields go to vmime, and a message that is not multipart is not parsed as a
// message at all: its body is decoded directly by vmime's decoder for its transfer encoding. A header that is not
// cleanly formed goes to vmime whole.
#pragma once

#include <QByteArray>
#include <QString>

namespace corvane {

class MessageBody {
public:
    // How plainText() reads a message.
    enum class Route {
        // Not multipart: the MIME fields are parsed alone and the body decoded directly.
        SinglePart,
        // Multipart: the MIME fields and the body go to vmime, the other fields are left out.
        MimeFieldsOnly,
        // The header is not cleanly formed (a line that is neither a field nor a folded continuation, a line of
        // blanks, no end): the whole message goes to vmime.
        WholeMessage,
    };

    // The plain-text body with "\r\n" line ends: the first text/plain part that is not an attachment, else the
    // first such text/html part turned into text, else empty. Raises CorvaneError when the part's character set
    // is unknown, the message is multipart but its boundary never occurs, or vmime cannot read the message.
    static QString plainText(const QByteArray &raw);

    // The same text read with the whole message parsed by vmime: the reference plainText() is tested against.
    static QString plainTextOfWholeMessage(const QByteArray &raw);

    // The route plainText() takes for `raw`. Raises as plainText() when vmime cannot read the MIME fields.
    static Route routeFor(const QByteArray &raw);
};

} // namespace corvane

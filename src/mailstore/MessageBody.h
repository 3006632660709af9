// Finds and decodes the plain-text body of a raw message. vmime would parse every header field of the message
// (Received, DKIM, addresses...) and copy each part before parsing its header, which is most of its cost; so
// when every header in the message is cleanly formed, Corvane splits the message into its parts itself, the way
// vmime's parser does (MultipartRanges), gives vmime only each part's MIME fields (MimeFieldLines) and lets
// vmime's decoders decode the text part found. Anything else goes to vmime's parser, given only as much of the
// message as it can read in bounded time (VmimeInput); a structure that would cost Corvane's own split more than
// a fixed multiple of the message's size goes there too.
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
        // Multipart: split into parts by Corvane, each part's MIME fields parsed alone.
        Multipart,
        // A part needs vmime's parser (a part's header not cleanly formed, no boundary parameter, deep
        // nesting, a structure too costly to split): the message's MIME fields and its body go to vmime, its
        // other fields are left out; text beyond vmime's limits (such as parts nested past 32 levels) is ignored.
        MimeFieldsOnly,
        // The message's own header is not cleanly formed: the whole message goes to vmime.
        WholeMessage,
    };

    // The plain-text body with "\r\n" line ends: the first text/plain part that is not an attachment, else the
    // first such text/html part turned into text, else empty; NUL characters are dropped. Raises CorvaneError
    // (and nothing else) when the part's character set is unknown, the message is multipart but its boundary
    // never occurs, or vmime cannot read the message.
    static QString plainText(const QByteArray &raw);

    // The same text read with the whole message parsed by vmime: the reference plainText() is tested against.
    static QString plainTextOfWholeMessage(const QByteArray &raw);

    // The route plainText() takes for `raw`. Raises as plainText() when vmime cannot read the MIME fields.
    static Route routeFor(const QByteArray &raw);
};

} // namespace corvane

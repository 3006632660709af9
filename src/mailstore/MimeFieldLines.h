// The MIME header fields of a message or body part, cut out of its raw header as written, so that vmime parses
// only the fields that decide how the body is found and decoded, never Received, DKIM or address fields.
#pragma once

#include <QByteArray>
#include <optional>
#include <string>

namespace corvane {

class MimeFieldLines {
public:
    // The MIME fields (Content-Type, Content-Transfer-Encoding, Content-Disposition, MIME-Version) of the
    // header that begins at `begin` in `raw`, which must end, with its empty line, before `end`. None when the
    // header is not cleanly formed: a line that is neither a "Name:" field nor a folded continuation of one, a
    // folded line of blanks alone (which vmime takes for the end of the header), or no empty line before `end`;
    // such a header is left to vmime whole.
    static std::optional<MimeFieldLines> read(const QByteArray &raw, qsizetype begin, qsizetype end);

    // The MIME field lines as written, each with its folded lines, then the empty line that ends the header.
    const std::string &header() const { return m_header; }
    // Where the body begins in `raw`.
    qsizetype bodyStart() const { return m_bodyStart; }

private:
    std::string m_header;
    qsizetype m_bodyStart = 0;
};

} // namespace corvane

// The one form of address the SMTP client puts into MAIL FROM and RCPT TO: a plain RFC 5321 mailbox
// (dot-atom before the "@", a host name or an address literal after it). Anything else could carry ESMTP
// parameters or a second path into the command ("a@b> NOTIFY=NEVER"), so the client refuses it.
#pragma once

#include <QString>
#include <QStringView>

namespace corvane {

class SMTPMailbox {
public:
    static constexpr qsizetype kMaxLength = 254; // the path of at most 256 octets holds the angle brackets
    static constexpr qsizetype kMaxLocalLength = 64;

    // Why `address` is not one plain mailbox ("holds a blank", "has more than one \"@\"", ...); empty when
    // it is one. Cannot fail.
    static QString problem(QStringView address);

    // `text` with every control character (C0, DEL, C1, line and paragraph separators) written as "\xHH" or
    // "\uHHHH", for messages and line-based files. Cannot fail.
    static QString visible(QStringView text);
};

} // namespace corvane

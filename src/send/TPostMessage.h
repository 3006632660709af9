// The message record of the SMTP client: sender, recipients, subject, body lines and attachment paths of the
// one message that the next SendMail puts on the wire. Filled by the caller before every send.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

struct TPostMessage {
    QString FromAddress;
    QString FromName;
    // Each entry is a bare address or a display name followed by the address in angle brackets.
    QStringList ToAddress;
    QStringList ToCarbonCopy;
    // Used only for RCPT commands; never written into the header.
    QStringList ToBlindCarbonCopy;
    QString Subject;
    // Body text as lines without line ends.
    QStringList Body;
    // Full paths of the files to attach.
    QStringList Attachments;
    // Text of the X-Mailer header.
    QString LocalProgram = QStringLiteral("Corvane mailing-list manager");
    QString ReplyTo;
    // Text of the Auto-Submitted header (RFC 3834: "auto-replied" for answers a program wrote); none when empty.
    QString AutoSubmitted;
    // Further header lines, each "Name: value" without line end, written after Auto-Submitted in this order
    // (the list headers of a mailing); none when empty.
    QStringList HeaderLines;
    // When empty, the current local time is written into the Date header.
    QString Date;
};

} // namespace corvane

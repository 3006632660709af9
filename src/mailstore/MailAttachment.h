// One attachment of a composed message: a file read when the message is built, or content carried over from
// the message being forwarded.
#pragma once

#include <QByteArray>
#include <QString>

namespace corvane {

struct MailAttachment {
    // The file to attach; empty for carried-over content.
    QString path;
    // The file name the recipient sees.
    QString displayName;
    // Carried-over content and its media type ("type/subtype"); for a file the type is guessed when built.
    QByteArray data;
    QByteArray mediaType;
};

} // namespace corvane

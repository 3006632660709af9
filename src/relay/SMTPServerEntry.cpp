// The relay library's exported entries (see RelayMail.h for what they do and the results): "SendMail" with
// the arguments that SMTPServerLibrary::SendMailEntry fixes, and "SetHeaderLines". Nothing thrown inside ever
// crosses into the program.
#include "relay/RelayMail.h"

#include <QString>
#include <QStringList>

using corvane::relay::RelayMail;

extern "C" Q_DECL_EXPORT int SendMail(const char *dnsHost, qint16 dnsTimeOut, const char *fromAddress,
                                      const char *fromName, const char *toAddress, const char *subject,
                                      const QStringList *body, bool html, const QStringList *attachments,
                                      QString *error) {
    QString text;
    int result = RelayMail::BadArguments;
    try {
        if (dnsHost == nullptr || fromAddress == nullptr || toAddress == nullptr) {
            text = QStringLiteral("The DNS server, the sender or the recipient is missing");
        } else {
            RelayMail::Message message;
            message.dnsServer = QString::fromUtf8(dnsHost);
            // The time-out is 16 bits without sign: up to 65535 ms.
            message.dnsTimeOutMs = static_cast<quint16>(dnsTimeOut);
            message.fromAddress = QString::fromUtf8(fromAddress);
            message.fromName = QString::fromUtf8(fromName == nullptr ? "" : fromName);
            message.toAddress = QString::fromUtf8(toAddress);
            message.subject = QString::fromUtf8(subject == nullptr ? "" : subject);
            message.body = body == nullptr ? QStringList() : *body;
            message.html = html;
            message.attachments = attachments == nullptr ? QStringList() : *attachments;
            result = RelayMail::send(message, text);
        }
    } catch (const std::exception &e) {
        result = RelayMail::NotDelivered;
        text = RelayMail::printable(QString::fromLocal8Bit(e.what()));
    }
    if (error != nullptr) {
        *error = text;
    }
    return result;
}

extern "C" Q_DECL_EXPORT int SetHeaderLines(const QStringList *lines) {
    try {
        return RelayMail::setHeaderLines(lines == nullptr ? QStringList() : *lines);
    } catch (const std::exception &) {
        return -1;
    }
}

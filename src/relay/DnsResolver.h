// The relay library's DNS client: asks one DNS server, over UDP, for the records of one name and waits for
// the answer in the calling thread, with a time-out for every question. Qt's own lookup can neither be given
// the server's port nor a time-out, both of which the relay needs.
#pragma once

#include "relay/DnsMessage.h"

#include <QHostAddress>
#include <QString>

namespace corvane::relay {

class DnsResolver {
public:
    enum class Status { Answered, TimedOut, Failed };

    struct Result {
        Status status = Status::Failed;
        DnsMessage::Answer answer;
        // Why there is no answer, in words (Failed, TimedOut).
        QString error;
    };

    // `server` is the DNS server's address or host name (a host name is resolved through the system's
    // resolver); `timeOutMs` the time allowed for each question.
    DnsResolver(const QString &server, quint16 port, int timeOutMs);

    // Finds the server's address. False, with the reason in error(), when the text is neither an address nor
    // a name the system can resolve.
    bool prepare();
    QString error() const { return m_error; }

    // Asks for `type` records of `name` (ASCII). The question is sent again after a third of the time-out
    // without an answer. Packets from another sender or with another id are ignored; a packet that does not
    // read as the answer is remembered, and its problem is the error if no good answer follows in time.
    Result ask(const QByteArray &name, DnsMessage::Type type) const;

private:
    QString m_serverText;
    QHostAddress m_server;
    quint16 m_port;
    int m_timeOutMs;
    QString m_error;
};

} // namespace corvane::relay

// The mail servers of a recipient domain, as RFC 5321 finds them: its MX records in preference order (ties
// keep the server's order), or the domain itself when it has none; a null MX (RFC 7505) means the domain
// takes no mail.
#pragma once

#include "relay/DnsResolver.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace corvane::relay {

class MailExchangers {
public:
    enum class Outcome { Found, NoDomain, NoMailServer, TimedOut, Failed };

    // The most mail servers tried for one domain.
    static constexpr qsizetype kMaxHosts = 10;

    explicit MailExchangers(const DnsResolver &resolver) : m_resolver(resolver) {}

    // Looks up `domain` (ASCII, without the final dot). Found fills hosts(); NoDomain is an NXDOMAIN answer;
    // NoMailServer a null MX, or no MX and no address; TimedOut and Failed leave the reason in error().
    Outcome lookUp(const QByteArray &domain);
    const QList<QByteArray> &hosts() const { return m_hosts; }

    // The IPv4 then IPv6 addresses of `host` (asked once per host). Empty with the reason in error() when the
    // lookup failed, empty with error() empty when the host simply has none.
    QList<QHostAddress> addresses(const QByteArray &host);

    QString error() const { return m_error; }
    // True when the last failure was a time-out rather than an unusable answer.
    bool timedOut() const { return m_timedOut; }

private:
    // Asks and turns a failed question into error(); false when there is no answer.
    bool ask(const QByteArray &name, DnsMessage::Type type, DnsMessage::Answer &answer);

    const DnsResolver &m_resolver;
    QList<QByteArray> m_hosts;
    QHash<QByteArray, QList<QHostAddress>> m_addresses;
    QString m_error;
    bool m_timedOut = false;
};

} // namespace corvane::relay

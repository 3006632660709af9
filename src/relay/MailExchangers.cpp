// MX look-up with the implicit MX and the null MX.
#include "relay/MailExchangers.h"

#include <algorithm>

namespace corvane::relay {

bool MailExchangers::ask(const QByteArray &name, DnsMessage::Type type, DnsMessage::Answer &answer) {
    const DnsResolver::Result result = m_resolver.ask(name, type);
    if (result.status != DnsResolver::Status::Answered) {
        m_error = result.error;
        m_timedOut = result.status == DnsResolver::Status::TimedOut;
        return false;
    }
    answer = result.answer;
    if (answer.rcode != DnsMessage::NoError && answer.rcode != DnsMessage::NxDomain) {
        m_error = QStringLiteral("The DNS server could not answer about %1: %2")
                      .arg(QString::fromLatin1(name), DnsMessage::rcodeText(answer.rcode));
        m_timedOut = false;
        return false;
    }
    return true;
}

MailExchangers::Outcome MailExchangers::lookUp(const QByteArray &domain) {
    m_hosts.clear();
    m_error.clear();
    DnsMessage::Answer answer;
    if (!ask(domain, DnsMessage::Mx, answer)) {
        return m_timedOut ? Outcome::TimedOut : Outcome::Failed;
    }
    if (answer.rcode == DnsMessage::NxDomain) {
        m_error = QStringLiteral("The domain %1 does not exist").arg(QString::fromLatin1(domain));
        return Outcome::NoDomain;
    }
    QList<DnsMessage::MxRecord> mx = answer.mx;
    // A null MX stands alone; beside real ones it is a mistake of the domain's and is skipped.
    const auto isNull = [](const DnsMessage::MxRecord &r) { return r.exchange.isEmpty(); };
    if (mx.size() == 1 && isNull(mx.first())) {
        m_error = QStringLiteral("The domain %1 accepts no mail (null MX)").arg(QString::fromLatin1(domain));
        return Outcome::NoMailServer;
    }
    mx.removeIf(isNull);
    if (!mx.isEmpty()) {
        std::stable_sort(mx.begin(), mx.end(), [](const DnsMessage::MxRecord &a, const DnsMessage::MxRecord &b) {
            return a.preference < b.preference;
        });
        for (const DnsMessage::MxRecord &r : mx) {
            if (m_hosts.size() < kMaxHosts && !m_hosts.contains(r.exchange)) {
                m_hosts.append(r.exchange);
            }
        }
        return Outcome::Found;
    }
    // No MX: the domain's own address is its mail server.
    if (addresses(domain).isEmpty()) {
        if (!m_error.isEmpty()) {
            return m_timedOut ? Outcome::TimedOut : Outcome::Failed;
        }
        m_error = QStringLiteral("The domain %1 has no mail server").arg(QString::fromLatin1(domain));
        return Outcome::NoMailServer;
    }
    m_hosts.append(domain);
    return Outcome::Found;
}

QList<QHostAddress> MailExchangers::addresses(const QByteArray &host) {
    m_error.clear();
    const auto known = m_addresses.constFind(host);
    if (known != m_addresses.cend()) {
        return *known;
    }
    QList<QHostAddress> found;
    for (const DnsMessage::Type type : {DnsMessage::A, DnsMessage::Aaaa}) {
        DnsMessage::Answer answer;
        if (!ask(host, type, answer)) {
            // Addresses of one family are enough to try the host.
            if (!found.isEmpty()) {
                m_error.clear();
                m_addresses.insert(host, found);
            }
            return found;
        }
        found += answer.addresses;
    }
    m_addresses.insert(host, found);
    return found;
}

} // namespace corvane::relay

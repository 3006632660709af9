// One DNS question at a time over a UDP socket, with resends and a deadline.
#include "relay/DnsResolver.h"

#include <QDeadlineTimer>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QRandomGenerator>
#include <QUdpSocket>

#include <algorithm>

namespace corvane::relay {

DnsResolver::DnsResolver(const QString &server, quint16 port, int timeOutMs)
    : m_serverText(server.trimmed()), m_port(port), m_timeOutMs(timeOutMs) {}

bool DnsResolver::prepare() {
    if (m_server.setAddress(m_serverText)) {
        return true;
    }
    const QHostInfo info = QHostInfo::fromName(m_serverText);
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        m_error = QStringLiteral("The DNS server \"%1\" could not be found: %2").arg(m_serverText, info.errorString());
        return false;
    }
    m_server = info.addresses().first();
    return true;
}

DnsResolver::Result DnsResolver::ask(const QByteArray &name, DnsMessage::Type type) const {
    Result result;
    QUdpSocket socket;
    const bool v6 = m_server.protocol() == QAbstractSocket::IPv6Protocol;
    if (!socket.bind(v6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4, 0)) {
        result.error = QStringLiteral("No socket for DNS questions: ") + socket.errorString();
        return result;
    }
    const auto id = static_cast<quint16>(QRandomGenerator::global()->bounded(0x10000));
    const QByteArray packet = DnsMessage::query(id, name, type);
    const QDeadlineTimer deadline(m_timeOutMs);
    const int resendMs = std::max(m_timeOutMs / 3, 1);
    QString badAnswer;
    while (!deadline.hasExpired()) {
        if (socket.writeDatagram(packet, m_server, m_port) < 0) {
            result.error = QStringLiteral("The question could not be sent to the DNS server %1: %2")
                               .arg(m_server.toString(), socket.errorString());
            return result;
        }
        const QDeadlineTimer resend(std::min<qint64>(resendMs, deadline.remainingTime()));
        while (!resend.hasExpired()) {
            if (!socket.hasPendingDatagrams() &&
                !socket.waitForReadyRead(static_cast<int>(std::max<qint64>(resend.remainingTime(), 1)))) {
                continue;
            }
            while (socket.hasPendingDatagrams()) {
                const QNetworkDatagram datagram = socket.receiveDatagram(64 * 1024);
                if (datagram.senderPort() != m_port || !datagram.senderAddress().isEqual(m_server)) {
                    continue;
                }
                QString problem;
                const std::optional<DnsMessage::Answer> answer =
                    DnsMessage::parse(datagram.data(), id, name, type, problem);
                if (answer) {
                    result.status = Status::Answered;
                    result.answer = *answer;
                    return result;
                }
                badAnswer = problem;
            }
        }
    }
    if (!badAnswer.isEmpty()) {
        result.error = QStringLiteral("The DNS server's answer about %1 could not be used: %2")
                           .arg(QString::fromLatin1(name), badAnswer);
        return result;
    }
    result.status = Status::TimedOut;
    result.error = QStringLiteral("The DNS server %1 did not answer about %2 within %3 ms")
                       .arg(m_serverText, QString::fromLatin1(name))
                       .arg(m_timeOutMs);
    return result;
}

} // namespace corvane::relay

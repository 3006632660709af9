// Direct delivery of one message: checks, composition, MX look-up and the tries of each mail server.
#include "relay/RelayMail.h"

#include "base/CorvaneError.h"
#include "relay/MailExchangers.h"
#include "relay/RelaySmtpSession.h"
#include "send/SMTPMailbox.h"
#include "send/SMTPMessageBuilder.h"

#include <QMutexLocker>
#include <QRegularExpression>
#include <QUrl>

namespace corvane::relay {

namespace {

QMutex &headerMutex() {
    static QMutex mutex;
    return mutex;
}

QStringList &extraHeaders() {
    static QStringList lines;
    return lines;
}

// A port from the environment variable `name` (tests only), else `standard`.
quint16 portFrom(const char *name, quint16 standard) {
    bool ok = false;
    const int port = qEnvironmentVariableIntValue(name, &ok);
    return ok && port > 0 && port < 65536 ? static_cast<quint16>(port) : standard;
}

RelaySmtpSession::TimeLimits timeLimits() {
    RelaySmtpSession::TimeLimits limits;
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("CORVANE_RELAY_SMTP_TIMEOUT", &ok);
    if (ok && ms > 0) {
        limits = {ms, ms, ms};
    }
    return limits;
}

// The header block with the extra lines after the others (before the block's closing empty lines).
QByteArray withExtraLines(const SMTPMessageBuilder::Composed &composed, const QStringList &extra) {
    QByteArray block;
    for (const QByteArray &line : composed.headerLines) {
        block += line + "\r\n";
    }
    for (const QString &line : extra) {
        block += line.toLatin1() + "\r\n";
    }
    return block + "\r\n\r\n";
}

int fail(QString &error, int result, const QString &text) {
    error = RelayMail::printable(text);
    return result;
}

} // namespace

QString RelayMail::printable(const QString &text) {
    QString out = text;
    for (QChar &c : out) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            c = QLatin1Char('?');
        }
    }
    return out;
}

int RelayMail::setHeaderLines(const QStringList &lines) {
    static const QRegularExpression header(QStringLiteral("^[!-9;-~]+:[ -~]*$"));
    QStringList kept;
    for (const QString &line : lines) {
        if (header.match(line).hasMatch()) {
            kept.append(line);
        }
    }
    QMutexLocker lock(&headerMutex());
    extraHeaders() = kept;
    return static_cast<int>(kept.size());
}

QStringList RelayMail::headerLines() {
    QMutexLocker lock(&headerMutex());
    return extraHeaders();
}

int RelayMail::send(const Message &message, QString &error) {
    error.clear();
    if (message.dnsServer.trimmed().isEmpty()) {
        return fail(error, BadArguments, QStringLiteral("No DNS server is set"));
    }
    for (const QString &address : {message.fromAddress, message.toAddress}) {
        const QString problem = address.isEmpty() ? QStringLiteral("is empty") : SMTPMailbox::problem(address);
        if (!problem.isEmpty()) {
            return fail(error, BadArguments, QStringLiteral("The address \"%1\" %2").arg(address, problem));
        }
    }
    const QString domainText = message.toAddress.section(QLatin1Char('@'), -1);
    if (domainText.startsWith(QLatin1Char('['))) {
        return fail(error, BadArguments, QStringLiteral("Addresses with an address literal are not supported"));
    }
    const QByteArray domain = QUrl::toAce(domainText);
    if (domain.isEmpty() || domain.size() > 253) {
        return fail(error, BadArguments, QStringLiteral("The domain \"%1\" is not a host name").arg(domainText));
    }

    QByteArray content;
    try {
        TPostMessage post;
        post.FromAddress = message.fromAddress;
        post.FromName = message.fromName;
        post.ToAddress = QStringList{message.toAddress};
        post.Subject = message.subject;
        post.Body = message.body;
        post.Attachments = message.attachments;
        const SMTPMessageBuilder::Composed composed = SMTPMessageBuilder::compose(
            post, message.html ? SMTPMessageBuilder::Html : SMTPMessageBuilder::Plain, QStringLiteral("us-ascii"));
        content = withExtraLines(composed, headerLines());
        if (content.size() >= SMTPMessageBuilder::kHeaderLimit) {
            return fail(error, BadMessage, QStringLiteral("The message header is too long"));
        }
        content += composed.body;
    } catch (const std::exception &e) {
        return fail(error, BadMessage, CorvaneError::messageOf(e));
    }

    const int timeOut = message.dnsTimeOutMs == 0 ? kDefaultDnsTimeOutMs : message.dnsTimeOutMs;
    DnsResolver resolver(message.dnsServer, portFrom("CORVANE_RELAY_DNS_PORT", 53), timeOut);
    if (!resolver.prepare()) {
        return fail(error, BadArguments, resolver.error());
    }
    MailExchangers exchangers(resolver);
    switch (exchangers.lookUp(domain)) {
    case MailExchangers::Outcome::Found:
        break;
    case MailExchangers::Outcome::NoDomain:
        return fail(error, NoDomain, exchangers.error());
    case MailExchangers::Outcome::NoMailServer:
        return fail(error, NoMailServer, exchangers.error());
    case MailExchangers::Outcome::TimedOut:
        return fail(error, DnsTimedOut, exchangers.error());
    case MailExchangers::Outcome::Failed:
        return fail(error, DnsFailed, exchangers.error());
    }

    const quint16 port = portFrom("CORVANE_RELAY_SMTP_PORT", 25);
    RelaySmtpSession session(timeLimits());
    const QByteArray from = message.fromAddress.toLatin1();
    const QByteArray to = message.toAddress.toLatin1();
    QStringList problems;
    QString temporary;
    for (const QByteArray &host : exchangers.hosts()) {
        const QList<QHostAddress> addresses = exchangers.addresses(host);
        if (addresses.isEmpty()) {
            problems << QString::fromLatin1(host) + QStringLiteral(": ") +
                            (exchangers.error().isEmpty() ? QStringLiteral("no address") : exchangers.error());
            continue;
        }
        for (const QHostAddress &address : addresses) {
            RelaySmtpSession::Result result = session.deliver(address, port, true, from, to, content);
            if (result.tlsFailed) {
                result = session.deliver(address, port, false, from, to, content);
            }
            switch (result.outcome) {
            case RelaySmtpSession::Outcome::Sent:
                return Sent;
            case RelaySmtpSession::Outcome::Refused:
                return fail(error, Refused, result.text);
            case RelaySmtpSession::Outcome::Unknown:
                return fail(error, NotDelivered, result.text);
            case RelaySmtpSession::Outcome::TryNext:
                if (result.temporary) {
                    temporary = result.text;
                }
                problems << QString::fromLatin1(host) + QStringLiteral(" ") + result.text;
                break;
            }
        }
    }
    if (!temporary.isEmpty()) {
        return fail(error, NotDelivered, temporary);
    }
    return fail(error, Unreachable,
                QStringLiteral("No mail server of %1 could be reached: ").arg(QString::fromLatin1(domain)) +
                    problems.join(QStringLiteral("; ")));
}

} // namespace corvane::relay

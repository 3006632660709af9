// Connecting to the IMAP server through vmime and exchanging commands on the store's one connection.
#include "mailstore/ImapConnection.h"

#include "base/CorvaneError.h"
#include "mailstore/ImapCertificateVerifier.h"
#include "mailstore/ImapResponse.h"
#include "mailstore/VmimePlatform.h"

#include <QElapsedTimer>
#include <vmime/net/imap/IMAPCommand.hpp>
#include <vmime/net/imap/IMAPConnection.hpp>
#include <vmime/net/imap/IMAPParser.hpp>
#include <vmime/net/imap/IMAPStore.hpp>
#include <vmime/net/imap/IMAPUtils.hpp>
#include <vmime/net/session.hpp>
#include <vmime/net/timeoutHandler.hpp>
#include <vmime/vmime.hpp>

namespace corvane {

namespace {

using vmime::net::imap::IMAPCommand;
using vmime::net::imap::IMAPUtils;

// Gives up once the server has been silent for the account's time limit.
class SilenceLimit : public vmime::net::timeoutHandler {
public:
    explicit SilenceLimit(int seconds) : m_limitMs(qint64(seconds) * 1000) { m_timer.start(); }
    bool isTimeOut() override { return m_timer.elapsed() >= m_limitMs; }
    void resetTimeOut() override { m_timer.restart(); }
    bool handleTimeOut() override { return false; }

private:
    qint64 m_limitMs;
    QElapsedTimer m_timer;
};

class SilenceLimitFactory : public vmime::net::timeoutHandlerFactory {
public:
    explicit SilenceLimitFactory(int seconds) : m_seconds(seconds) {}
    std::shared_ptr<vmime::net::timeoutHandler> create() override { return std::make_shared<SilenceLimit>(m_seconds); }

private:
    int m_seconds;
};

bool isLoopback(const QString &host) {
    return host == QLatin1String("127.0.0.1") || host == QLatin1String("::1");
}

QString securityText(ImapAccount::Security security) {
    switch (security) {
    case ImapAccount::Security::Tls:
        return QStringLiteral("TLS");
    case ImapAccount::Security::StartTls:
        return QStringLiteral("STARTTLS");
    case ImapAccount::Security::None:
        break;
    }
    return QStringLiteral("no encryption");
}

} // namespace

ImapConnection::ImapConnection(ImapAccount account) : m_account(std::move(account)) {}

ImapConnection::~ImapConnection() {
    disconnect();
}

bool ImapConnection::isConnected() const {
    return m_connection && m_connection->isConnected();
}

void ImapConnection::disconnect() {
    m_selected.clear();
    m_changed = true;
    try {
        if (m_store && m_store->isConnected())
            m_store->disconnect();
    } catch (const std::exception &) {
    }
    m_connection.reset();
    m_store.reset();
    m_session.reset();
}

void ImapConnection::lost(const QString &why) {
    disconnect();
    throw CorvaneError(QStringLiteral("The connection to the IMAP server %1 failed: %2").arg(m_account.host, why));
}

void ImapConnection::ensureConnected() {
    if (isConnected())
        return;
    disconnect();
    if (m_account.host.trimmed().isEmpty())
        throw CorvaneError(QStringLiteral("No IMAP server is set (IMAPHost)."));
    if (m_account.user.isEmpty())
        throw CorvaneError(QStringLiteral("No IMAP user is set (IMAPUser)."));
    if (m_account.security == ImapAccount::Security::None && !isLoopback(m_account.host))
        throw CorvaneError(QStringLiteral("An IMAP connection without encryption is only allowed to 127.0.0.1, not "
                                          "to %1; set IMAPSecurity to tls or starttls.")
                               .arg(m_account.host));
    VmimePlatform::ensure();
    m_trust.clear();
    auto verifier =
        std::make_shared<ImapCertificateVerifier>(m_account.rootCertificates, m_account.normalizedFingerprint());
    try {
        m_session = vmime::net::session::create();
        const bool tlsOnConnect = m_account.security == ImapAccount::Security::Tls;
        const vmime::utility::url url(tlsOnConnect ? "imaps" : "imap", m_account.host.toStdString(),
                                      static_cast<vmime::port_t>(m_account.effectivePort()));
        m_store = vmime::dynamicCast<vmime::net::imap::IMAPStore>(m_session->getStore(url));
        if (!m_store)
            throw CorvaneError(QStringLiteral("vmime has no IMAP service."));
        const bool startTls = m_account.security == ImapAccount::Security::StartTls;
        m_store->setProperty("connection.tls", startTls);
        m_store->setProperty("connection.tls.required", startTls);
        m_store->setProperty("auth.username", m_account.user.toStdString());
        m_store->setProperty("auth.password", m_account.password.toStdString());
        m_store->setProperty("options.sasl", false);
        m_store->setCertificateVerifier(verifier);
        m_store->setTimeoutHandlerFactory(std::make_shared<SilenceLimitFactory>(m_account.timeoutSeconds));
        m_store->connect();
        m_connection = m_store->getConnection();
        if (!m_connection || !m_connection->isConnected())
            throw CorvaneError(QStringLiteral("the server closed the connection"));
    } catch (const vmime::security::cert::certificateException &e) {
        const QString seen = verifier->seenFingerprint();
        disconnect();
        throw CorvaneError(QStringLiteral("The certificate of the IMAP server %1 is not trusted (%2). Its SHA-256 "
                                          "fingerprint is %3; set IMAPCertificateSHA256 to it only if you know it "
                                          "to be the server's.")
                               .arg(m_account.host, QString::fromStdString(e.what()), seen));
    } catch (const vmime::exceptions::authentication_error &e) {
        disconnect();
        throw CorvaneError(QStringLiteral("The IMAP server %1 refused the log-in of %2: %3")
                               .arg(m_account.host, m_account.user, QString::fromStdString(e.response()).simplified()));
    } catch (const CorvaneError &e) {
        lost(e.message());
    } catch (const std::exception &e) {
        lost(QStringLiteral("cannot connect to port %1 (%2): %3")
                 .arg(m_account.effectivePort())
                 .arg(securityText(m_account.security), QString::fromStdString(e.what())));
    }
    m_trust = verifier->trust();
    const char separator = m_connection->hierarchySeparator();
    m_separator = separator == 0 ? QLatin1Char('/') : QLatin1Char(separator);
    ++m_opened;
}

std::unique_ptr<ImapResponse> ImapConnection::run(const QByteArray &command, const QByteArray *literal,
                                                  bool ownChanges) {
    ensureConnected();
    std::unique_ptr<ImapResponse> response;
    try {
        m_connection->sendCommand(IMAPCommand::createCommand(command.toStdString()));
        response = std::make_unique<ImapResponse>(m_connection->readResponse());
        if (literal != nullptr) {
            if (!response->continuation())
                throw CorvaneError(
                    QStringLiteral("The IMAP server refused %1: %2")
                        .arg(QString::fromLatin1(command.left(command.indexOf(' '))), response->statusText()));
            m_connection->sendRaw(reinterpret_cast<const vmime::byte_t *>(literal->constData()),
                                  static_cast<size_t>(literal->size()));
            m_connection->sendRaw(reinterpret_cast<const vmime::byte_t *>("\r\n"), 2);
            response = std::make_unique<ImapResponse>(m_connection->readResponse());
        }
    } catch (const CorvaneError &) {
        throw;
    } catch (const std::exception &e) {
        lost(QString::fromStdString(e.what()));
    }
    if (!ownChanges && response->mailboxChanged())
        m_changed = true;
    if (response->bye())
        lost(QStringLiteral("the server ended the session (%1)").arg(response->statusText()));
    if (!response->ok())
        throw CorvaneError(QStringLiteral("The IMAP server refused %1: %2")
                               .arg(QString::fromLatin1(
                                        command.left(command.indexOf(' ') < 0 ? command.size() : command.indexOf(' '))),
                                    response->statusText()));
    return response;
}

bool ImapConnection::hasCapability(const QString &name) {
    ensureConnected();
    try {
        return m_connection->hasCapability(name.toStdString());
    } catch (const std::exception &e) {
        lost(QString::fromStdString(e.what()));
    }
}

QByteArray ImapConnection::quoteMailbox(const QString &name) const {
    if (name.compare(QLatin1String("INBOX"), Qt::CaseInsensitive) == 0)
        return QByteArrayLiteral("INBOX");
    std::string encoded;
    for (const QString &part : name.split(m_separator)) {
        if (!encoded.empty())
            encoded += m_separator.toLatin1();
        const vmime::word component(part.toStdString(), vmime::charset(vmime::charsets::UTF_8));
        encoded += IMAPUtils::toModifiedUTF7(m_separator.toLatin1(), component);
    }
    return QByteArray::fromStdString(IMAPUtils::quoteString(encoded));
}

QString ImapConnection::decodeMailbox(const std::string &encoded) {
    return QString::fromStdString(IMAPUtils::fromModifiedUTF7(encoded).getConvertedText(vmime::charsets::UTF_8));
}

quint32 ImapConnection::select(const QString &mailbox) {
    if (isConnected() && m_selected == mailbox)
        return m_uidValidity;
    m_selected.clear();
    m_changed = true;
    const auto response = run("SELECT " + quoteMailbox(mailbox));
    m_uidValidity = response->uidValidity();
    m_selected = mailbox;
    return m_uidValidity;
}

} // namespace corvane

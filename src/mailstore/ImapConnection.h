// The one connection of an IMAP store, over vmime's IMAP service: connecting (TLS on connect, STARTTLS or, on
// the loopback address only, none), verifying the server's certificate, logging in, and then exchanging
// Corvane's own commands on that single connection, whatever folder they concern (vmime would open one more
// connection for every folder it opens). A lost connection or a server silent past the time limit ends the
// command with a CorvaneError and leaves the connection closed; the next command connects again.
#pragma once

#include "mailstore/ImapAccount.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace vmime::net {
class session;
} // namespace vmime::net
namespace vmime::net::imap {
class IMAPStore;
class IMAPConnection;
class IMAPParser;
} // namespace vmime::net::imap

namespace corvane {

class ImapResponse;

class ImapConnection {
public:
    explicit ImapConnection(ImapAccount account);
    ~ImapConnection();
    ImapConnection(const ImapConnection &) = delete;
    ImapConnection &operator=(const ImapConnection &) = delete;

    const ImapAccount &account() const { return m_account; }

    // Connects and logs in unless already connected. Raises, with the connection closed, when the account is
    // not allowed (no host, no TLS on a non-loopback address), the server cannot be reached, its certificate
    // is not trusted, the log-in is refused or the server stays silent.
    void ensureConnected();
    bool isConnected() const;
    // Logs out and closes the connection. Never raises.
    void disconnect();
    // How many times a connection was opened (one log-in each).
    int connectionsOpened() const { return m_opened; }
    // How the last certificate was accepted ("system roots" or "trusted fingerprint"); empty without TLS.
    QString certificateTrust() const { return m_trust; }

    // Sends `command` (without tag and line end) and returns the whole response. Raises when it ends in NO or
    // BAD (with the server's text) or when the connection fails; `literal`, when given, is sent after the
    // server's continuation request (APPEND).
    // `ownChanges` says the command itself changes the selected mailbox, so what its response tells of
    // changes is not news.
    std::unique_ptr<ImapResponse> run(const QByteArray &command, const QByteArray *literal = nullptr,
                                      bool ownChanges = false);
    // True when a response since the last clearChanges() told of changes made by someone else to the selected
    // mailbox, or when the mailbox was selected again since.
    bool selectedChanged() const { return m_changed; }
    void clearChanges() { m_changed = false; }

    bool hasCapability(const QString &name);
    // The server's hierarchy separator (from its LIST reply); "/" when it has none.
    QChar separator() const { return m_separator; }

    // The mailbox name as the protocol writes it (modified UTF-7, quoted) and back.
    QByteArray quoteMailbox(const QString &name) const;
    static QString decodeMailbox(const std::string &encoded);

    // Selects `mailbox` unless it is already selected, and returns its UIDVALIDITY. Raises as run().
    quint32 select(const QString &mailbox);
    QString selected() const { return m_selected; }
    // Forgets the selection (after a command that may have changed it).
    void unselect() { m_selected.clear(); }

private:
    [[noreturn]] void lost(const QString &why);

    ImapAccount m_account;
    std::shared_ptr<vmime::net::session> m_session;
    std::shared_ptr<vmime::net::imap::IMAPStore> m_store;
    std::shared_ptr<vmime::net::imap::IMAPConnection> m_connection;
    QString m_selected;
    quint32 m_uidValidity = 0;
    QChar m_separator = QLatin1Char('/');
    QString m_trust;
    int m_opened = 0;
    bool m_changed = true;
};

} // namespace corvane

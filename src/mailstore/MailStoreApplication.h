// The entry point of the mail store, standing where the program used its mail application object: opens the
// Maildir store at the configured root (creating the default one on first use), or the IMAP account when one
// is set, and gives its namespace.
#pragma once

#include "mailstore/ImapAccount.h"
#include "mailstore/MailBackend.h"
#include "mailstore/MailDraft.h"
#include "mailstore/MailNamespace.h"
#include "mailstore/MailSubmission.h"
#include "mailstore/MaildirStore.h"

#include <QString>
#include <memory>
#include <optional>

namespace corvane {

class MailStoreApplication {
public:
    // `storeRoot` is the path of the store's Maildir (the MailStore setting); empty means defaultStorePath().
    // Nothing is touched on disk until GetNameSpace().
    explicit MailStoreApplication(const QString &storeRoot = QString());

    // The folder "Mail" in the application directory.
    static QString defaultStorePath();
    // The root this object opens: the Maildir's path, or "imap://user@host:port" for an IMAP account.
    QString storeRoot() const;

    // Makes the store the IMAP account `account` instead of the Maildir. Without a password in `account`, it
    // is looked up when the store is opened (see ImapPassword::lookup, with `passwordFile`).
    void setImapAccount(const ImapAccount &account, const QString &passwordFile = QString());
    bool isImap() const { return m_imap.has_value(); }
    // The same configuration, not yet opened: the next GetNameSpace() opens the store afresh (an IMAP account
    // goes on sharing the connection this process holds for it).
    MailStoreApplication reopened() const;

    // The namespace of type "MAPI" (any letter case), the only one there is. The default store's Maildir
    // (new/, cur/, tmp/) is created when missing; a configured root must already exist; an IMAP account is
    // connected to and logged in. Raises for another type, a missing configured root, a default root that
    // cannot be created, or an IMAP account that cannot be reached or refuses the log-in.
    MailNamespace GetNameSpace(const QString &type) const;

    // How composed messages are sent and shown; applies to the store from now on.
    void setSubmission(const MailSubmission &submission);
    const MailSubmission &submission() const { return m_submission; }

    // A new, empty mail item of type `type`, which must be 0 (a mail message). Opens the store as
    // GetNameSpace() does, since a sent message is filed there. Raises for another type or when the store
    // cannot be opened.
    std::shared_ptr<MailDraft> CreateItem(int type) const;

private:
    QString m_root;
    bool m_isDefault;
    MailSubmission m_submission;
    std::optional<ImapAccount> m_imap;
    QString m_passwordFile;
    mutable std::shared_ptr<MailBackend> m_store;
};

} // namespace corvane

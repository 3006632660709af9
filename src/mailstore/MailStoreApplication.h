// The entry point of the mail store, standing where the program used its mail application object: opens the
// Maildir store at the configured root (creating the default one on first use) and gives its namespace.
#pragma once

#include "mailstore/MailDraft.h"
#include "mailstore/MailNamespace.h"
#include "mailstore/MailSubmission.h"
#include "mailstore/MaildirStore.h"

#include <QString>
#include <memory>

namespace corvane {

class MailStoreApplication {
public:
    // `storeRoot` is the path of the store's Maildir (the MailStore setting); empty means defaultStorePath().
    // Nothing is touched on disk until GetNameSpace().
    explicit MailStoreApplication(const QString &storeRoot = QString());

    // The folder "Mail" in the application directory.
    static QString defaultStorePath();
    // The root this object opens.
    QString storeRoot() const { return m_root; }

    // The namespace of type "MAPI" (any letter case), the only one there is. The default store's Maildir
    // (new/, cur/, tmp/) is created when missing; a configured root must already exist. Raises for another
    // type, a missing configured root, or a default root that cannot be created.
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
    mutable std::shared_ptr<MaildirStore> m_store;
};

} // namespace corvane

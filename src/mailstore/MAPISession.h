// The session object through which the program re-opens a stored message by its entry ID and store ID to
// read its sender: log on, fetch messages, log off. It opens the same mail store as the application object.
#pragma once

#include "mailstore/MailItem.h"
#include "mailstore/MailNamespace.h"
#include "mailstore/MailStoreApplication.h"

#include <QString>
#include <memory>
#include <optional>

namespace corvane {

class MAPISession {
public:
    // Logs on to the store at `storeRoot` (as MailStoreApplication takes it) with `submission`.
    explicit MAPISession(const QString &storeRoot = QString(), const MailSubmission &submission = MailSubmission())
        : m_application(storeRoot) {
        m_application.setSubmission(submission);
    }
    // Logs on to the store `application` opens (a Maildir or an IMAP account).
    explicit MAPISession(const MailStoreApplication &application) : m_application(application.reopened()) {}

    // Opens the mail store. The profile name, password, dialog and parent-window arguments have no meaning
    // for the store and are accepted as given; `newSession` opens the store afresh even when this session is
    // already logged on. Raises when the store cannot be opened.
    void Logon(const QString &profileName, const QString &password, bool showDialog, bool newSession,
               qintptr parentWindow);
    // The message `entryId` of the store `storeId` (any store when empty), wherever it now lies. Raises when
    // not logged on or the message is not there.
    std::shared_ptr<MailItem> GetMessage(const QString &entryId, const QString &storeId) const;
    // Ends the session; later GetMessage calls raise until the next Logon. Never raises.
    void logoff() { m_namespace.reset(); }

private:
    MailStoreApplication m_application;
    std::optional<MailNamespace> m_namespace;
};

} // namespace corvane

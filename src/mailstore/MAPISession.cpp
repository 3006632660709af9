// Logging on to the mail store and re-opening messages by identity.
#include "mailstore/MAPISession.h"

#include "base/CorvaneError.h"

namespace corvane {

void MAPISession::Logon(const QString &profileName, const QString &password, bool showDialog, bool newSession,
                        qintptr parentWindow) {
    Q_UNUSED(profileName);
    Q_UNUSED(password);
    Q_UNUSED(showDialog);
    Q_UNUSED(parentWindow);
    if (m_namespace && !newSession)
        return;
    m_namespace = m_application.reopened().GetNameSpace(QStringLiteral("MAPI"));
}

std::shared_ptr<MailItem> MAPISession::GetMessage(const QString &entryId, const QString &storeId) const {
    if (!m_namespace)
        throw CorvaneError(QStringLiteral("The mail session is not logged on."));
    return m_namespace->GetItemFromID(entryId, storeId);
}

} // namespace corvane

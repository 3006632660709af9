// Opening the configured Maildir store or IMAP account.
#include "mailstore/MailStoreApplication.h"

#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "mailstore/ImapPassword.h"
#include "mailstore/ImapStore.h"

#include <QDir>
#include <QFileInfo>

namespace corvane {

MailStoreApplication::MailStoreApplication(const QString &storeRoot)
    : m_root(storeRoot.trimmed().isEmpty() ? defaultStorePath() : QDir::cleanPath(storeRoot.trimmed())),
      m_isDefault(storeRoot.trimmed().isEmpty()) {}

QString MailStoreApplication::defaultStorePath() {
    return AppPaths::applicationDirectory() + QStringLiteral("Mail");
}

MailNamespace MailStoreApplication::GetNameSpace(const QString &type) const {
    if (type.compare(QLatin1String("MAPI"), Qt::CaseInsensitive) != 0)
        throw CorvaneError(QStringLiteral("The mail store has no namespace \"%1\".").arg(type));
    if (!m_store && m_imap) {
        ImapAccount account = *m_imap;
        if (account.password.isEmpty())
            account.password = ImapPassword::lookup(m_passwordFile, account.user, account.host);
        auto store = ImapStore::shared(account);
        store->connection().ensureConnected();
        store->setSubmission(m_submission);
        m_store = store;
    }
    if (!m_store) {
        if (m_isDefault) {
            for (const char *sub : {"tmp", "new", "cur"}) {
                if (!QDir().mkpath(m_root + QLatin1Char('/') + QLatin1String(sub)))
                    throw CorvaneError(QStringLiteral("The mail store %1 cannot be created.").arg(m_root));
            }
        } else if (!QFileInfo(m_root).isDir()) {
            throw CorvaneError(QStringLiteral("The mail store %1 does not exist.").arg(m_root));
        }
        m_store = std::make_shared<MaildirStore>(m_root);
        m_store->setSubmission(m_submission);
    }
    return MailNamespace({m_store});
}

QString MailStoreApplication::storeRoot() const {
    return m_imap ? QStringLiteral("imap://") + m_imap->identity() : m_root;
}

void MailStoreApplication::setImapAccount(const ImapAccount &account, const QString &passwordFile) {
    m_imap = account;
    m_passwordFile = passwordFile;
    m_store.reset();
}

MailStoreApplication MailStoreApplication::reopened() const {
    MailStoreApplication copy = *this;
    copy.m_store.reset();
    return copy;
}

void MailStoreApplication::setSubmission(const MailSubmission &submission) {
    m_submission = submission;
    if (m_store)
        m_store->setSubmission(submission);
}

std::shared_ptr<MailDraft> MailStoreApplication::CreateItem(int type) const {
    if (type != 0)
        throw CorvaneError(QStringLiteral("The mail store cannot create items of type %1.").arg(type));
    GetNameSpace(QStringLiteral("MAPI"));
    return std::make_shared<MailDraft>(m_store);
}

} // namespace corvane

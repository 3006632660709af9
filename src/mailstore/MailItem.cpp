// Reading, flagging and deleting one stored message.
#include "mailstore/MailItem.h"

#include "base/CorvaneError.h"
#include "mailstore/MaildirFileName.h"

#include <QFile>

namespace corvane {

namespace {

const QString kDeletedItems = QStringLiteral("Deleted Items");

} // namespace

MailItem::MailItem(std::shared_ptr<MaildirStore> store, QString folderKey, MaildirEntry entry)
    : m_store(std::move(store)), m_folderKey(std::move(folderKey)), m_entry(std::move(entry)) {}

void MailItem::checkNotDeleted() const {
    if (m_deleted)
        throw CorvaneError(QStringLiteral("The message %1 has been deleted.").arg(m_entry.unique));
}

const MessageContent &MailItem::content() const {
    checkNotDeleted();
    if (m_content)
        return *m_content;
    QFile file(m_store->locate(m_folderKey, m_entry));
    if (!file.open(QIODevice::ReadOnly))
        throw CorvaneError(
            QStringLiteral("The message %1 cannot be opened: %2").arg(m_entry.unique, file.errorString()));
    if (file.size() > kMaxMessageBytes)
        throw CorvaneError(
            QStringLiteral("The message %1 is too large to be read (%2 bytes).").arg(m_entry.unique).arg(file.size()));
    const QByteArray raw = file.readAll();
    if (raw.size() != file.size())
        throw CorvaneError(QStringLiteral("The message %1 cannot be read completely.").arg(m_entry.unique));
    m_content.emplace(raw);
    return *m_content;
}

QString MailItem::body() const {
    return content().body();
}

QString MailItem::subject() const {
    return content().subject();
}

QDateTime MailItem::senton() const {
    return content().sentOn().toLocalTime();
}

QString MailItem::SenderName() const {
    const auto from = content().from();
    if (!from)
        return {};
    return from->name.isEmpty() ? from->address : from->name;
}

QString MailItem::SenderEmailAddress() const {
    const auto from = content().from();
    return from ? from->address : QString();
}

MailRecipients MailItem::Recipients() const {
    std::vector<MailRecipient> all;
    const MessageContent &message = content();
    for (const auto &a : message.to())
        all.emplace_back(a.name, a.address, MailRecipient::To);
    for (const auto &a : message.cc())
        all.emplace_back(a.name, a.address, MailRecipient::CC);
    for (const auto &a : message.bcc())
        all.emplace_back(a.name, a.address, MailRecipient::BCC);
    return MailRecipients(std::move(all));
}

MailRecipients MailItem::Replyrecipients() const {
    std::vector<MailRecipient> all;
    for (const auto &a : content().replyTo())
        all.emplace_back(a.name, a.address, MailRecipient::To);
    return MailRecipients(std::move(all));
}

bool MailItem::UnRead() const {
    checkNotDeleted();
    m_store->locate(m_folderKey, m_entry);
    return m_entry.subdir == QLatin1String("new") || !MaildirFileName(m_entry.fileName).hasFlag(QLatin1Char('S'));
}

void MailItem::setUnRead(bool unread) {
    checkNotDeleted();
    m_store->setSeen(m_folderKey, m_entry, !unread);
}

void MailItem::Delete() {
    checkNotDeleted();
    m_store->locate(m_folderKey, m_entry);
    const QString target = m_store->ensureTopLevelFolder(kDeletedItems);
    if (target == m_folderKey)
        m_store->remove(m_folderKey, m_entry);
    else
        m_store->moveTo(m_folderKey, m_entry, target);
    m_deleted = true;
}

} // namespace corvane

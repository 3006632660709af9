// Reading, flagging and deleting one stored message.
#include "mailstore/MailItem.h"

#include "base/CorvaneError.h"
#include "mailstore/DeliveryStatusPart.h"
#include "mailstore/MessageAttachmentReader.h"
#include "mailstore/SingleLineText.h"

#include <QLocale>

namespace corvane {

namespace {

const QString kDeletedItems = QStringLiteral("Deleted Items");

} // namespace

MailItem::MailItem(std::shared_ptr<MailBackend> store, QString folderKey, StoredEntry entry)
    : m_store(std::move(store)), m_folderKey(std::move(folderKey)), m_entry(std::move(entry)) {}

void MailItem::checkNotDeleted() const {
    if (m_deleted)
        throw CorvaneError(QStringLiteral("The message %1 has been deleted.").arg(m_entry.unique));
}

const MessageContent &MailItem::content() const {
    checkNotDeleted();
    if (m_content)
        return *m_content;
    const QByteArray raw = m_store->read(m_folderKey, m_entry, kMaxMessageBytes);
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

MailRecipient MailItem::Sender() const {
    const auto from = content().from();
    if (!from)
        throw CorvaneError(QStringLiteral("The message has no sender."));
    return MailRecipient(from->name, from->address, MailRecipient::To);
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

QString MailItem::quotedOriginal() const {
    const MessageContent &message = content();
    QString sent;
    try {
        sent = QLocale().toString(senton(), QLocale::LongFormat);
    } catch (const CorvaneError &) {
    }
    QStringList to;
    for (const auto &a : message.to())
        to << (a.name.isEmpty() ? a.address : a.name);
    QString text = QStringLiteral("\r\n\r\n-----Original Message-----\r\n");
    text += QStringLiteral("From: ") + SenderName() + QStringLiteral("\r\n");
    if (!sent.isEmpty())
        text += QStringLiteral("Sent: ") + sent + QStringLiteral("\r\n");
    if (!to.isEmpty())
        text += QStringLiteral("To: ") + to.join(QStringLiteral("; ")) + QStringLiteral("\r\n");
    text += QStringLiteral("Subject: ") + subject() + QStringLiteral("\r\n\r\n");
    return text + body();
}

std::shared_ptr<MailDraft> MailItem::reply() const {
    const MessageContent &message = content();
    auto draft = std::make_shared<MailDraft>(m_store);
    std::vector<MailAddress> to = message.replyTo();
    if (to.empty()) {
        if (const auto from = message.from())
            to.push_back(*from);
    }
    if (to.empty())
        throw CorvaneError(QStringLiteral("The message has no sender to reply to."));
    for (const auto &a : to)
        draft->Recipients().Add(a.address, a.name).Resolve();
    draft->setSubject(QStringLiteral("RE: ") + subject().simplified());
    draft->setBody(quotedOriginal());
    // The identifiers come from a stranger's header and go into one Corvane writes: no control character passes.
    const QByteArray id = SingleLineText::ofBytes(message.rawHeader("message-id")).trimmed();
    QByteArray references = SingleLineText::ofBytes(message.rawHeader("references")).simplified();
    if (!id.isEmpty())
        references = (references + ' ' + id).trimmed();
    draft->setInReplyTo(id, references);
    return draft;
}

std::shared_ptr<MailDraft> MailItem::forward() const {
    auto draft = std::make_shared<MailDraft>(m_store);
    draft->setSubject(QStringLiteral("FW: ") + subject().simplified());
    draft->setBody(quotedOriginal());
    for (const MailAttachment &a : MessageAttachmentReader::read(content().raw()))
        draft->Attachments().addContent(a.displayName, a.mediaType, a.data);
    return draft;
}

bool MailItem::UnRead() const {
    checkNotDeleted();
    return m_store->isUnread(m_folderKey, m_entry);
}

void MailItem::setUnRead(bool unread) {
    checkNotDeleted();
    m_store->setSeen(m_folderKey, m_entry, !unread);
}

void MailItem::Delete() {
    checkNotDeleted();
    m_store->checkPresent(m_folderKey, m_entry);
    const QString target = m_store->ensureTopLevelFolder(kDeletedItems);
    if (target == m_folderKey)
        m_store->remove(m_folderKey, m_entry);
    else
        m_store->moveTo(m_folderKey, m_entry, target);
    m_deleted = true;
}

QByteArray MailItem::headerField(const QByteArray &name) const {
    return content().rawHeader(name);
}

std::optional<QByteArray> MailItem::deliveryStatus() const {
    return DeliveryStatusPart::of(content().raw());
}

} // namespace corvane

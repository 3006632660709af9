// One stored message of a folder as the program sees a mail item: its fields (read from the file on
// first use and kept), its identity, its read state and its deletion. Reading never changes the file; only
// setUnRead() and Delete() do. The message is a stranger's: whatever it holds, every failure is a CorvaneError
// for this item alone, a one-line value (subject, names, addresses) holds no control character, and the body
// keeps its line ends but no NUL.
#pragma once

#include "mailstore/MailBackend.h"
#include "mailstore/MailDraft.h"
#include "mailstore/MailRecipients.h"
#include "mailstore/MessageContent.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

namespace corvane {

class MailItem {
public:
    // Messages larger than this are refused (they raise on first read) rather than parsed.
    static constexpr qint64 kMaxMessageBytes = 64LL * 1024 * 1024;

    MailItem(std::shared_ptr<MailBackend> store, QString folderKey, StoredEntry entry);

    // The plain-text body (see MessageContent::body). Raises when the file vanished, is too large or is not
    // a message, or the body's character set is unknown.
    QString body() const;
    // The decoded subject, empty when there is none. Raises as body() for an unreadable file.
    QString subject() const;
    // The Date header in local time. Raises when it is missing or unreadable, so the caller can fall back.
    QDateTime senton() const;
    // The From display name, or the From address when there is no name; empty without From.
    QString SenderName() const;
    // The From address (what the safe item's sender-address property gives); empty without From.
    QString SenderEmailAddress() const;
    // The sender as the session object gives it: From's display name (its address when it has none) and
    // address. Raises when the message has no From, or as body() for an unreadable file.
    MailRecipient Sender() const;
    // To, Cc and Bcc recipients in that order, of Type 1, 2 and 3.
    MailRecipients Recipients() const;
    // The Reply-To recipients; none when the message has no Reply-To.
    MailRecipients Replyrecipients() const;

    // A reply to the sender: To the Reply-To recipients or else the From address, subject "RE: " and the
    // subject, the body a blank line, the original's header block and its body, with the reply headers.
    // Raises when the message cannot be read or has no one to reply to.
    std::shared_ptr<MailDraft> reply() const;
    // A forwarded copy: no recipients, subject "FW: " and the subject, the body as in reply(), and every
    // attachment of the original. Raises when the message or its attachments cannot be read.
    std::shared_ptr<MailDraft> forward() const;

    // The message's identity in its store: the unique part of its file name, unchanged by flags and moves.
    QString EntryID() const { return m_entry.unique; }
    QString StoreID() const { return m_store->storeId(); }

    // True while the message is not marked seen (in new/, or in cur/ without the S flag). Raises when the
    // file vanished.
    bool UnRead() const;
    // Marks the message read or unread by renaming its file. Raises when the file vanished or cannot be renamed.
    void setUnRead(bool unread);
    // Moves the message to the store's "Deleted Items" folder, creating that folder when missing; a message
    // already there is removed for good. Afterwards every call on this item raises. Raises when the file
    // vanished or cannot be moved.
    void Delete();

    // The raw (unfolded, undecoded) text of the first header field `name` (any letter case), empty when
    // absent. Raises as body() for an unreadable file.
    QByteArray headerField(const QByteArray &name) const;
    // The decoded delivery-status part when the message is a delivery status notification (see
    // DeliveryStatusPart), else none. Raises as body() for an unreadable file.
    std::optional<QByteArray> deliveryStatus() const;

private:
    const MessageContent &content() const;
    QString quotedOriginal() const;
    void checkNotDeleted() const;

    std::shared_ptr<MailBackend> m_store;
    QString m_folderKey;
    mutable StoredEntry m_entry;
    mutable std::optional<MessageContent> m_content;
    bool m_deleted = false;
};

} // namespace corvane

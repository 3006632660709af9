// The IMAP back-end of one store: an account's mailboxes as the store's folders, reached over one connection
// that every folder shares. "INBOX" is the Inbox; the special-use mailboxes \Trash, \Sent and \Drafts stand
// as "Deleted Items", "Sent Items" and "Drafts" at the top (otherwise folders of those names are created).
// A folder's items are its messages oldest first by UID; an item's identity is the mailbox's UIDVALIDITY and
// its UID (entry.subdir and entry.fileName), so a mailbox whose UIDVALIDITY changed holds none of the items
// listed before. Reading fetches with BODY.PEEK and never changes a flag; message bytes are fetched for a run of
// neighbouring messages at once (a folder read from one end to the other costs few round trips).
#pragma once

#include "mailstore/ImapAccount.h"
#include "mailstore/ImapConnection.h"
#include "mailstore/MailBackend.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <vector>

namespace corvane {

class ImapStore : public MailBackend {
public:
    explicit ImapStore(ImapAccount account);
    ~ImapStore() override;
    ImapStore(const ImapStore &) = delete;
    ImapStore &operator=(const ImapStore &) = delete;

    // The store of `account` that this process already holds open, else a new one: every object of the mail
    // store that names the same account shares one store and so one connection.
    static std::shared_ptr<ImapStore> shared(const ImapAccount &account);

    ImapConnection &connection() const { return conn(); }

    QString storeId() const override { return QStringLiteral("imap://") + m_connection.account().identity(); }
    QString displayName() const override { return m_connection.account().host; }
    quint64 generation() const override { return m_generation.load(); }

    QString inboxKey() const override { return QStringLiteral("INBOX"); }
    QString inboxChildParent() const override { return QStringLiteral("INBOX"); }
    QStringList childFolders(const QString &parentKey) const override;
    QString childKey(const QString &parentKey, const QString &name) const override;
    // CREATE. Raises when the name is empty or holds the hierarchy separator, the folder exists, or the server
    // refuses.
    QString createFolder(const QString &parentKey, const QString &name) override;
    QString ensureTopLevelFolder(const QString &name) override;
    QStringList allFolderKeys() const override;

    // One UID FETCH over the whole mailbox for UID, flags and size; messages flagged \Deleted are left out. An
    // unchanged mailbox (nothing new from the server since the last listing) is answered from that listing.
    std::vector<StoredEntry> list(const QString &key, bool contacts) const override;
    bool isContactsFolder(const QString &) const override { return false; }
    // STATUS (UNSEEN).
    int unreadCount(const QString &key) const override;

    QByteArray read(const QString &key, StoredEntry &entry, qint64 maxBytes) const override;
    // From the folder's listing when the message is in it, else asked of the server.
    bool isUnread(const QString &key, StoredEntry &entry) const override;
    void checkPresent(const QString &key, StoredEntry &entry) const override;
    void setSeen(const QString &key, StoredEntry &entry, bool seen) override;
    // UID MOVE when the server offers it, else UID COPY, \Deleted and (with UIDPLUS) UID EXPUNGE of this message
    // alone; without UIDPLUS the message stays flagged \Deleted, which listings leave out.
    void moveTo(const QString &key, StoredEntry &entry, const QString &targetKey) override;
    void remove(const QString &key, StoredEntry &entry) override;
    // APPEND with the flags the Maildir letters name (S \Seen, D \Draft, R \Answered, F \Flagged).
    StoredEntry deliver(const QString &key, const QByteArray &raw, const QString &flags) override;

private:
    struct Mailbox {
        QString key;
        QString parent;
        QString name;
        QString specialUse;
        bool selectable = true;
    };
    struct Listed {
        qint64 size = -1;
        bool seen = false;
    };
    struct Listing {
        quint32 uidValidity = 0;
        std::vector<quint32> uids;
        QHash<quint32, Listed> messages;
    };

    const std::vector<Mailbox> &mailboxes() const;
    // The UID of `entry` after selecting `key`. Raises when the mailbox's UIDVALIDITY is no longer the one
    // the entry was listed under.
    quint32 selectFor(const QString &key, const StoredEntry &entry) const;
    // The UID of `entry` when the folder's listing holds it under the same UIDVALIDITY, else 0.
    quint32 listedUid(const QString &key, const StoredEntry &entry) const;
    // True when the server still has the message (asks it).
    bool present(quint32 uid) const;
    // Fetches the bytes of `uid` and of the messages after it in the reading direction (one UID FETCH), then
    // starts fetching the run after those in the background.
    void fetchBodies(const QString &key, quint32 uid, qint64 maxBytes) const;
    // The UID set of up to kBatchMessages listed messages from `uid` on (`including` it or not) going down or
    // up, within the byte limit; `last` is the last UID taken (0 for none).
    QByteArray batchAfter(const QString &key, quint32 uid, bool down, bool including, qint64 maxBytes,
                          quint32 &last) const;
    // Starts fetching the run after m_aheadLast in the background unless a fetch ahead is running.
    void startAhead(const QString &key) const;
    // Waits for the fetch ahead, keeping what it brought.
    void settle() const;
    // The connection, once no fetch ahead is using it.
    ImapConnection &conn() const {
        settle();
        return m_connection;
    }
    void forget(const QString &key, quint32 uid) const;
    void changed() { ++m_generation; }

    mutable ImapConnection m_connection;
    mutable std::vector<Mailbox> m_mailboxes;
    mutable QElapsedTimer m_mailboxesAge;
    mutable std::map<QString, Listing> m_listings;
    // Message bytes fetched ahead, for the folder m_bodiesKey only.
    mutable QString m_bodiesKey;
    mutable QHash<quint32, QByteArray> m_bodies;
    mutable quint32 m_lastRead = 0;
    mutable std::future<QHash<quint32, QByteArray>> m_ahead;
    mutable QString m_aheadKey;
    mutable quint32 m_aheadLast = 0;
    mutable bool m_aheadDown = false;
    mutable qint64 m_aheadMaxBytes = 0;
    std::atomic<quint64> m_generation{0};
};

} // namespace corvane

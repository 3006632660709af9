// The seam between the mail-store objects (namespace, folders, items) and one store's storage: the Maildir++
// tree today (MaildirStore), an IMAP account later. Folders are named by keys the back-end chooses; items by
// their identity (the EntryID) plus where the back-end last found them. A store also carries how the
// messages composed in it are submitted.
#pragma once

#include "mailstore/MailSubmission.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace corvane {

// One item of a folder: `unique` is its identity in the store (the EntryID, unchanged by flags and moves);
// `subdir` and `fileName` say where the back-end last found it and are only read by the back-end.
struct StoredEntry {
    QString unique;
    QString subdir;
    QString fileName;
};

class MailBackend {
public:
    virtual ~MailBackend() = default;

    // The store's identity (StoreID) and the name of its top folder when it is not the first store.
    virtual QString storeId() const = 0;
    virtual QString displayName() const = 0;
    // Grows with every change made through this back-end; item lists compare it to know when to re-read.
    virtual quint64 generation() const = 0;

    // The key of the Inbox and the key under which the Inbox's own sub-folders lie.
    virtual QString inboxKey() const = 0;
    virtual QString inboxChildParent() const = 0;
    // The names of the folders directly inside `parentKey` ("" for the store's top), sorted ignoring case.
    virtual QStringList childFolders(const QString &parentKey) const = 0;
    // The key of folder `name` inside `parentKey`.
    virtual QString childKey(const QString &parentKey, const QString &name) const = 0;
    // Creates folder `name` inside `parentKey` and returns its key. Raises when the name is not allowed or is
    // taken, or the folder cannot be made.
    virtual QString createFolder(const QString &parentKey, const QString &name) = 0;
    // The key of the top-level folder `name` (any letter case), created when missing. Raises as createFolder().
    virtual QString ensureTopLevelFolder(const QString &name) = 0;
    // Every folder key that holds items, the Inbox first.
    virtual QStringList allFolderKeys() const = 0;

    // The messages (or, with `contacts`, the vCards) of folder `key`, oldest delivery first.
    virtual std::vector<StoredEntry> list(const QString &key, bool contacts) const = 0;
    // True when the folder holds contacts and no messages.
    virtual bool isContactsFolder(const QString &key) const = 0;
    // How many messages of the folder are not marked seen.
    virtual int unreadCount(const QString &key) const = 0;

    // The raw bytes of the item, never changing it; `entry` is updated when the item moved within its
    // folder. Raises when it is gone, larger than `maxBytes` or unreadable.
    virtual QByteArray read(const QString &key, StoredEntry &entry, qint64 maxBytes) const = 0;
    // Whether the message is not marked seen. Raises when it is gone.
    virtual bool isUnread(const QString &key, StoredEntry &entry) const = 0;
    // Raises when the item is no longer in its folder; updates `entry` when it moved within it.
    virtual void checkPresent(const QString &key, StoredEntry &entry) const = 0;
    // Marks the message seen or not. Raises when it is gone or cannot be changed.
    virtual void setSeen(const QString &key, StoredEntry &entry, bool seen) = 0;
    // Moves the item to folder `targetKey`. Raises when it is gone or cannot be moved.
    virtual void moveTo(const QString &key, StoredEntry &entry, const QString &targetKey) = 0;
    // Deletes the item for good. Raises when it is gone or cannot be removed.
    virtual void remove(const QString &key, StoredEntry &entry) = 0;
    // Files `raw` as a new message of folder `key` carrying the Maildir flag letters `flags` (empty: a new,
    // unseen message). No reader ever sees it half-written. Raises when it cannot be written whole.
    virtual StoredEntry deliver(const QString &key, const QByteArray &raw, const QString &flags) = 0;

    const MailSubmission &submission() const { return m_submission; }
    void setSubmission(const MailSubmission &submission) { m_submission = submission; }

private:
    MailSubmission m_submission;
};

} // namespace corvane

// The Maildir++ back-end of one store, on disk: which folders exist, which message and vCard files each holds
// in delivery order, and the few changes the program makes (the Seen flag, moving a message to another
// folder, removing it, creating a folder). Reading never renames, moves or rewrites a file.
//
// Folders are named by their key: "" is the root's own Maildir (shown as "Inbox"), "A" is the directory ".A",
// "A.B" the directory ".A.B" (folder B inside A); the Inbox's own sub-folders are ".INBOX.Name". An entry's
// subdir is "new", "cur", or empty for a vCard kept directly in the folder's directory.
#pragma once

#include "mailstore/MailBackend.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <vector>

namespace corvane {

class MaildirStore : public MailBackend {
public:
    // `root` is the Maildir at the top of the store; it must exist (MailStoreApplication checks that).
    explicit MaildirStore(const QString &root);

    QString root() const { return m_root; }
    // The store's identity: the canonical path of its root.
    QString storeId() const override { return m_storeId; }
    // Grows with every change made through this object; item lists compare it to know when to re-read.
    quint64 generation() const override { return m_generation.load(); }

    // The root directory's name.
    QString displayName() const override;
    QString inboxKey() const override { return QStringLiteral(""); }
    QString inboxChildParent() const override { return QStringLiteral("INBOX"); }
    QString childKey(const QString &parentKey, const QString &name) const override {
        return parentKey.isEmpty() ? name : parentKey + QLatin1Char('.') + name;
    }
    // Messages in new/, and in cur/ without the S flag.
    int unreadCount(const QString &key) const override;
    // The file's bytes. Raises when it vanished, is larger than `maxBytes` or cannot be read whole, or is not a
    // regular file of the store (a device, a FIFO, a directory, a link leading out of the store). Never reads
    // more than `maxBytes` (and one byte) whatever the file.
    QByteArray read(const QString &key, StoredEntry &entry, qint64 maxBytes) const override;
    bool isUnread(const QString &key, StoredEntry &entry) const override;
    void checkPresent(const QString &key, StoredEntry &entry) const override { locate(key, entry); }

    // The directory of folder `key`, with no trailing "/".
    QString folderDirectory(const QString &key) const;
    // True when the folder's directory exists (a parent implied only by its children's names does not).
    bool folderExists(const QString &key) const;
    // The names of the folders directly inside `parentKey`, sorted ignoring letter case. The root's own
    // Maildir ("") has no sub-folders; use topLevelFolders() for the folders beside it.
    QStringList childFolders(const QString &parentKey) const override;
    QStringList topLevelFolders() const { return childFolders(QString()); }

    // Creates folder `name` inside `parentKey` (empty: at the top level) with new/, cur/, tmp/ and the
    // "maildirfolder" marker, and returns its key. Raises when the name is empty, contains ".", "/" or "\",
    // names an existing folder (ignoring letter case; "Inbox" at the top level is taken), or the directories
    // cannot be made.
    QString createFolder(const QString &parentKey, const QString &name) override;
    // Creates the top-level folder `name` when it is missing and returns its key. Raises as createFolder().
    QString ensureTopLevelFolder(const QString &name) override;

    // The message files (new/ and cur/, no "*.vcf") or the vCard files ("*.vcf" in the folder's directory,
    // new/ and cur/) of folder `key`, oldest delivery first. A missing folder has none.
    std::vector<StoredEntry> list(const QString &key, bool vcards) const override;
    // True when the folder holds vCard files and no messages: a contacts folder.
    bool isContactsFolder(const QString &key) const override;

    // The full path of the file whose unique name is entry.unique, updating `entry` when the file has been
    // renamed since it was listed. Raises when the file is no longer in the folder.
    QString locate(const QString &key, StoredEntry &entry) const;
    // Sets or clears the Seen flag of the message in its file name; a message in new/ that becomes seen moves
    // to cur/. Raises when the file vanished or cannot be renamed.
    void setSeen(const QString &key, StoredEntry &entry, bool seen) override;
    // Moves the message to folder `targetKey`, keeping its file name and subdirectory. Raises when the file
    // vanished, the target already holds that name, or the rename fails.
    void moveTo(const QString &key, StoredEntry &entry, const QString &targetKey) override;
    // Deletes the message file for good. Raises when it vanished or cannot be removed.
    void remove(const QString &key, StoredEntry &entry) override;
    // Writes the message under tmp/ with a new unique name, flushes it to disk and renames it into new/ (no
    // flags) or cur/ (with ":2," and the flags in ASCII order). A failed write leaves nothing behind.
    StoredEntry deliver(const QString &key, const QByteArray &raw, const QString &flags) override;

    // Every folder key with a directory, the root's own ("") first.
    QStringList allFolderKeys() const override;

private:
    void changed() { ++m_generation; }

    QString m_root;
    QString m_storeId;
    std::atomic<quint64> m_deliveries{0};
    std::atomic<quint64> m_generation{0};
};

} // namespace corvane

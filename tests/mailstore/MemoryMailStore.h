// Test helper: a mail store holding one item in memory, so that the reader can be run over many generated
// messages without touching the disk. Reading gives the bytes; every change is refused.
#pragma once

#include "base/CorvaneError.h"
#include "mailstore/MailBackend.h"

namespace corvane::test {

class MemoryMailStore : public MailBackend {
public:
    explicit MemoryMailStore(QByteArray raw) : m_raw(std::move(raw)) {}

    QString storeId() const override { return QStringLiteral("memory"); }
    QString displayName() const override { return QStringLiteral("memory"); }
    quint64 generation() const override { return 0; }
    QString inboxKey() const override { return {}; }
    QString inboxChildParent() const override { return QStringLiteral("INBOX"); }
    QStringList childFolders(const QString &) const override { return {}; }
    QString childKey(const QString &, const QString &name) const override { return name; }
    QString createFolder(const QString &, const QString &) override { refuse(); }
    QString ensureTopLevelFolder(const QString &) override { refuse(); }
    QStringList allFolderKeys() const override { return {QString()}; }
    std::vector<StoredEntry> list(const QString &, bool) const override { return {entry()}; }
    bool isContactsFolder(const QString &) const override { return false; }
    int unreadCount(const QString &) const override { return 1; }
    QByteArray read(const QString &, StoredEntry &, qint64 maxBytes) const override {
        if (m_raw.size() > maxBytes)
            throw CorvaneError(QStringLiteral("too large"));
        return m_raw;
    }
    bool isUnread(const QString &, StoredEntry &) const override { return true; }
    void checkPresent(const QString &, StoredEntry &) const override {}
    void setSeen(const QString &, StoredEntry &, bool) override { refuse(); }
    void moveTo(const QString &, StoredEntry &, const QString &) override { refuse(); }
    void remove(const QString &, StoredEntry &) override { refuse(); }
    StoredEntry deliver(const QString &, const QByteArray &, const QString &) override { refuse(); }

    static StoredEntry entry() { return {QStringLiteral("1"), QStringLiteral("cur"), QStringLiteral("1")}; }

private:
    [[noreturn]] static void refuse() { throw CorvaneError(QStringLiteral("the memory store is read-only")); }

    QByteArray m_raw;
};

} // namespace corvane::test

// The IMAP account's mailboxes and messages as the store's folders and items.
#include "mailstore/ImapStore.h"

#include "base/CorvaneError.h"
#include "mailstore/ImapResponse.h"

#include <QMutex>
#include <algorithm>
#include <future>

namespace corvane {

namespace {

const QString kInbox = QStringLiteral("INBOX");
// How long a folder list is used before it is asked for again.
constexpr qint64 kMailboxesMaxAgeMs = 30 * 1000;
// Messages and bytes fetched ahead in one UID FETCH.
constexpr int kBatchMessages = 256;
constexpr qint64 kBatchBytes = 16LL * 1024 * 1024;

QString specialName(const QString &use) {
    if (use == QLatin1String("\\Trash"))
        return QStringLiteral("Deleted Items");
    if (use == QLatin1String("\\Sent"))
        return QStringLiteral("Sent Items");
    if (use == QLatin1String("\\Drafts"))
        return QStringLiteral("Drafts");
    return {};
}

bool lessIgnoringCase(const QString &a, const QString &b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

[[noreturn]] void notThere(const StoredEntry &entry) {
    throw CorvaneError(QStringLiteral("The message %1 is no longer in the folder.").arg(entry.unique));
}

// Line ends as the protocol wants them: every lone LF becomes CR LF.
QByteArray withCrLf(const QByteArray &raw) {
    QByteArray out;
    out.reserve(raw.size() + raw.size() / 32);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r'))
            out.append('\r');
        out.append(raw[i]);
    }
    return out;
}

} // namespace

ImapStore::ImapStore(ImapAccount account) : m_connection(std::move(account)) {}

ImapStore::~ImapStore() {
    settle();
}

void ImapStore::settle() const {
    if (!m_ahead.valid())
        return;
    try {
        QHash<quint32, QByteArray> fetched = m_ahead.get();
        if (m_aheadKey == m_bodiesKey)
            m_bodies.insert(fetched);
    } catch (const std::exception &) {
        // The fetch ahead only saves time: what it could not fetch is fetched again when it is read.
    }
}

QByteArray ImapStore::batchAfter(const QString &key, quint32 uid, bool down, bool including, qint64 maxBytes,
                                 quint32 &last) const {
    QByteArray set;
    last = 0;
    const auto cached = m_listings.find(key);
    if (cached == m_listings.end())
        return including ? QByteArray::number(uid) : QByteArray();
    const std::vector<quint32> &uids = cached->second.uids;
    const auto at = std::lower_bound(uids.begin(), uids.end(), uid);
    if (at == uids.end() || *at != uid)
        return including ? QByteArray::number(uid) : QByteArray();
    qint64 bytes = 0;
    qsizetype i = at - uids.begin();
    if (!including)
        i += down ? -1 : 1;
    for (int n = 0; n < kBatchMessages && i >= 0 && i < static_cast<qsizetype>(uids.size()); ++n, i += down ? -1 : 1) {
        const quint32 next = uids[size_t(i)];
        const qint64 size = cached->second.messages.value(next).size;
        if (!set.isEmpty() && (size < 0 || size > maxBytes || bytes + size > kBatchBytes))
            break;
        bytes += std::max<qint64>(size, 0);
        set += (set.isEmpty() ? QByteArray() : QByteArray(",")) + QByteArray::number(next);
        last = next;
    }
    return set;
}

std::shared_ptr<ImapStore> ImapStore::shared(const ImapAccount &account) {
    static QMutex mutex;
    static std::map<QString, std::weak_ptr<ImapStore>> open;
    const QMutexLocker lock(&mutex);
    const QString id = account.identity() + QLatin1Char('|') + QString::number(int(account.security)) +
                       QLatin1Char('|') + account.normalizedFingerprint() + QLatin1Char('|') + account.rootCertificates;
    if (auto store = open[id].lock(); store && store->connection().account().password == account.password)
        return store;
    auto store = std::make_shared<ImapStore>(account);
    open[id] = store;
    return store;
}

const std::vector<ImapStore::Mailbox> &ImapStore::mailboxes() const {
    if (m_mailboxesAge.isValid() && m_mailboxesAge.elapsed() < kMailboxesMaxAgeMs && conn().isConnected())
        return m_mailboxes;
    const auto response = conn().run(QByteArrayLiteral("LIST \"\" \"*\""));
    std::vector<Mailbox> boxes;
    for (const ImapResponse::Mailbox &listed : response->mailboxes()) {
        Mailbox box;
        box.key = ImapConnection::decodeMailbox(listed.encodedName);
        if (box.key.compare(kInbox, Qt::CaseInsensitive) == 0)
            box.key = kInbox;
        const QChar separator = listed.separator != 0 ? QLatin1Char(listed.separator) : conn().separator();
        const qsizetype cut = listed.separator != 0 ? box.key.lastIndexOf(separator) : -1;
        box.parent = cut < 0 ? QString() : box.key.left(cut);
        box.name = cut < 0 ? box.key : box.key.mid(cut + 1);
        box.selectable = !listed.noSelect;
        box.specialUse = specialName(listed.specialUse);
        // A name the server sends may hold anything; one with a control character is not offered.
        if (box.key.isEmpty() || std::any_of(box.key.begin(), box.key.end(), [](QChar c) {
                return c.isNull() || c.category() == QChar::Other_Control;
            }))
            continue;
        boxes.push_back(std::move(box));
    }
    // One mailbox per special use, the first the server names.
    QStringList taken;
    for (Mailbox &box : boxes) {
        if (box.specialUse.isEmpty())
            continue;
        if (taken.contains(box.specialUse))
            box.specialUse.clear();
        else
            taken.append(box.specialUse);
    }
    m_mailboxes = std::move(boxes);
    m_mailboxesAge.start();
    return m_mailboxes;
}

QStringList ImapStore::childFolders(const QString &parentKey) const {
    QStringList names;
    const auto &boxes = mailboxes();
    for (const Mailbox &box : boxes) {
        if (!box.specialUse.isEmpty()) {
            if (parentKey.isEmpty())
                names.append(box.specialUse);
            continue;
        }
        if (box.parent != parentKey || box.key == kInbox)
            continue;
        // A plain folder named like a special-use one at the top gives way to it.
        if (parentKey.isEmpty() && std::any_of(boxes.begin(), boxes.end(), [&](const Mailbox &other) {
                return !other.specialUse.isEmpty() && other.specialUse.compare(box.name, Qt::CaseInsensitive) == 0;
            }))
            continue;
        names.append(box.name);
    }
    // A parent known only from its children's names is a folder too.
    for (const Mailbox &box : boxes) {
        if (!parentKey.isEmpty() && box.parent.startsWith(parentKey + conn().separator())) {
            const QString rest = box.parent.mid(parentKey.size() + 1).section(conn().separator(), 0, 0);
            if (!rest.isEmpty() && !names.contains(rest))
                names.append(rest);
        }
    }
    names.removeDuplicates();
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    return names;
}

QString ImapStore::childKey(const QString &parentKey, const QString &name) const {
    if (parentKey.isEmpty()) {
        for (const Mailbox &box : mailboxes()) {
            if (!box.specialUse.isEmpty() && box.specialUse.compare(name, Qt::CaseInsensitive) == 0)
                return box.key;
        }
        return name;
    }
    return parentKey + conn().separator() + name;
}

QString ImapStore::createFolder(const QString &parentKey, const QString &name) {
    if (name.trimmed().isEmpty())
        throw CorvaneError(QStringLiteral("A folder name may not be empty."));
    conn().ensureConnected();
    const QChar separator = conn().separator();
    if (name.contains(separator) || name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('%')) ||
        std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        throw CorvaneError(
            QStringLiteral("The folder name \"%1\" may not contain \"%2\", \"*\" or \"%\".").arg(name, separator));
    if (parentKey.isEmpty() && name.compare(QLatin1String("Inbox"), Qt::CaseInsensitive) == 0)
        throw CorvaneError(QStringLiteral("The folder \"%1\" already exists.").arg(name));
    for (const QString &existing : childFolders(parentKey)) {
        if (existing.compare(name, Qt::CaseInsensitive) == 0)
            throw CorvaneError(QStringLiteral("The folder \"%1\" already exists.").arg(name));
    }
    const QString key = parentKey.isEmpty() ? name : parentKey + separator + name;
    m_mailboxesAge.invalidate();
    conn().run("CREATE " + conn().quoteMailbox(key));
    changed();
    return key;
}

QString ImapStore::ensureTopLevelFolder(const QString &name) {
    for (const QString &existing : childFolders(QString())) {
        if (existing.compare(name, Qt::CaseInsensitive) == 0)
            return childKey(QString(), existing);
    }
    return createFolder(QString(), name);
}

QStringList ImapStore::allFolderKeys() const {
    QStringList keys{kInbox};
    for (const Mailbox &box : mailboxes()) {
        if (box.selectable && box.key != kInbox)
            keys.append(box.key);
    }
    return keys;
}

std::vector<StoredEntry> ImapStore::list(const QString &key, bool contacts) const {
    if (contacts)
        return {};
    const quint32 uidValidity = conn().select(key);
    auto cached = m_listings.find(key);
    bool reuse = cached != m_listings.end() && cached->second.uidValidity == uidValidity && !conn().selectedChanged();
    if (reuse) {
        conn().run(QByteArrayLiteral("NOOP"));
        reuse = !conn().selectedChanged();
    }
    if (!reuse) {
        conn().clearChanges();
        const auto response = conn().run(QByteArrayLiteral("UID FETCH 1:* (UID FLAGS RFC822.SIZE)"));
        Listing listing;
        listing.uidValidity = uidValidity;
        for (const ImapResponse::Fetched &f : response->fetched()) {
            if (f.deleted || listing.messages.contains(f.uid))
                continue;
            listing.uids.push_back(f.uid);
            listing.messages.insert(f.uid, {f.size, f.seen});
        }
        std::sort(listing.uids.begin(), listing.uids.end());
        if (m_bodiesKey == key)
            m_bodies.clear();
        cached = m_listings.insert_or_assign(key, std::move(listing)).first;
    }
    std::vector<StoredEntry> entries;
    entries.reserve(cached->second.uids.size());
    const QString validity = QString::number(uidValidity);
    for (const quint32 uid : cached->second.uids)
        entries.push_back({validity + QLatin1Char('.') + QString::number(uid), validity, QString::number(uid)});
    return entries;
}

int ImapStore::unreadCount(const QString &key) const {
    const auto response = conn().run("STATUS " + conn().quoteMailbox(key) + " (UNSEEN)");
    return static_cast<int>(std::min<quint64>(response->unseen().value_or(0), INT_MAX));
}

quint32 ImapStore::selectFor(const QString &key, const StoredEntry &entry) const {
    bool okValidity = false;
    bool okUid = false;
    const quint32 validity = entry.subdir.toUInt(&okValidity);
    const quint32 uid = entry.fileName.toUInt(&okUid);
    if (!okValidity || !okUid || uid == 0)
        notThere(entry);
    if (conn().select(key) != validity) {
        m_listings.erase(key);
        notThere(entry);
    }
    return uid;
}

bool ImapStore::present(quint32 uid) const {
    const auto response = conn().run("UID FETCH " + QByteArray::number(uid) + " (UID FLAGS)");
    for (const ImapResponse::Fetched &f : response->fetched()) {
        if (f.uid == uid)
            return !f.deleted;
    }
    return false;
}

void ImapStore::checkPresent(const QString &key, StoredEntry &entry) const {
    if (!present(selectFor(key, entry)))
        notThere(entry);
}

void ImapStore::fetchBodies(const QString &key, quint32 uid, qint64 maxBytes) const {
    settle();
    if (m_bodiesKey != key) {
        m_bodies.clear();
        m_bodiesKey = key;
    }
    if (m_bodies.contains(uid))
        return;
    // Read ahead in the direction the folder is being read.
    const bool down = m_lastRead > uid;
    quint32 last = 0;
    const QByteArray set = batchAfter(key, uid, down, true, maxBytes, last);
    const auto response = conn().run("UID FETCH " + set + " (UID BODY.PEEK[])");
    m_bodies.clear();
    for (ImapResponse::Fetched &f : response->fetched()) {
        if (f.raw && !f.deleted)
            m_bodies.insert(f.uid, std::move(*f.raw));
    }
    // While the caller parses this run, the next one is fetched on the same connection; every other use of
    // the connection waits for it first (conn()).
    m_aheadLast = last;
    m_aheadDown = down;
    m_aheadMaxBytes = maxBytes;
    startAhead(key);
}

void ImapStore::startAhead(const QString &key) const {
    if (m_ahead.valid() || m_aheadLast == 0)
        return;
    quint32 last = 0;
    const QByteArray nextSet = batchAfter(key, m_aheadLast, m_aheadDown, false, m_aheadMaxBytes, last);
    m_aheadLast = last;
    if (!nextSet.isEmpty()) {
        m_aheadKey = key;
        m_ahead = std::async(std::launch::async, [this, nextSet] {
            QHash<quint32, QByteArray> fetched;
            const auto ahead = m_connection.run("UID FETCH " + nextSet + " (UID BODY.PEEK[])");
            for (ImapResponse::Fetched &f : ahead->fetched()) {
                if (f.raw && !f.deleted)
                    fetched.insert(f.uid, std::move(*f.raw));
            }
            return fetched;
        });
    }
}

quint32 ImapStore::listedUid(const QString &key, const StoredEntry &entry) const {
    bool okValidity = false;
    bool okUid = false;
    const quint32 validity = entry.subdir.toUInt(&okValidity);
    const quint32 uid = entry.fileName.toUInt(&okUid);
    const auto cached = m_listings.find(key);
    if (!okValidity || !okUid || cached == m_listings.end() || cached->second.uidValidity != validity ||
        !cached->second.messages.contains(uid))
        return 0;
    return uid;
}

QByteArray ImapStore::read(const QString &key, StoredEntry &entry, qint64 maxBytes) const {
    // A message fetched ahead is handed over without waiting for the connection, busy with the next run.
    if (const quint32 listed = listedUid(key, entry); listed != 0 && m_bodiesKey == key && m_bodies.contains(listed)) {
        QByteArray raw = m_bodies.take(listed);
        m_lastRead = listed;
        if (raw.size() > maxBytes)
            throw CorvaneError(
                QStringLiteral("The item %1 is too large to be read (%2 bytes).").arg(entry.unique).arg(raw.size()));
        if (m_bodies.size() < kBatchMessages / 2)
            startAhead(key);
        return raw;
    }
    const quint32 uid = selectFor(key, entry);
    const auto cached = m_listings.find(key);
    if (cached != m_listings.end()) {
        const qint64 size = cached->second.messages.value(uid, Listed{}).size;
        if (size > maxBytes)
            throw CorvaneError(
                QStringLiteral("The item %1 is too large to be read (%2 bytes).").arg(entry.unique).arg(size));
    }
    if (m_bodiesKey != key || !m_bodies.contains(uid))
        settle();
    if (m_bodiesKey != key || !m_bodies.contains(uid))
        fetchBodies(key, uid, maxBytes);
    m_lastRead = uid;
    if (!m_bodies.contains(uid))
        notThere(entry);
    QByteArray raw = m_bodies.take(uid);
    // Half of the run read: the next one is fetched meanwhile.
    if (m_bodies.size() < kBatchMessages / 2)
        startAhead(key);
    if (raw.size() > maxBytes)
        throw CorvaneError(
            QStringLiteral("The item %1 is too large to be read (%2 bytes).").arg(entry.unique).arg(raw.size()));
    return raw;
}

bool ImapStore::isUnread(const QString &key, StoredEntry &entry) const {
    if (const quint32 listed = listedUid(key, entry))
        return !m_listings.find(key)->second.messages.value(listed).seen;
    const quint32 uid = selectFor(key, entry);
    const auto cached = m_listings.find(key);
    if (cached != m_listings.end() && cached->second.messages.contains(uid))
        return !cached->second.messages.value(uid).seen;
    const auto response = conn().run("UID FETCH " + QByteArray::number(uid) + " (UID FLAGS)");
    for (const ImapResponse::Fetched &f : response->fetched()) {
        if (f.uid == uid && !f.deleted)
            return !f.seen;
    }
    notThere(entry);
}

void ImapStore::forget(const QString &key, quint32 uid) const {
    const auto cached = m_listings.find(key);
    if (cached != m_listings.end()) {
        auto &uids = cached->second.uids;
        uids.erase(std::remove(uids.begin(), uids.end(), uid), uids.end());
        cached->second.messages.remove(uid);
    }
    if (m_bodiesKey == key)
        m_bodies.remove(uid);
}

void ImapStore::setSeen(const QString &key, StoredEntry &entry, bool seen) {
    const quint32 uid = selectFor(key, entry);
    if (!present(uid))
        notThere(entry);
    conn().run("UID STORE " + QByteArray::number(uid) + (seen ? " +" : " -") + "FLAGS.SILENT (\\Seen)", nullptr, true);
    const auto cached = m_listings.find(key);
    if (cached != m_listings.end() && cached->second.messages.contains(uid))
        cached->second.messages[uid].seen = seen;
    changed();
}

void ImapStore::moveTo(const QString &key, StoredEntry &entry, const QString &targetKey) {
    const quint32 uid = selectFor(key, entry);
    if (!present(uid))
        notThere(entry);
    const QByteArray number = QByteArray::number(uid);
    const QByteArray target = conn().quoteMailbox(targetKey);
    if (conn().hasCapability(QStringLiteral("MOVE"))) {
        conn().run("UID MOVE " + number + ' ' + target, nullptr, true);
    } else {
        conn().run("UID COPY " + number + ' ' + target, nullptr, true);
        conn().run("UID STORE " + number + " +FLAGS.SILENT (\\Deleted)", nullptr, true);
        if (conn().hasCapability(QStringLiteral("UIDPLUS")))
            conn().run("UID EXPUNGE " + number, nullptr, true);
    }
    forget(key, uid);
    m_listings.erase(targetKey);
    changed();
}

void ImapStore::remove(const QString &key, StoredEntry &entry) {
    const quint32 uid = selectFor(key, entry);
    if (!present(uid))
        notThere(entry);
    const QByteArray number = QByteArray::number(uid);
    conn().run("UID STORE " + number + " +FLAGS.SILENT (\\Deleted)", nullptr, true);
    if (conn().hasCapability(QStringLiteral("UIDPLUS")))
        conn().run("UID EXPUNGE " + number, nullptr, true);
    forget(key, uid);
    changed();
}

StoredEntry ImapStore::deliver(const QString &key, const QByteArray &raw, const QString &flags) {
    QStringList names;
    for (const QChar letter : flags) {
        switch (letter.unicode()) {
        case 'S':
            names << QStringLiteral("\\Seen");
            break;
        case 'D':
            names << QStringLiteral("\\Draft");
            break;
        case 'R':
            names << QStringLiteral("\\Answered");
            break;
        case 'F':
            names << QStringLiteral("\\Flagged");
            break;
        default:
            break;
        }
    }
    const QByteArray message = withCrLf(raw);
    const QByteArray command = "APPEND " + conn().quoteMailbox(key) + " (" + names.join(' ').toLatin1() + ") {" +
                               QByteArray::number(message.size()) + '}';
    const auto response = conn().run(command, &message, key == conn().selected());
    m_listings.erase(key);
    if (key == conn().selected())
        conn().unselect();
    changed();
    StoredEntry entry;
    if (const auto appended = response->appendUid()) {
        entry.subdir = QString::number(appended->first);
        entry.fileName = QString::number(appended->second);
        entry.unique = entry.subdir + QLatin1Char('.') + entry.fileName;
    }
    return entry;
}

} // namespace corvane

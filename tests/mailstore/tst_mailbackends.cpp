// One suite over both mail-store back-ends, the Maildir++ tree and an IMAP account on a Dovecot of the test's
// own, so that the two cannot drift: folders, item order, reading without marking read, the read flag,
// deleting into "Deleted Items", re-opening by identity and the copy a sent message leaves.
#include "DovecotInstance.h"
#include "MaildirFixture.h"
#include "base/CorvaneError.h"
#include "mailstore/ImapStore.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailNamespace.h"
#include "mailstore/MaildirStore.h"
#include "mailstore/MessageContent.h"

#include <QTest>
#include <memory>

using namespace corvane;

namespace {

const QStringList kFixtures{"base64.eml", "latin1.eml", "replyto.eml", "alternative-qp.eml"};

// A store of either kind, empty at first, filled through the back-end's own delivery.
struct Store {
    explicit Store(const QString &kind) {
        if (kind == QLatin1String("imap")) {
            if (!test::DovecotInstance::available())
                return;
            dovecot = std::make_unique<test::DovecotInstance>();
            if (!dovecot->start())
                qFatal("dovecot did not start");
            imap = std::make_shared<ImapStore>(dovecot->account());
            backend = imap;
        } else {
            maildir = std::make_unique<test::MaildirFixture>();
            backend = std::make_shared<MaildirStore>(maildir->root());
        }
        MailSubmission submission;
        submission.submitCommand = QStringLiteral("true");
        backend->setSubmission(submission);
    }
    MailFolder root() const { return MailNamespace({backend}).Folders(1); }
    MailFolder inbox() const { return root().Folders(QStringLiteral("Inbox")); }
    // The server's (or the store's) Maildir, where flags show in the file names.
    QString files() const { return dovecot ? dovecot->mailRoot() : maildir->root(); }

    std::unique_ptr<test::DovecotInstance> dovecot;
    std::unique_ptr<test::MaildirFixture> maildir;
    std::shared_ptr<ImapStore> imap;
    std::shared_ptr<MailBackend> backend;
};

#define STORE_OR_SKIP(name)                                                                                            \
    QFETCH(QString, kind);                                                                                             \
    Store name(kind);                                                                                                  \
    if (!name.backend)                                                                                                 \
        QSKIP("dovecot is not installed");

QStringList subjects(const MailItems &items) {
    QStringList all;
    for (int i = 1; i <= items.Count(); ++i)
        all.append(items.Item(i)->subject());
    return all;
}

QStringList fixtureSubjects(const QStringList &names) {
    QStringList all;
    for (const QString &name : names)
        all.append(MessageContent(test::MaildirFixture::fixture(name)).subject());
    return all;
}

void fill(Store &store, const QString &key, const QStringList &names, const QString &seenMask) {
    for (qsizetype i = 0; i < names.size(); ++i)
        store.backend->deliver(key, test::MaildirFixture::fixture(names[i]),
                               seenMask.at(i) == QLatin1Char('S') ? QStringLiteral("S") : QString());
}

// Message files under `dir` whose Maildir flags hold "S".
int seenFiles(const QString &dir) {
    int seen = 0;
    for (const QString &sub : {QStringLiteral("new"), QStringLiteral("cur")}) {
        for (const QString &name : QDir(dir + QLatin1Char('/') + sub).entryList(QDir::Files))
            seen += name.section(QStringLiteral(":2,"), 1).contains(QLatin1Char('S')) ? 1 : 0;
    }
    return seen;
}

QStringList names(const MailFolders &folders) {
    QStringList all;
    for (int i = 1; i <= folders.Count(); ++i)
        all.append(folders.Item(i).name());
    return all;
}

} // namespace

class TestMailBackends : public QObject {
    Q_OBJECT

private slots:
    void folders_data() { kinds(); }
    void folders();
    void readingKeepsFlags_data();
    void readingKeepsFlags();
    void markRead_data() { kinds(); }
    void markRead();
    void deleteMovesToDeletedItems_data() { kinds(); }
    void deleteMovesToDeletedItems();
    void reopenByIdentity_data() { kinds(); }
    void reopenByIdentity();
    void sentCopy_data() { kinds(); }
    void sentCopy();

private:
    static void kinds() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("maildir") << QStringLiteral("maildir");
        QTest::newRow("imap") << QStringLiteral("imap");
    }
};

void TestMailBackends::folders() {
    STORE_OR_SKIP(store);
    MailFolder root = store.root();
    root.addFolder(QStringLiteral("Lists"));
    root.addFolder(QStringLiteral("archive"));
    root.Folders(QStringLiteral("lists")).addFolder(QStringLiteral("Sub"));
    const QStringList tops = names(store.root().Folders());
    QCOMPARE(tops.first(), QStringLiteral("Inbox"));
    QVERIFY(tops.contains(QStringLiteral("Lists")) && tops.contains(QStringLiteral("archive")));
    QVERIFY(tops.indexOf(QStringLiteral("archive")) < tops.indexOf(QStringLiteral("Lists")));
    QCOMPARE(names(store.root().Folders(QStringLiteral("Lists")).Folders()), QStringList{"Sub"});
    QVERIFY_THROWS_EXCEPTION(CorvaneError, store.root().addFolder(QStringLiteral("LISTS")));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, store.root().addFolder(QStringLiteral("inbox")));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, store.root().addFolder(QString()));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, store.root().Folders(QStringLiteral("Sub")));
    QCOMPARE(store.root().Folders(QStringLiteral("Lists")).Folders(QStringLiteral("Sub")).Items().Count(), 0);
    if (store.imap)
        QCOMPARE(store.imap->connection().connectionsOpened(), 1);
}

void TestMailBackends::readingKeepsFlags_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("seen");
    for (const char *kind : {"maildir", "imap"}) {
        QTest::addRow("%s none read", kind) << kind << QStringLiteral("....");
        QTest::addRow("%s two read", kind) << kind << QStringLiteral("S..S");
    }
}

// Oldest first, every field readable, and reading (forwards, then backwards as the scan walks) marks nothing.
void TestMailBackends::readingKeepsFlags() {
    STORE_OR_SKIP(store);
    QFETCH(QString, seen);
    fill(store, store.backend->inboxKey(), kFixtures, seen);
    const int unread = int(seen.count(QLatin1Char('.')));
    const MailFolder inbox = store.inbox();
    const MailItems items = inbox.Items();
    QCOMPARE(items.Count(), kFixtures.size());
    QCOMPARE(inbox.UnReadItemCount(), unread);
    QCOMPARE(subjects(items), fixtureSubjects(kFixtures));
    for (int i = items.Count(); i >= 1; --i) {
        const auto item = items.Item(i);
        QCOMPARE(item->UnRead(), seen.at(i - 1) != QLatin1Char('S'));
        QVERIFY(!item->body().isEmpty());
        QCOMPARE(item->SenderName().isEmpty(),
                 MessageContent(test::MaildirFixture::fixture(kFixtures[i - 1])).from() == std::nullopt);
    }
    QCOMPARE(store.inbox().UnReadItemCount(), unread);
    QCOMPARE(seenFiles(store.files()), int(seen.size()) - unread);
}

void TestMailBackends::markRead() {
    STORE_OR_SKIP(store);
    fill(store, store.backend->inboxKey(), kFixtures, QStringLiteral("...."));
    const MailItems items = store.inbox().Items();
    items.Item(2)->setUnRead(false);
    items.Item(4)->setUnRead(false);
    QCOMPARE(store.inbox().UnReadItemCount(), 2);
    QVERIFY(!store.inbox().Items().Item(2)->UnRead());
    QVERIFY(store.inbox().Items().Item(3)->UnRead());
    store.inbox().Items().Item(2)->setUnRead(true);
    QCOMPARE(store.inbox().UnReadItemCount(), 3);
    QCOMPARE(seenFiles(store.files()), 1);
    QCOMPARE(subjects(store.inbox().Items()), fixtureSubjects(kFixtures));
}

// Walking down and deleting keeps the items below in place; "Deleted Items" gets them; deleting there is final.
void TestMailBackends::deleteMovesToDeletedItems() {
    STORE_OR_SKIP(store);
    fill(store, store.backend->inboxKey(), kFixtures, QStringLiteral("...."));
    const MailItems items = store.inbox().Items();
    const auto heldElsewhere = store.inbox().Items().Item(2);
    for (int i = items.Count(); i >= 1; --i) {
        if (i % 2 == 0)
            items.Item(i)->Delete();
    }
    QCOMPARE(subjects(store.inbox().Items()), fixtureSubjects({kFixtures[0], kFixtures[2]}));
    const MailFolder deleted = store.root().Folders(QStringLiteral("Deleted Items"));
    // In "Deleted Items" a Maildir keeps the delivery order, IMAP the order of arrival there.
    QStringList moved = subjects(deleted.Items());
    moved.sort();
    QStringList expected = fixtureSubjects({kFixtures[1], kFixtures[3]});
    expected.sort();
    QCOMPARE(moved, expected);
    if (store.imap) // the server's special-use \Trash mailbox stands as "Deleted Items"
        QCOMPARE(QDir(store.files() + QStringLiteral("/.Trash/cur")).entryList(QDir::Files).size() +
                     QDir(store.files() + QStringLiteral("/.Trash/new")).entryList(QDir::Files).size(),
                 2);
    deleted.Items().Item(1)->Delete();
    QCOMPARE(store.root().Folders(QStringLiteral("Deleted Items")).Items().Count(), 1);
    QVERIFY_THROWS_EXCEPTION(CorvaneError, heldElsewhere->subject());
}

void TestMailBackends::reopenByIdentity() {
    STORE_OR_SKIP(store);
    fill(store, store.backend->inboxKey(), kFixtures, QStringLiteral("...."));
    store.root().addFolder(QStringLiteral("Lists"));
    fill(store, store.root().Folders(QStringLiteral("Lists")).key().value(), {kFixtures[1]}, QStringLiteral("S"));
    const auto listed = store.root().Folders(QStringLiteral("Lists")).Items().Item(1);
    const MailNamespace ns({store.backend});
    const auto again = ns.GetItemFromID(listed->EntryID(), listed->StoreID());
    QCOMPARE(again->subject(), listed->subject());
    QVERIFY(!again->UnRead());
    QVERIFY_THROWS_EXCEPTION(CorvaneError, ns.GetItemFromID(listed->EntryID(), QStringLiteral("elsewhere")));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, ns.GetItemFromID(QStringLiteral("1.999999"), listed->StoreID()));
}

void TestMailBackends::sentCopy() {
    STORE_OR_SKIP(store);
    MailDraft draft(store.backend);
    draft.setSubject(QStringLiteral("Weekly note"));
    draft.setBody(QStringLiteral("Line one\r\nLine two\r\n"));
    draft.Recipients().Add(QStringLiteral("member@example.com"));
    draft.Send();
    const MailItems sent = store.root().Folders(QStringLiteral("Sent Items")).Items();
    QCOMPARE(sent.Count(), 1);
    QCOMPARE(sent.Item(1)->subject(), QStringLiteral("Weekly note"));
    QVERIFY(!sent.Item(1)->UnRead());
    QVERIFY(sent.Item(1)->body().contains(QStringLiteral("Line two")));
}

QTEST_GUILESS_MAIN(TestMailBackends)
#include "tst_mailbackends.moc"

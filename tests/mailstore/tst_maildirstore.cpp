// Tests of the Maildir++ store on disk: the folder tree, item order and identity, the Seen flag in file names,
// deleting into "Deleted Items", folder creation, re-opening by identity, and that reading changes nothing.
#include "MaildirFixture.h"
#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "mailstore/MAPISession.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailStoreApplication.h"
#include "mailstore/SafeMailItem.h"

#include <QTest>

using namespace corvane;

namespace {

MailFolder inbox(const MailStoreApplication &app) {
    return app.GetNameSpace(QStringLiteral("MAPI")).Folders(1).Folders(QStringLiteral("Inbox"));
}

QStringList entryIds(const MailItems &items) {
    QStringList ids;
    for (int i = 1; i <= items.Count(); ++i)
        ids.append(items.Item(i)->EntryID());
    return ids;
}

QStringList folderNames(const MailFolders &folders) {
    QStringList names;
    for (int i = 1; i <= folders.Count(); ++i)
        names.append(folders.Item(i).name());
    return names;
}

} // namespace

class TestMaildirStore : public QObject {
    Q_OBJECT

private slots:
    void folderTree();
    void itemOrder();
    void unreadFromFileName_data();
    void unreadFromFileName();
    void markRead_data();
    void markRead();
    void deleteMovesToDeletedItems();
    void deletingWhileWalkingDown();
    void createFolder();
    void createFolderRefused_data();
    void createFolderRefused();
    void readingChangesNothing();
    void vanishedAndRenamedFiles();
    void reopenByIdentity();
    void storeRoot();
    void largeMessages();
    void safeItemSenderAddress();
};

void TestMaildirStore::folderTree() {
    test::MaildirFixture box;
    for (const char *dir : {".Lists", ".archive", ".Lists.Sub", ".Only.Child", ".INBOX.Filed"})
        test::MaildirFixture::makeMaildir(box.root() + QLatin1Char('/') + QLatin1String(dir), true);
    MailStoreApplication app(box.root());
    const MailNamespace ns = app.GetNameSpace(QStringLiteral("mapi"));
    QCOMPARE(ns.Folders().Count(), 1);
    QCOMPARE(ns.Folders(1).name(), QStringLiteral("<Root>"));
    QCOMPARE(ns.Folders(QStringLiteral("<root>")).name(), QStringLiteral("<Root>"));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, ns.Folders(2));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, ns.Folders(QStringLiteral("Elsewhere")));

    const MailFolder root = ns.Folders(1);
    QCOMPARE(folderNames(root.Folders()), (QStringList{"Inbox", "archive", "Lists", "Only"}));
    QCOMPARE(root.Items().Count(), 0);
    QCOMPARE(folderNames(root.Folders(QStringLiteral("lists")).Folders()), QStringList{"Sub"});
    QCOMPARE(folderNames(root.Folders(QStringLiteral("Only")).Folders()), QStringList{"Child"});
    QCOMPARE(folderNames(root.Folders(QStringLiteral("Inbox")).Folders()), QStringList{"Filed"});
    QVERIFY_THROWS_EXCEPTION(CorvaneError, root.Folders(QStringLiteral("Sub")));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, root.Folders(5));
}

// Oldest delivery first: numeric delivery time, then name; new/ and cur/ mixed; the order survives flags.
void TestMaildirStore::itemOrder() {
    test::MaildirFixture box;
    const QByteArray mail = test::MaildirFixture::fixture(QStringLiteral("base64.eml"));
    box.put(QString(), "cur", "1000000000.M3P1.host:2,S", mail);
    box.put(QString(), "new", "999999999.M9P1.host", mail);
    box.put(QString(), "new", "1000000000.M1P1.host", mail);
    box.put(QString(), "cur", "1700000000.M1P1.host:2,", mail);
    box.put(QString(), "tmp", "1600000000.M1P1.host", mail);
    box.put(QString(), "cur", "1650000000.card.vcf", test::MaildirFixture::fixture(QStringLiteral("v30.vcf")));
    MailStoreApplication app(box.root());
    const MailItems items = inbox(app).Items();
    QCOMPARE(inbox(app).DefaultItemType(), 0);
    QCOMPARE(entryIds(items), (QStringList{"999999999.M9P1.host", "1000000000.M1P1.host", "1000000000.M3P1.host",
                                           "1700000000.M1P1.host"}));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, items.Item(0));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, items.Item(5));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, items.Contact(1));
}

void TestMaildirStore::unreadFromFileName_data() {
    QTest::addColumn<QString>("subdir");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("unread");
    QTest::newRow("new") << "new"
                         << "1700000000.A.host" << true;
    QTest::newRow("cur, no info") << "cur"
                                  << "1700000000.A.host" << true;
    QTest::newRow("cur, other flags") << "cur"
                                      << "1700000000.A.host:2,FR" << true;
    QTest::newRow("cur, seen") << "cur"
                               << "1700000000.A.host:2,S" << false;
    QTest::newRow("cur, seen among others") << "cur"
                                            << "1700000000.A.host:2,FRS" << false;
}

void TestMaildirStore::unreadFromFileName() {
    QFETCH(QString, subdir);
    QFETCH(QString, fileName);
    QFETCH(bool, unread);
    test::MaildirFixture box;
    const QByteArray mail = test::MaildirFixture::fixture(QStringLiteral("base64.eml"));
    box.put(QString(), subdir, fileName, mail);
    box.put(QString(), "cur", "1600000000.B.host:2,S", mail);
    MailStoreApplication app(box.root());
    QCOMPARE(inbox(app).Items().Item(2)->UnRead(), unread);
    QCOMPARE(inbox(app).UnReadItemCount(), unread ? 1 : 0);
}

void TestMaildirStore::markRead_data() {
    QTest::addColumn<QString>("subdir");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("unread");
    QTest::addColumn<QString>("expectedSubdir");
    QTest::addColumn<QString>("expectedName");
    QTest::newRow("new becomes read") << "new"
                                      << "1700000000.A.host" << false << "cur"
                                      << "1700000000.A.host:2,S";
    QTest::newRow("new stays unread") << "new"
                                      << "1700000000.A.host" << true << "new"
                                      << "1700000000.A.host";
    QTest::newRow("flags kept in order") << "cur"
                                         << "1700000000.A.host:2,RF" << false << "cur"
                                         << "1700000000.A.host:2,FRS";
    QTest::newRow("seen cleared") << "cur"
                                  << "1700000000.A.host:2,FS" << true << "cur"
                                  << "1700000000.A.host:2,F";
    QTest::newRow("already read") << "cur"
                                  << "1700000000.A.host:2,S" << false << "cur"
                                  << "1700000000.A.host:2,S";
}

void TestMaildirStore::markRead() {
    QFETCH(QString, subdir);
    QFETCH(QString, fileName);
    QFETCH(bool, unread);
    QFETCH(QString, expectedSubdir);
    QFETCH(QString, expectedName);
    test::MaildirFixture box;
    const QByteArray mail = test::MaildirFixture::fixture(QStringLiteral("replyto.eml"));
    box.put(QString(), "cur", "1600000000.first.host:2,", mail);
    box.put(QString(), subdir, fileName, mail);
    box.put(QString(), "new", "1800000000.last.host", mail);
    MailStoreApplication app(box.root());
    const MailItems items = inbox(app).Items();
    const QStringList before = entryIds(items);
    const auto item = items.Item(2);
    item->setUnRead(unread);
    QCOMPARE(item->UnRead(), unread);
    QCOMPARE(box.filesIn(QString(), expectedSubdir).filter(QStringLiteral(".A.")), QStringList{expectedName});
    QCOMPARE(entryIds(items), before);
    QCOMPARE(items.Item(2)->UnRead(), unread);
    QCOMPARE(items.Item(2)->subject(), QStringLiteral("Re: change address"));
}

void TestMaildirStore::deleteMovesToDeletedItems() {
    test::MaildirFixture box;
    const QByteArray mail = test::MaildirFixture::fixture(QStringLiteral("base64.eml"));
    box.put(QString(), "cur", "1700000001.A.host:2,S", mail);
    box.put(QString(), "new", "1700000002.B.host", mail);
    MailStoreApplication app(box.root());
    const MailItems items = inbox(app).Items();
    const auto first = items.Item(1);
    first->Delete();
    QVERIFY_THROWS_EXCEPTION(CorvaneError, first->subject());
    QVERIFY_THROWS_EXCEPTION(CorvaneError, first->Delete());
    QCOMPARE(box.filesIn(".Deleted Items", "cur"), QStringList{"1700000001.A.host:2,S"});
    QVERIFY(QFileInfo::exists(box.root() + "/.Deleted Items/maildirfolder"));
    QVERIFY(QFileInfo(box.root() + "/.Deleted Items/tmp").isDir());
    QCOMPARE(entryIds(items), QStringList{"1700000002.B.host"});

    items.Item(1)->Delete();
    QCOMPARE(box.filesIn(".Deleted Items", "new"), QStringList{"1700000002.B.host"});
    QCOMPARE(items.Count(), 0);

    const MailFolder deleted = app.GetNameSpace("MAPI").Folders(1).Folders(QStringLiteral("Deleted Items"));
    QCOMPARE(deleted.Items().Count(), 2);
    QCOMPARE(deleted.UnReadItemCount(), 1);
    deleted.Items().Item(1)->Delete();
    QCOMPARE(box.filesIn(".Deleted Items", "cur"), QStringList{});
    QCOMPARE(deleted.Items().Count(), 1);
}

// The request scan walks from the last item down and deletes some; every index it has not reached yet must
// still name the message it named when the walk started.
void TestMaildirStore::deletingWhileWalkingDown() {
    test::MaildirFixture box;
    const QByteArray mail = test::MaildirFixture::fixture(QStringLiteral("nodate.eml"));
    for (int i = 1; i <= 9; ++i)
        box.put(QString(), i % 2 ? "new" : "cur", QStringLiteral("17000000%1.M%1.host").arg(i, 2, 10, QLatin1Char('0')),
                mail);
    MailStoreApplication app(box.root());
    const MailItems items = inbox(app).Items();
    const QStringList original = entryIds(items);
    QStringList kept;
    for (int i = items.Count(); i >= 1; --i) {
        const auto item = items.Item(i);
        QCOMPARE(item->EntryID(), original[i - 1]);
        if (i % 3 == 0)
            item->Delete();
        else
            kept.prepend(item->EntryID());
    }
    QCOMPARE(entryIds(inbox(app).Items()), kept);
    QCOMPARE(app.GetNameSpace("MAPI").Folders(1).Folders(QStringLiteral("Deleted Items")).Items().Count(), 3);
}

void TestMaildirStore::createFolder() {
    test::MaildirFixture box;
    MailStoreApplication app(box.root());
    const MailFolder root = app.GetNameSpace("MAPI").Folders(1);
    MailFolders top = root.Folders();
    const MailFolder requests = top.Add(QStringLiteral("Requests"));
    QCOMPARE(requests.name(), QStringLiteral("Requests"));
    QCOMPARE(top.Count(), 2);
    QCOMPARE(folderNames(root.Folders()), (QStringList{"Inbox", "Requests"}));
    requests.Folders().Add(QStringLiteral("Done Today"));
    for (const QString dir : {"/.Requests", "/.Requests.Done Today"}) {
        QVERIFY(QFileInfo::exists(box.root() + dir + "/maildirfolder"));
        for (const char *sub : {"/new", "/cur", "/tmp"})
            QVERIFY(QFileInfo(box.root() + dir + QLatin1String(sub)).isDir());
    }
    const MailFolder done = root.Folders(QStringLiteral("Requests")).Folders(QStringLiteral("Done Today"));
    QCOMPARE(done.Items().Count(), 0);
    inbox(app).Folders().Add(QStringLiteral("Kept"));
    QVERIFY(QFileInfo::exists(box.root() + "/.INBOX.Kept/maildirfolder"));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, app.GetNameSpace("MAPI").Folders().Add(QStringLiteral("Store")));
}

void TestMaildirStore::createFolderRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("existing, other case") << "requests";
    QTest::newRow("Inbox") << "INBOX";
    QTest::newRow("empty") << "  ";
    QTest::newRow("dot") << "a.b";
    QTest::newRow("slash") << "a/b";
    QTest::newRow("parent") << "..";
}

void TestMaildirStore::createFolderRefused() {
    QFETCH(QString, name);
    test::MaildirFixture box;
    test::MaildirFixture::makeMaildir(box.root() + "/.Requests", true);
    const QStringList before = box.snapshot();
    MailStoreApplication app(box.root());
    QVERIFY_THROWS_EXCEPTION(CorvaneError, app.GetNameSpace("MAPI").Folders(1).Folders().Add(name));
    QCOMPARE(box.snapshot(), before);
}

void TestMaildirStore::readingChangesNothing() {
    test::MaildirFixture box;
    const QStringList fixtures = QDir(QStringLiteral(CORVANE_TEST_DATA "/mail")).entryList({"*.eml"});
    QVERIFY(fixtures.size() >= 10);
    int n = 0;
    for (const QString &name : fixtures) {
        ++n;
        box.put(QString(), n % 2 ? "new" : "cur", QStringLiteral("17000000%1.F.host").arg(n, 2, 10, QLatin1Char('0')),
                test::MaildirFixture::fixture(name));
    }
    const QStringList before = box.snapshot();
    MailStoreApplication app(box.root());
    const MailFolder folder = inbox(app);
    QCOMPARE(folder.UnReadItemCount(), fixtures.size());
    const MailItems items = folder.Items();
    QCOMPARE(items.Count(), fixtures.size());
    for (int i = 1; i <= items.Count(); ++i) {
        const auto item = items.Item(i);
        for (const auto &read : std::initializer_list<std::function<void()>>{
                 [&] { item->subject(); }, [&] { item->body(); }, [&] { item->senton(); }, [&] { item->SenderName(); },
                 [&] { item->Recipients(); }, [&] { item->Replyrecipients(); }, [&] { item->UnRead(); }}) {
            try {
                read();
            } catch (const CorvaneError &) {
            }
        }
    }
    QCOMPARE(box.snapshot(), before);
}

void TestMaildirStore::vanishedAndRenamedFiles() {
    test::MaildirFixture box;
    const QByteArray mail = test::MaildirFixture::fixture(QStringLiteral("replyto.eml"));
    const QString gone = box.put(QString(), "new", "1700000001.gone.host", mail);
    const QString moved = box.put(QString(), "new", "1700000002.moved.host", mail);
    box.put(QString(), "new", "1700000003.stays.host", mail);
    MailStoreApplication app(box.root());
    const MailItems items = inbox(app).Items();
    QCOMPARE(items.Count(), 3);
    QVERIFY(QFile::remove(gone));
    QVERIFY(QFile::rename(moved, box.root() + "/cur/1700000002.moved.host:2,S"));
    const auto first = items.Item(1);
    QVERIFY_THROWS_EXCEPTION(CorvaneError, first->subject());
    QVERIFY_THROWS_EXCEPTION(CorvaneError, first->UnRead());
    QVERIFY_THROWS_EXCEPTION(CorvaneError, first->setUnRead(false));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, first->Delete());
    QVERIFY(!QFileInfo::exists(box.root() + "/.Deleted Items"));
    const auto second = items.Item(2);
    QCOMPARE(second->UnRead(), false);
    QCOMPARE(second->subject(), QStringLiteral("Re: change address"));
    QCOMPARE(items.Item(3)->subject(), QStringLiteral("Re: change address"));
}

void TestMaildirStore::reopenByIdentity() {
    test::MaildirFixture box;
    box.put(QString(), "new", "1700000001.one.host", test::MaildirFixture::fixture(QStringLiteral("base64.eml")));
    box.put(".Lists", "cur", "1700000002.two.host:2,S", test::MaildirFixture::fixture(QStringLiteral("replyto.eml")));
    MailStoreApplication app(box.root());
    const MailNamespace ns = app.GetNameSpace("MAPI");
    const auto item = ns.Folders(1).Folders(QStringLiteral("Lists")).Items().Item(1);
    const QString entryId = item->EntryID();
    const QString storeId = item->StoreID();
    QCOMPARE(storeId, inbox(app).StoreID());
    item->Delete();
    const auto again = ns.GetItemFromID(entryId, storeId);
    QCOMPARE(again->EntryID(), entryId);
    QCOMPARE(again->SenderEmailAddress(), QStringLiteral("robot@example.org"));
    QCOMPARE(ns.GetItemFromID(QStringLiteral("1700000001.one.host"))->subject(), QString::fromUtf8("Unsubscribe été"));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, ns.GetItemFromID(entryId, QStringLiteral("/no/such/store")));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, ns.GetItemFromID(QStringLiteral("1.none.host"), storeId));

    // The session object finds the moved message by the same identity and gives its sender.
    MAPISession session(box.root());
    QVERIFY_THROWS_EXCEPTION(CorvaneError, session.GetMessage(entryId, storeId));
    session.Logon(QString(), QString(), false, true, 0);
    const MailRecipient sender = session.GetMessage(entryId, storeId)->Sender();
    QCOMPARE(sender.name(), QStringLiteral("Robot, The"));
    QCOMPARE(sender.Address(), QStringLiteral("robot@example.org"));
    session.logoff();
    QVERIFY_THROWS_EXCEPTION(CorvaneError, session.GetMessage(entryId, storeId));
}

void TestMaildirStore::storeRoot() {
    QTemporaryDir home;
    AppPaths::setApplicationDirectory(home.path());
    const QString expected = QDir(home.path()).filePath(QStringLiteral("Mail"));
    QCOMPARE(QDir::cleanPath(MailStoreApplication::defaultStorePath()), expected);
    MailStoreApplication defaults{QString()};
    QVERIFY(!QFileInfo::exists(expected));
    QCOMPARE(defaults.GetNameSpace("MAPI").Folders(1).Folders(QStringLiteral("Inbox")).Items().Count(), 0);
    for (const char *sub : {"/new", "/cur", "/tmp"})
        QVERIFY(QFileInfo(expected + QLatin1String(sub)).isDir());
    AppPaths::setApplicationDirectory(QString());

    MailStoreApplication missing(home.path() + QStringLiteral("/typo"));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, missing.GetNameSpace("MAPI"));
    QVERIFY(!QFileInfo::exists(home.path() + QStringLiteral("/typo")));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, defaults.GetNameSpace(QStringLiteral("IMAP")));
}

// A 50 MB message is read; one above the size limit raises for itself while its neighbours stay readable.
void TestMaildirStore::largeMessages() {
    test::MaildirFixture box;
    QByteArray big = "Date: Tue, 4 Mar 2025 08:00:00 +0000\nFrom: big@example.org\nSubject: big\n"
                     "MIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"b\"\n\n--b\n"
                     "Content-Type: text/plain\n\nsubscribe\n--b\nContent-Type: application/octet-stream\n"
                     "Content-Transfer-Encoding: base64\n\n";
    const QByteArray line = QByteArray(76, 'A') + '\n';
    while (big.size() < 50 * 1024 * 1024)
        big += line;
    big += "--b--\n";
    box.put(QString(), "new", "1700000001.big.host", big);
    QByteArray huge = "From: huge@example.org\nSubject: huge\n\n";
    huge.append(QByteArray(MailItem::kMaxMessageBytes, 'x'));
    box.put(QString(), "new", "1700000002.huge.host", huge);
    box.put(QString(), "new", "1700000003.small.host", test::MaildirFixture::fixture(QStringLiteral("base64.eml")));
    MailStoreApplication app(box.root());
    const MailItems items = inbox(app).Items();
    QCOMPARE(items.Item(1)->body(), QStringLiteral("subscribe"));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, items.Item(2)->subject());
    QCOMPARE(items.Item(3)->SenderName(), QStringLiteral("plain@example.org"));
}

void TestMaildirStore::safeItemSenderAddress() {
    test::MaildirFixture box;
    box.put(QString(), "new", "1700000001.A.host", test::MaildirFixture::fixture(QStringLiteral("latin1.eml")));
    MailStoreApplication app(box.root());
    SafeMailItem safe;
    QVERIFY_THROWS_EXCEPTION(CorvaneError, safe.fields(SafeMailItem::PR_SENDER_EMAIL_ADDRESS));
    safe.setItem(inbox(app).Items().Item(1));
    QCOMPARE(safe.fields(0x0C1F001E), QStringLiteral("francois@example.fr"));
    QVERIFY_THROWS_EXCEPTION(CorvaneError, safe.fields(0x0037001E));
}

QTEST_GUILESS_MAIN(TestMaildirStore)
#include "tst_maildirstore.moc"

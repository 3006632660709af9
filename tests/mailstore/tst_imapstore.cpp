// Tests of what only the IMAP back-end has: a changed UIDVALIDITY, a connection that drops or a server that
// stays silent, the certificate checks, and where the password comes from.
#include "DovecotInstance.h"
#include "MaildirFixture.h"
#include "base/CorvaneError.h"
#include "mailstore/ImapPassword.h"
#include "mailstore/ImapStore.h"
#include "mailstore/MailNamespace.h"
#include "send/MailStoreSettings.h"
#include "settings/Settings.h"

#include <QTcpServer>
#include <QTest>
#include <memory>

using namespace corvane;

namespace {

#define DOVECOT_OR_SKIP()                                                                                              \
    if (!test::DovecotInstance::available())                                                                           \
        QSKIP("dovecot is not installed");

void fill(MailBackend &store, int count) {
    for (int i = 0; i < count; ++i)
        store.deliver(QStringLiteral("INBOX"), test::MaildirFixture::fixture(QStringLiteral("latin1.eml")), QString());
}

MailItems inboxItems(const std::shared_ptr<MailBackend> &store) {
    return MailNamespace({store}).Folders(1).Folders(QStringLiteral("Inbox")).Items();
}

} // namespace

class TestImapStore : public QObject {
    Q_OBJECT

private slots:
    void uidValidityChange();
    void readAhead_data();
    void readAhead();
    void droppedConnection();
    void silentServer();
    void certificates_data();
    void certificates();
    void passwordFile_data();
    void passwordFile();
    void accountFromSettings_data();
    void accountFromSettings();
};

// Items listed under the old UIDVALIDITY are gone; a new listing holds the messages under their new identity.
void TestImapStore::uidValidityChange() {
    DOVECOT_OR_SKIP();
    test::DovecotInstance server;
    QVERIFY(server.start());
    auto store = std::make_shared<ImapStore>(server.account());
    fill(*store, 3);
    const MailItems before = inboxItems(store);
    QCOMPARE(before.Count(), 3);
    const auto held = before.Item(2);
    const QString oldId = held->EntryID();
    server.stop();
    server.forgetUids(QString());
    QVERIFY(server.start());
    QVERIFY_THROWS_EXCEPTION(CorvaneError, held->subject());
    QVERIFY_THROWS_EXCEPTION(CorvaneError, held->setUnRead(false));
    const MailItems after = inboxItems(store);
    QCOMPARE(after.Count(), 3);
    QVERIFY(after.Item(2)->EntryID() != oldId);
    QVERIFY(!after.Item(2)->subject().isEmpty());
}

void TestImapStore::readAhead_data() {
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("markEvery"); // 0: reading only
    QTest::newRow("down, as the scan walks") << true << 0;
    QTest::newRow("up") << false << 0;
    QTest::newRow("down, marking some read") << true << 7;
}

// Messages read in runs fetched ahead each keep their own bytes, whatever else is done on the connection.
void TestImapStore::readAhead() {
    DOVECOT_OR_SKIP();
    QFETCH(bool, down);
    QFETCH(int, markEvery);
    test::DovecotInstance server;
    QVERIFY(server.start());
    auto store = std::make_shared<ImapStore>(server.account());
    const int count = 300;
    for (int i = 1; i <= count; ++i)
        store->deliver(QStringLiteral("INBOX"),
                       "Subject: n" + QByteArray::number(i) + "\r\n\r\n" + QByteArray(i * 7, 'x'), QString());
    const MailItems items = inboxItems(store);
    QCOMPARE(items.Count(), count);
    int marked = 0;
    for (int n = 0; n < count; ++n) {
        const int i = down ? count - n : n + 1;
        const auto item = items.Item(i);
        QCOMPARE(item->subject(), QStringLiteral("n%1").arg(i));
        QCOMPARE(item->body().size(), i * 7);
        if (markEvery > 0 && i % markEvery == 0) {
            item->setUnRead(false);
            ++marked;
        }
    }
    QCOMPARE(MailNamespace({store}).Folders(1).Folders(QStringLiteral("Inbox")).UnReadItemCount(), count - marked);
    QCOMPARE(store->connection().connectionsOpened(), 1);
}

// A server that goes away mid-walk ends the walk with an error; once it is back, the next call reconnects.
void TestImapStore::droppedConnection() {
    DOVECOT_OR_SKIP();
    test::DovecotInstance server;
    QVERIFY(server.start());
    auto store = std::make_shared<ImapStore>(server.account());
    fill(*store, 5);
    const MailItems items = inboxItems(store);
    QCOMPARE(items.Count(), 5);
    items.Item(5)->setUnRead(false);
    server.stop();
    QVERIFY_THROWS_EXCEPTION(CorvaneError, items.Item(4)->setUnRead(false));
    QVERIFY(!store->connection().isConnected());
    QVERIFY(server.start());
    const MailItems again = inboxItems(store);
    QCOMPARE(again.Count(), 5);
    QCOMPARE(MailNamespace({store}).Folders(1).Folders(QStringLiteral("Inbox")).UnReadItemCount(), 4);
    QCOMPARE(store->connection().connectionsOpened(), 2);
}

// A listener that never greets: the connection gives up after the time limit instead of waiting for ever.
void TestImapStore::silentServer() {
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    ImapAccount account;
    account.host = QStringLiteral("127.0.0.1");
    account.port = silent.serverPort();
    account.security = ImapAccount::Security::None;
    account.user = QStringLiteral("tester");
    account.timeoutSeconds = 1;
    ImapConnection connection(account);
    try {
        connection.ensureConnected();
        QFAIL("a silent server was taken for a working one");
    } catch (const CorvaneError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("127.0.0.1")), qPrintable(error.message()));
    }
    QVERIFY(!connection.isConnected());
}

void TestImapStore::certificates_data() {
    QTest::addColumn<int>("tls");
    QTest::addColumn<QString>("certificateHost");
    QTest::addColumn<QString>("connectTo");
    QTest::addColumn<bool>("pin");
    QTest::addColumn<bool>("accepted");
    const int self = int(test::DovecotInstance::Tls::SelfSigned);
    const int ca = int(test::DovecotInstance::Tls::CaSigned);
    QTest::newRow("self-signed, not trusted") << self << "localhost"
                                              << "localhost" << false << false;
    QTest::newRow("self-signed, fingerprint trusted") << self << "localhost"
                                                      << "localhost" << true << true;
    QTest::newRow("issued by a root, right name") << ca << "localhost"
                                                  << "localhost" << false << true;
    QTest::newRow("issued by a root, wrong name") << ca << "mail.example.org"
                                                  << "localhost" << false << false;
}

void TestImapStore::certificates() {
    DOVECOT_OR_SKIP();
    QFETCH(int, tls);
    QFETCH(QString, certificateHost);
    QFETCH(QString, connectTo);
    QFETCH(bool, pin);
    QFETCH(bool, accepted);
    test::DovecotInstance server(test::DovecotInstance::Tls(tls), certificateHost);
    QVERIFY(server.start());
    ImapAccount account = server.account(connectTo);
    if (pin) {
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {"x509", "-noout", "-fingerprint", "-sha256", "-in", server.certificateFile()});
        QVERIFY(openssl.waitForFinished());
        account.trustedFingerprint = QString::fromLatin1(openssl.readAll()).section(QLatin1Char('='), 1).trimmed();
    }
    ImapConnection connection(account);
    try {
        connection.ensureConnected();
        QVERIFY2(accepted, "an untrusted certificate was accepted");
        QCOMPARE(connection.certificateTrust(),
                 pin ? QStringLiteral("trusted fingerprint") : QStringLiteral("system roots"));
    } catch (const CorvaneError &error) {
        QVERIFY2(!accepted, qPrintable(error.message()));
        QVERIFY2(error.message().contains(QStringLiteral("not trusted")), qPrintable(error.message()));
    }
}

void TestImapStore::passwordFile_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("expected"); // empty: refused
    QTest::newRow("owner only") << QByteArray("s3cret pass\r\nignored\n") << 0600 << "s3cret pass";
    QTest::newRow("owner read-only") << QByteArray("pw") << 0400 << "pw";
    QTest::newRow("group may read") << QByteArray("pw\n") << 0640 << "";
    QTest::newRow("others may read") << QByteArray("pw\n") << 0604 << "";
    QTest::newRow("others may write") << QByteArray("pw\n") << 0602 << "";
    QTest::newRow("empty") << QByteArray("\n") << 0600 << "";
}

void TestImapStore::passwordFile() {
    QFETCH(QByteArray, content);
    QFETCH(int, mode);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("imap.pw"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
    qunsetenv("CORVANE_IMAP_PASSWORD");
    if (expected.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(CorvaneError, ImapPassword::lookup(path, "u", "h"));
    } else {
        QCOMPARE(ImapPassword::lookup(path, "u", "h"), expected);
    }
    // The environment comes first, whatever the file.
    qputenv("CORVANE_IMAP_PASSWORD", "from-env");
    QCOMPARE(ImapPassword::lookup(path, "u", "h"), QStringLiteral("from-env"));
    qunsetenv("CORVANE_IMAP_PASSWORD");
    QVERIFY_THROWS_EXCEPTION(CorvaneError, ImapPassword::lookup(dir.filePath("missing"), "u", "h"));
}

void TestImapStore::accountFromSettings_data() {
    QTest::addColumn<QString>("security");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("root"); // empty: refused when opened
    QTest::newRow("tls default port") << "tls"
                                      << "mail.example.org" << 0 << "imap://u@mail.example.org:993";
    QTest::newRow("starttls") << "STARTTLS"
                              << "mail.example.org" << 0 << "imap://u@mail.example.org:143";
    QTest::newRow("own port") << ""
                              << "mail.example.org" << 1993 << "imap://u@mail.example.org:1993";
    QTest::newRow("none elsewhere") << "none"
                                    << "mail.example.org" << 0 << "";
    QTest::newRow("unknown security") << "ssl3"
                                      << "mail.example.org" << 0 << "";
}

// The settings choose the back-end; an account that may not be used is refused before anything is sent.
void TestImapStore::accountFromSettings() {
    QFETCH(QString, security);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, root);
    Settings settings;
    settings.MailStoreKind = QStringLiteral("IMAP");
    settings.IMAPSecurity = security;
    settings.IMAPHost = host;
    settings.IMAPPort = port;
    settings.IMAPUser = QStringLiteral("u");
    qputenv("CORVANE_IMAP_PASSWORD", "pw");
    if (root.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(CorvaneError, MailStoreSettings::application(settings).GetNameSpace("MAPI"));
    } else {
        const MailStoreApplication app = MailStoreSettings::application(settings);
        QVERIFY(app.isImap());
        QCOMPARE(app.storeRoot(), root);
    }
    qunsetenv("CORVANE_IMAP_PASSWORD");
    settings.MailStoreKind = QStringLiteral("maildir");
    QVERIFY(!MailStoreSettings::application(settings).isImap());
}

QTEST_GUILESS_MAIN(TestImapStore)
#include "tst_imapstore.moc"

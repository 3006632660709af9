// Tests of reading messages written to harm the reader, from real Maildir files: header fields vmime cannot
// convert, control characters that would forge lines, a reply that must not carry a stranger's header line, and
// folder entries that are no messages (links out of the store, devices, FIFOs).
#include "MaildirFixture.h"
#include "base/CorvaneError.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailStoreApplication.h"
#include "mailstore/MaildirStore.h"

#include <QTest>
#include <sys/stat.h>

using namespace corvane;

namespace {

const QByteArray kDate = "Date: Mon, 3 Mar 2025 14:05:09 +0100\n";

} // namespace

class TestMailHostile : public QObject {
    Q_OBJECT

private:
    // The only message of an Inbox holding `raw`.
    std::shared_ptr<MailItem> single(test::MaildirFixture &box, const QByteArray &raw) {
        box.put(QString(), QStringLiteral("cur"), QStringLiteral("1741000000.M1P1.host:2,S"), raw);
        m_app = std::make_unique<MailStoreApplication>(box.root());
        return m_app->GetNameSpace(QStringLiteral("MAPI")).Folders(1).Folders(QStringLiteral("Inbox")).Items().Item(1);
    }

    std::unique_ptr<MailStoreApplication> m_app;

private slots:
    void headerValues_data();
    void headerValues();
    void unconvertibleSender();
    void replyCarriesNoForgedField();
    void fileKinds_data();
    void fileKinds();
};

void TestMailHostile::headerValues_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("senderName");
    QTest::addColumn<QString>("firstRecipient");
    QTest::addColumn<QString>("body");

    QTest::newRow("CR LF encoded in the subject")
        << QByteArray("From: a@example.org\nSubject: =?utf-8?q?Evil=0D=0AForged?=\n") << "Evil Forged"
        << "a@example.org" << QString() << "text\r\n";
    QTest::newRow("NUL, NEL and line separator in a name, one run each")
        << QByteArray("From: =?utf-8?q?A=00=C2=85B=E2=80=A8C?= <a@example.org>\nSubject: s\n") << "s"
        << "A B C" << QString() << "text\r\n";
    QTest::newRow("a forged Bcc in a recipient's encoded name")
        << QByteArray("From: a@example.org\nTo: =?utf-8?b?TmFtZQ0KQmNjOiB2QGV4YW1wbGUub3Jn?= <t@example.org>\n")
        << QString() << "a@example.org"
        << "Name Bcc: v@example.org"
        << "text\r\n";
    QTest::newRow("tab and DEL in a raw subject, unencoded name in ISO-8859-1")
        << QByteArray("From: Fran\xe7ois <f@example.org>\nSubject: a\tb\x7f\x7f"
                      "c\n")
        << "a b c" << QString::fromUtf8("François") << QString() << "text\r\n";
    QTest::newRow("subject in a character set vmime cannot convert")
        << QByteArray("From: a@example.org\nSubject: =?UVF-8?Q?fr=C3=BChling?=\n") << QString::fromUtf8("frühling")
        << "a@example.org" << QString() << "text\r\n";
    QTest::newRow("body keeps its line breaks and loses NUL") << QByteArray("From: a@example.org\nSubject: s\n") << "s"
                                                              << "a@example.org" << QString() << "text\r\n";
}

void TestMailHostile::headerValues() {
    QFETCH(QByteArray, header);
    QFETCH(QString, subject);
    QFETCH(QString, senderName);
    QFETCH(QString, firstRecipient);
    QFETCH(QString, body);
    test::MaildirFixture box;
    const auto item = single(box, header + kDate + "\nte" + QByteArray(1, '\0') + "xt\n");
    QCOMPARE(item->subject(), subject);
    QCOMPARE(item->SenderName(), senderName);
    const MailRecipients recipients = item->Recipients();
    QCOMPARE(recipients.Count() > 0 ? recipients.Item(1).Name() : QString(), firstRecipient);
    QCOMPARE(item->body(), body);
    QVERIFY(item->reply()->Subject().startsWith(QStringLiteral("RE: ")));
}

// The header that let vmime's conversion failure escape and end the process.
void TestMailHostile::unconvertibleSender() {
    test::MaildirFixture box;
    const auto item = single(box, "From: =?UVF-8?Q?J=C3=BCrgen?= x\nSubject: s\n" + kDate + "\nsubscribe\n");
    QVERIFY(item->SenderEmailAddress().startsWith(QString::fromUtf8("Jürgen")));
    QCOMPARE(item->SenderName(), item->SenderEmailAddress());
    QCOMPARE(item->Sender().Address(), item->SenderEmailAddress());
    QCOMPARE(item->reply()->Recipients().Item(1).Address(), item->SenderEmailAddress());
    QCOMPARE(item->body(), QStringLiteral("subscribe\r\n"));
}

// A reply copies the original's Message-ID and References into its own header; a lone CR or NUL there must not
// become a header line of the reply.
void TestMailHostile::replyCarriesNoForgedField() {
    test::MaildirFixture box;
    const auto item = single(box, QByteArray("From: a@example.org\nSubject: s\n") + kDate +
                                      "Message-ID: <id@example.org>\rBcc: victim@example.org\n"
                                      "References: <r@example.org>" +
                                      QByteArray(1, '\0') + "X-Forged: yes\n\nbody\n");
    MailSubmission submission;
    submission.displayCommand = QStringLiteral("true");
    m_app->setSubmission(submission);
    item->reply()->display();
    const QStringList drafts = box.filesIn(QStringLiteral(".Drafts"), QStringLiteral("cur"));
    QCOMPARE(drafts.size(), 1);
    QFile file(box.root() + QStringLiteral("/.Drafts/cur/") + drafts.first());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray filed = file.readAll();
    const QByteArray header = filed.left(filed.indexOf("\n\n"));
    QVERIFY2(!header.contains('\r') && !header.contains('\0'), header.constData());
    for (const QByteArray &line : header.split('\n')) {
        QVERIFY2(!line.startsWith("Bcc:") && !line.startsWith("X-Forged:"), line.constData());
    }
    QVERIFY(header.contains("\nIn-Reply-To: <id@example.org>"));
}

void TestMailHostile::fileKinds_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("readable");
    QTest::newRow("regular file") << "file" << true;
    QTest::newRow("link to a message inside the store") << "inner link" << true;
    QTest::newRow("link to a file outside the store") << "outer link" << false;
    QTest::newRow("link to /dev/zero") << "device link" << false;
    QTest::newRow("FIFO") << "fifo" << false;
    QTest::newRow("directory") << "directory" << false;
    QTest::newRow("larger than the limit") << "large" << false;
}

void TestMailHostile::fileKinds() {
    QFETCH(QString, kind);
    QFETCH(bool, readable);
    test::MaildirFixture box;
    const QByteArray message = "From: a@example.org\nSubject: s\n\nbody\n";
    const QString kept = box.put(QString(), QStringLiteral("cur"), QStringLiteral("1000.M1P1.host:2,S"), message);
    QTemporaryDir outside;
    const QString outsideFile = outside.filePath(QStringLiteral("secret"));
    QFile secret(outsideFile);
    QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write(message) == message.size());
    secret.close();

    const QString name = QStringLiteral("2000.M1P1.host:2,S");
    const QString path = box.root() + QStringLiteral("/cur/") + name;
    if (kind == QLatin1String("file") || kind == QLatin1String("large"))
        box.put(QString(), QStringLiteral("cur"), name,
                kind == QLatin1String("large") ? QByteArray(101, 'x') : message);
    else if (kind == QLatin1String("inner link"))
        QVERIFY(QFile::link(kept, path));
    else if (kind == QLatin1String("outer link"))
        QVERIFY(QFile::link(outsideFile, path));
    else if (kind == QLatin1String("device link"))
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    else if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkdir(path));

    MaildirStore store(box.root());
    StoredEntry entry{QStringLiteral("2000.M1P1.host"), QStringLiteral("cur"), name};
    try {
        const QByteArray raw = store.read(QString(), entry, 100);
        QVERIFY2(readable, "a file that is no message of the store was read");
        QCOMPARE(raw, message);
    } catch (const CorvaneError &e) {
        QVERIFY2(!readable, qPrintable(e.message()));
    }
}

QTEST_GUILESS_MAIN(TestMailHostile)
#include "tst_mailhostile.moc"

// The unsubscribe round trip of the list headers: a mailing goes through a private Postfix on 127.0.0.1 into
// each member's Maildir; from the List-Unsubscribe header read back out of a delivered file a member's mail
// program composes its message (To the mailto address, Subject from "?subject=", From the member), which
// lands in the list's mail folder; the next scan removes that member, and only that member, from the list.
// Needs root (Postfix's master daemon).
#include "../requests/ScanFixture.h"
#include "PostfixInstance.h"

#include "mailstore/MessageContent.h"
#include "send/TdlgSendMail.h"

#include <QDir>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

class TestListUnsubscribe : public QObject {
    Q_OBJECT
private slots:
    void unsubscribeFromTheHeader();
};

void TestListUnsubscribe::unsubscribeFromTheHeader() {
    if (::geteuid() != 0) {
        QSKIP("Starting Postfix's master daemon needs root");
    }
    const QStringList members{QStringLiteral("ann@corvane.test"), QStringLiteral("bob@corvane.test")};
    PostfixInstance postfix;
    postfix.extraMailboxes = members;
    QString error;
    QVERIFY2(postfix.start(error), qPrintable(error));

    ScanFixture f;
    f.addEntries({members[0] + QStringLiteral("|news"), members[1] + QStringLiteral("|news")});
    f.settings.GetSenderAddressMethod = 5;
    f.settings.EmailMethod = 3;
    f.settings.SMTPHost = QStringLiteral("127.0.0.1");
    f.settings.SMTPPort = postfix.port();
    f.settings.SMTPEmail = QStringLiteral("owner@corvane.test");
    f.settings.SendCount = 1;
    f.settings.Signature.clear();
    f.settings.ListAddress = QStringLiteral("news@corvane.test");
    {
        TdlgSendMail job(f.dm, f.settings, f.prompt, false);
        job.draft().subject = QStringLiteral("Monthly news");
        job.draft().body = QStringLiteral("Hello %FULL_NAME%");
        QVERIFY(job.Button2Click());
        QCOMPARE(job.sendLog().lines().count(QStringLiteral("SEND OK")), 2);
    }

    const QString inbox = postfix.maildirFor(members[0]) + QStringLiteral("/new");
    QTRY_VERIFY_WITH_TIMEOUT(QDir(inbox).entryList(QDir::Files).size() == 1, 60000);
    QFile delivered(inbox + QLatin1Char('/') + QDir(inbox).entryList(QDir::Files).constFirst());
    QVERIFY(delivered.open(QIODevice::ReadOnly));
    const MessageContent mailing(delivered.readAll());
    QCOMPARE(mailing.rawHeader("list-id"), QByteArray("<news.corvane.test>"));
    QCOMPARE(mailing.rawHeader("precedence"), QByteArray("list"));
    QByteArray header = mailing.rawHeader("list-unsubscribe").trimmed();
    QVERIFY2(header.startsWith('<') && header.endsWith('>'), header.constData());
    const QUrl url(QString::fromLatin1(header.mid(1, header.size() - 2)));
    QCOMPARE(url.scheme(), QStringLiteral("mailto"));

    // What a mail program's "Unsubscribe" sends from that header.
    const QString subject = QUrlQuery(url).queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded);
    f.deliver(ScanFixture::message(QStringLiteral("Ann Member <ann@corvane.test>"), subject,
                                   QStringLiteral("Sent from my mail program"),
                                   {QStringLiteral("To: ") + url.path(QUrl::FullyDecoded)}));
    QCOMPARE(f.scan().handled, 1);
    QCOMPARE(f.rows(), QStringList{QStringLiteral("bob@corvane.test|news|0")});

    QString stopError;
    QVERIFY2(postfix.stop(&stopError), qPrintable(stopError));
}

QTEST_GUILESS_MAIN(TestListUnsubscribe)
#include "tst_listunsubscribe.moc"

// The whole send job end to end through a private Postfix on 127.0.0.1: fifty personalised messages, one
// per member, each delivered into the member's own Maildir with its own merged body and the attachment
// intact, and no member's address in another member's copy. Needs root (Postfix's master daemon).
#include "PostfixInstance.h"
#include "SendJobFixture.h"

#include "mailstore/MessageAttachmentReader.h"
#include "mailstore/MessageContent.h"

#include <QDir>
#include <QTest>
#include <unistd.h>

using namespace corvane;

class TestSendPostfix : public QObject {
    Q_OBJECT
private slots:
    void fiftyPersonalisedMessages();
};

void TestSendPostfix::fiftyPersonalisedMessages() {
    if (::geteuid() != 0) {
        QSKIP("Starting Postfix's master daemon needs root");
    }
    constexpr int kMembers = 50;
    PostfixInstance postfix;
    QStringList addresses;
    for (int i = 1; i <= kMembers; ++i) {
        addresses << QStringLiteral("member%1@corvane.test").arg(i, 2, 10, QLatin1Char('0'));
    }
    postfix.extraMailboxes = addresses;
    QString error;
    QVERIFY2(postfix.start(error), qPrintable(error));

    SendJobFixture f;
    f.setUp();
    f.settings.SMTPPort = postfix.port();
    f.settings.SMTPEmail = QStringLiteral("owner@corvane.test");
    f.settings.SendCount = 1;
    for (int i = 0; i < kMembers; ++i) {
        f.member(addresses[i], QStringLiteral("news"), QStringLiteral("Full Name %1").arg(i + 1),
                 QStringLiteral("Sal%1").arg(i + 1));
    }
    QTemporaryDir dir;
    const QString attachmentPath = dir.filePath(QStringLiteral("report.bin"));
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i) {
        bytes.append(static_cast<char>((i * 31 + 7) % 256));
    }
    QFile file(attachmentPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    f.dlg->draft().attachments << attachmentPath;
    f.message(QStringLiteral("Monthly news"),
              QStringLiteral("Dear %SALUTATION%,\r\nthis copy is for %FULL_NAME% at %EMAIL%.\r\n.\r\nBye"));
    QVERIFY(f.dlg->Button2Click());
    QCOMPARE(f.dlg->sendLog().lines().count(QStringLiteral("SEND OK")), kMembers);

    for (int i = 0; i < kMembers; ++i) {
        const QString inbox = postfix.maildirFor(addresses[i]) + QStringLiteral("/new");
        QTRY_VERIFY_WITH_TIMEOUT(QDir(inbox).entryList(QDir::Files).size() == 1, 60000);
        QFile message(inbox + QLatin1Char('/') + QDir(inbox).entryList(QDir::Files).constFirst());
        QVERIFY(message.open(QIODevice::ReadOnly));
        const QByteArray raw = message.readAll();
        const MessageContent content(raw);
        QCOMPARE(content.subject(), QStringLiteral("Monthly news"));
        QCOMPARE(content.body(), QStringLiteral("Dear Sal%1,\r\nthis copy is for Full Name %1 at %2.\r\n.\r\nBye\r\n")
                                     .arg(i + 1)
                                     .arg(addresses[i]));
        const auto attachments = MessageAttachmentReader::read(raw);
        QCOMPARE(attachments.size(), size_t(1));
        QCOMPARE(attachments[0].displayName, QStringLiteral("report.bin"));
        QCOMPARE(attachments[0].data, bytes);
        for (int j = 0; j < kMembers; ++j) {
            if (j != i) {
                QVERIFY2(!raw.contains(addresses[j].toLatin1()), qPrintable(addresses[j] + " in " + addresses[i]));
            }
        }
    }
    f.tearDown();
    QString stopError;
    QVERIFY2(postfix.stop(&stopError), qPrintable(stopError));
}

QTEST_GUILESS_MAIN(TestSendPostfix)
#include "tst_sendpostfix.moc"

// The mail store's Send against a real submission program: a message composed in the store goes through the
// sendmail of a private Postfix on 127.0.0.1, is delivered into that instance's Maildir with its subject, body
// and attachment intact and without its hidden recipient in the header, and a copy lands in "Sent Items".
// Needs root (Postfix's master daemon); fails when Postfix is missing.
#include "PostfixInstance.h"
#include "mailstore/MailStoreApplication.h"
#include "mailstore/MessageAttachmentReader.h"
#include "mailstore/MessageContent.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace corvane;

class TestStoreSubmission : public QObject {
    Q_OBJECT
private slots:
    void sentThroughPostfixSendmail();
};

void TestStoreSubmission::sentThroughPostfixSendmail() {
    if (::geteuid() != 0)
        QSKIP("Starting Postfix's master daemon needs root");
    PostfixInstance postfix;
    QString error;
    QVERIFY2(postfix.start(error), qPrintable(error));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString attachmentPath = dir.filePath(QStringLiteral("liste.bin"));
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes.append(static_cast<char>((i * 7) % 256));
    QFile file(attachmentPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("Mail/new"))));
    MailStoreApplication app(dir.filePath(QStringLiteral("Mail")));
    MailSubmission submission;
    submission.submitCommand = QStringLiteral("/usr/sbin/sendmail -C \"%1\" -oi").arg(postfix.configDirectory());
    submission.senderName = QStringLiteral("Liste Grün");
    submission.senderAddress = QStringLiteral("owner@corvane.test");
    app.setSubmission(submission);

    auto draft = app.CreateItem(0);
    draft->setSubject(QStringLiteral("Änderung der Liste"));
    draft->setBody(QStringLiteral("Grüße aus Köln\r\n.\r\nEnde"));
    draft->Recipients().Add(QString::fromLatin1(PostfixInstance::kRecipient));
    draft->Recipients()
        .Add(QStringLiteral("Hidden <") + QLatin1String(PostfixInstance::kRecipient) + QLatin1Char('>'))
        .setType(MailRecipient::BCC);
    draft->Attachments().Add(attachmentPath);
    draft->Send();

    const QString inbox = postfix.maildir() + QStringLiteral("/new");
    QTRY_VERIFY_WITH_TIMEOUT(QDir(inbox).entryList(QDir::Files).size() >= 1, 30000);
    const QStringList delivered = QDir(inbox).entryList(QDir::Files);
    QFile message(inbox + QLatin1Char('/') + delivered.constFirst());
    QVERIFY(message.open(QIODevice::ReadOnly));
    const QByteArray raw = message.readAll();
    const MessageContent content(raw);
    QCOMPARE(content.subject(), QStringLiteral("Änderung der Liste"));
    QCOMPARE(content.body(), QStringLiteral("Grüße aus Köln\r\n.\r\nEnde"));
    QCOMPARE(content.from()->name, QStringLiteral("Liste Grün"));
    QVERIFY(content.bcc().empty());
    QVERIFY(!raw.contains("Hidden"));
    const auto attachments = MessageAttachmentReader::read(raw);
    QCOMPARE(attachments.size(), size_t(1));
    QCOMPARE(attachments[0].displayName, QStringLiteral("liste.bin"));
    QCOMPARE(attachments[0].data, bytes);

    const MailFolder sent = app.GetNameSpace(QStringLiteral("MAPI")).Folders(1).Folders(QStringLiteral("Sent Items"));
    QCOMPARE(sent.Items().Count(), 1);
    QCOMPARE(sent.Items().Item(1)->subject(), content.subject());

    QString stopError;
    QVERIFY2(postfix.stop(&stopError), qPrintable(stopError));
}

QTEST_GUILESS_MAIN(TestStoreSubmission)
#include "tst_storesubmission.moc"

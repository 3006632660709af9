// Composing in the mail store: new messages, replies and forwards, sending through a stand-in submission
// program that records what it was given, filing in "Sent Items" and "Drafts", and refusing unsafe input.
#include "MaildirFixture.h"

#include "base/CorvaneError.h"
#include "mailstore/MailStoreApplication.h"
#include "mailstore/MessageAttachmentReader.h"
#include "mailstore/MessageContent.h"
#include "mailstore/SafeMailItem.h"
#include "mailstore/SubmissionProgram.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using corvane::test::MaildirFixture;

class tst_maildraft : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tools;
    QString m_sendmail;
    QString m_opener;

    QString toolFile(const QString &name) const { return m_tools.path() + QLatin1Char('/') + name; }

    static QByteArray readAll(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A store on a fresh fixture that submits through the recording stand-in.
    MailStoreApplication application(const MaildirFixture &mail, int exitStatus = 0) {
        QFile::remove(toolFile("args"));
        QFile::remove(toolFile("stdin"));
        MailStoreApplication app(mail.root());
        MailSubmission submission;
        submission.submitCommand = QStringLiteral("\"%1\" -oi %2").arg(m_sendmail).arg(exitStatus);
        submission.displayCommand = QStringLiteral("\"%1\"").arg(m_opener);
        submission.senderName = QStringLiteral("List Owner");
        submission.senderAddress = QStringLiteral("owner@lists.example.net");
        app.setSubmission(submission);
        return app;
    }

    // The arguments the stand-in received after the status argument.
    QStringList submittedArguments() const {
        QStringList args = QString::fromUtf8(readAll(toolFile("args"))).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return args.mid(2);
    }

    static std::shared_ptr<MailItem> onlyItem(const MailStoreApplication &app, const QString &folder) {
        const MailFolder f = app.GetNameSpace(QStringLiteral("MAPI")).Folders(1).Folders(folder);
        if (f.Items().Count() != 1)
            throw CorvaneError(QStringLiteral("%1 holds %2 items").arg(folder).arg(f.Items().Count()));
        return f.Items().Item(1);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_tools.isValid());
        m_sendmail = toolFile("sendmail");
        QFile script(m_sendmail);
        QVERIFY(script.open(QIODevice::WriteOnly));
        // Records every argument on a line and the message, then ends with the status given as second
        // argument; a failing run complains on its error output as sendmail does.
        script.write("#!/bin/sh\n"
                     "dir=$(dirname \"$0\")\n"
                     "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$dir/args\"\n"
                     "cat > \"$dir/stdin\"\n"
                     "if [ \"$2\" != 0 ]; then echo \"sendmail: recipient refused\" >&2; fi\n"
                     "exit \"$2\"\n");
        script.close();
        QFile::setPermissions(m_sendmail, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_opener = toolFile("opener");
        QFile opener(m_opener);
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened\"\n");
        opener.close();
        QFile::setPermissions(m_opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void sendHandsEveryRecipientToTheProgramAndHidesBcc() {
        MaildirFixture mail;
        const MailStoreApplication app = application(mail);
        auto draft = app.CreateItem(0);
        draft->setSubject(QStringLiteral("Grüße an die Liste"));
        draft->setBody(QStringLiteral("Hallo Jörg,\r\n.\r\nbis bald"));
        draft->Recipients().Add(QStringLiteral("Jörg Müller <joerg@example.de>"));
        draft->Recipients().Add(QStringLiteral("copy@example.com")).setType(MailRecipient::CC);
        draft->Recipients().Add(QStringLiteral("hidden@example.org"), QString()).setType(MailRecipient::BCC);
        QVERIFY(draft->resolveall());
        draft->Send();

        QCOMPARE(submittedArguments(),
                 QStringList({"--", "joerg@example.de", "copy@example.com", "hidden@example.org"}));
        const QByteArray sent = readAll(toolFile("stdin"));
        const MessageContent message(sent);
        QCOMPARE(message.subject(), QStringLiteral("Grüße an die Liste"));
        // The message ends with a line end after the text.
        QCOMPARE(message.body(), QStringLiteral("Hallo Jörg,\r\n.\r\nbis bald\r\n"));
        QCOMPARE(message.to().size(), size_t(1));
        QCOMPARE(message.to()[0].name, QStringLiteral("Jörg Müller"));
        QCOMPARE(message.cc()[0].address, QStringLiteral("copy@example.com"));
        QVERIFY(message.bcc().empty());
        QVERIFY(!sent.contains("hidden@example.org"));
        QCOMPARE(message.from()->address, QStringLiteral("owner@lists.example.net"));
        QVERIFY(message.rawHeader("message-id").startsWith('<'));
        QVERIFY(!message.rawHeader("date").isEmpty());
        QVERIFY(!sent.contains('\r'));

        // The copy in "Sent Items" is read, keeps the hidden recipient, and carries the same identity.
        const auto copy = onlyItem(app, QStringLiteral("Sent Items"));
        QVERIFY(!copy->UnRead());
        QCOMPARE(copy->subject(), message.subject());
        QCOMPARE(copy->Recipients().Count(), 3);
        QCOMPARE(copy->Recipients().Item(3).Type(), int(MailRecipient::BCC));
        QVERIFY(mail.filesIn(QStringLiteral(".Sent Items"), QStringLiteral("tmp")).isEmpty());
        // The copy is the message that went out, not a second composition of it.
        const QString copyPath = mail.root() + QStringLiteral("/.Sent Items/cur/") +
                                 mail.filesIn(QStringLiteral(".Sent Items"), QStringLiteral("cur")).constFirst();
        const MessageContent filed(readAll(copyPath));
        QCOMPARE(filed.rawHeader("message-id"), message.rawHeader("message-id"));
        QCOMPARE(filed.rawHeader("date"), message.rawHeader("date"));
    }

    void failedSubmissionRaisesWithTheProgramsErrorAndFilesNothing_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("refused") << QString() << "sendmail: recipient refused";
        QTest::newRow("missing program") << "/nonexistent/sendmail -oi"
                                         << "cannot be started";
    }

    void failedSubmissionRaisesWithTheProgramsErrorAndFilesNothing() {
        QFETCH(QString, command);
        QFETCH(QString, expected);
        MaildirFixture mail;
        MailStoreApplication app = application(mail, 75);
        if (!command.isEmpty()) {
            MailSubmission submission = app.submission();
            submission.submitCommand = command;
            app.setSubmission(submission);
        }
        auto draft = app.CreateItem(0);
        draft->Recipients().Add(QStringLiteral("someone@example.com"));
        try {
            draft->Send();
            QFAIL("a failed submission was reported as sent");
        } catch (const CorvaneError &e) {
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
        }
        QVERIFY(!QFileInfo::exists(mail.root() + QStringLiteral("/.Sent Items")));
    }

    void unsafeOrIncompleteMessagesAreRefused_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("subject");
        QTest::newRow("no recipient") << QString() << "plain";
        QTest::newRow("not an address") << "Some Name"
                                        << "plain";
        QTest::newRow("option-like address") << "-oQ/tmp/x@example.com"
                                             << "plain";
        QTest::newRow("two addresses in one") << "a@example.com, b@example.com"
                                              << "plain";
        QTest::newRow("line break in subject") << "a@example.com"
                                               << "hi\r\nBcc: victim@example.com";
    }

    void unsafeOrIncompleteMessagesAreRefused() {
        QFETCH(QString, address);
        QFETCH(QString, subject);
        MaildirFixture mail;
        const MailStoreApplication app = application(mail);
        try {
            auto draft = app.CreateItem(0);
            draft->setSubject(subject);
            if (!address.isEmpty())
                draft->Recipients().Add(address);
            draft->Send();
            QFAIL("the message was sent");
        } catch (const CorvaneError &) {
        }
        QVERIFY(!QFileInfo::exists(toolFile("stdin")));
    }

    void lineBreaksInRecipientsAreRefused() {
        MaildirFixture mail;
        auto draft = application(mail).CreateItem(0);
        QVERIFY_THROWS_EXCEPTION(CorvaneError, draft->Recipients().Add(QStringLiteral("a@example.com\nRCPT")));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, draft->Recipients().Add(QStringLiteral("a@example.com"), "x\r\ny"));
        QCOMPARE(draft->Recipients().Count(), 0);
    }

    void headerFieldsGoOutAsGivenAndUnsafeOnesAreRefused() {
        MaildirFixture mail;
        auto draft = application(mail).CreateItem(0);
        draft->setSubject(QStringLiteral("plain"));
        draft->setBody(QStringLiteral("text"));
        draft->Recipients().Add(QStringLiteral("a@example.com"));
        draft->setHeaderField("Auto-Submitted", QStringLiteral("auto-generated"));
        draft->setHeaderField("auto-submitted", QStringLiteral("auto-replied"));
        draft->setHeaderField("X-Corvane-List", QStringLiteral("Sports News"));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, draft->setHeaderField("X-Bad", QStringLiteral("a\r\nBcc: b@c.d")));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, draft->setHeaderField("Bad Name", QStringLiteral("x")));
        draft->Send();
        const MessageContent message(readAll(toolFile("stdin")));
        QCOMPARE(message.rawHeader("auto-submitted"), QByteArray("auto-replied"));
        QCOMPARE(message.rawHeader("x-corvane-list"), QByteArray("Sports News"));
        QVERIFY(message.rawHeader("x-bad").isEmpty());
    }

    void htmlWithAttachmentsAndReadReceipt() {
        MaildirFixture mail;
        const MailStoreApplication app = application(mail);
        QByteArray binary;
        for (int i = 0; i < 256; ++i)
            binary.append(char(i));
        const QString path = m_tools.path() + QStringLiteral("/data.bin");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(binary);
        file.close();

        auto draft = app.CreateItem(0);
        draft->setHTMLBody(QStringLiteral("<html><body><p>Welcome <b>all</b></p></body></html>"));
        draft->Recipients().Add(QStringLiteral("member@example.com"));
        draft->Attachments().Add(path, MailAttachments::ByValue, -1, QStringLiteral("Übersicht.bin"));
        draft->setReadReceiptRequested(true);
        QVERIFY_THROWS_EXCEPTION(CorvaneError, draft->Attachments().Add(path + QStringLiteral(".missing")));
        draft->Send();

        const QByteArray sent = readAll(toolFile("stdin"));
        const MessageContent message(sent);
        QCOMPARE(message.body().trimmed(), QStringLiteral("Welcome all"));
        QVERIFY(sent.contains("text/html"));
        QVERIFY(message.rawHeader("disposition-notification-to").contains("owner@lists.example.net"));
        const auto attachments = MessageAttachmentReader::read(sent);
        QCOMPARE(attachments.size(), size_t(1));
        QCOMPARE(attachments[0].displayName, QStringLiteral("Übersicht.bin"));
        QCOMPARE(attachments[0].data, binary);
    }

    void replyGoesToReplyToOrElseTheSender_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<QString>("firstRecipient");
        QTest::addColumn<QString>("subject");
        QTest::newRow("reply-to") << "replyto.eml"
                                  << "person@example.com"
                                  << "RE: Re: change address";
        QTest::newRow("from") << "attachment-first.eml"
                              << "att@example.org"
                              << "RE: with attachment";
    }

    void replyGoesToReplyToOrElseTheSender() {
        QFETCH(QString, fixture);
        QFETCH(QString, firstRecipient);
        QFETCH(QString, subject);
        MaildirFixture mail;
        QByteArray original = MaildirFixture::fixture(fixture);
        original.prepend("Message-ID: <orig-1@example.org>\n");
        mail.put(QString(), QStringLiteral("cur"), QStringLiteral("1700000000.1.host:2,S"), original);
        const MailStoreApplication app = application(mail);
        const auto item = onlyItem(app, QStringLiteral("Inbox"));
        const auto reply = item->reply();
        QCOMPARE(reply->Recipients().Item(1).Address(), firstRecipient);
        QCOMPARE(reply->Subject(), subject);
        QVERIFY(reply->Body().contains(item->body()));
        reply->Send();
        const MessageContent sent(readAll(toolFile("stdin")));
        QCOMPARE(sent.rawHeader("in-reply-to").trimmed(), QByteArray("<orig-1@example.org>"));
        QVERIFY(sent.rawHeader("references").contains("<orig-1@example.org>"));
    }

    void forwardCarriesTheAttachmentsOn() {
        MaildirFixture mail;
        mail.put(QString(), QStringLiteral("new"), QStringLiteral("1700000000.2.host"),
                 MaildirFixture::fixture(QStringLiteral("attachment-first.eml")));
        const MailStoreApplication app = application(mail);
        const auto item = onlyItem(app, QStringLiteral("Inbox"));
        const auto forward = item->forward();
        QCOMPARE(forward->Recipients().Count(), 0);
        QCOMPARE(forward->Subject(), QStringLiteral("FW: with attachment"));
        forward->setSubject(item->subject());
        forward->setBody(item->body() + QStringLiteral("\r\n-- \r\nthe list"));
        forward->Recipients().Add(QStringLiteral("a@example.com"));
        forward->Recipients().Add(QStringLiteral("b@example.com")).setType(MailRecipient::BCC);
        forward->Send();
        const QByteArray sent = readAll(toolFile("stdin"));
        const auto attachments = MessageAttachmentReader::read(sent);
        QCOMPARE(attachments.size(), size_t(1));
        QCOMPARE(attachments[0].displayName, QStringLiteral("notes.txt"));
        QCOMPARE(attachments[0].data.trimmed(), QByteArray("attached text, not the body"));
        QCOMPARE(MessageContent(sent).body(), QStringLiteral("the real body\r\n-- \r\nthe list"));
        QVERIFY(item->UnRead());
    }

    void displayFilesADraftAndOpensIt() {
        MaildirFixture mail;
        const MailStoreApplication app = application(mail);
        QFile::remove(toolFile("opened"));
        auto draft = app.CreateItem(0);
        draft->setSubject(QStringLiteral("test message"));
        draft->setBody(QStringLiteral("Dear Test_Name"));
        draft->display();
        const auto filed = onlyItem(app, QStringLiteral("Drafts"));
        QCOMPARE(filed->subject(), QStringLiteral("test message"));
        QVERIFY(mail.filesIn(QStringLiteral(".Drafts"), QStringLiteral("cur")).constFirst().endsWith(":2,DS"));
        QTRY_VERIFY(QFileInfo::exists(toolFile("opened")));
        const QString opened = QString::fromUtf8(readAll(toolFile("opened")));
        QVERIFY(opened.endsWith(QStringLiteral(".eml")));
        QCOMPARE(MessageContent(readAll(opened)).subject(), QStringLiteral("test message"));
        QVERIFY(!QFileInfo::exists(toolFile("stdin")));
    }

    void submissionProgramLookup_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("on the path first") << "sendmail"
                                           << "tools/sendmail";
        // A user's PATH often leaves out /usr/sbin, where sendmail lives.
        QTest::newRow("system folder outside the path") << "ldconfig"
                                                        << "/usr/sbin/ldconfig";
        QTest::newRow("a path stays") << "/opt/x/sendmail"
                                      << "/opt/x/sendmail";
        QTest::newRow("found nowhere stays") << "no-such-mailer"
                                             << "no-such-mailer";
    }

    void submissionProgramLookup() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        if (expected.startsWith(QLatin1String("/usr/sbin/")) && !QFileInfo::exists(expected))
            QSKIP("this machine has no such system program");
        const QByteArray saved = qgetenv("PATH");
        qputenv("PATH", m_tools.path().toLocal8Bit());
        const QString found = SubmissionProgram::programPath(name);
        qputenv("PATH", saved);
        if (expected.startsWith(QLatin1String("tools/")))
            expected = m_tools.path() + expected.mid(5);
        // /usr/sbin may be reached through the /sbin link: compare where the names lead.
        const auto resolved = [](const QString &p) {
            const QString canonical = QFileInfo(p).canonicalFilePath();
            return canonical.isEmpty() ? p : canonical;
        };
        QCOMPARE(resolved(found), resolved(expected));
    }

    void safeItemWrapsADraft() {
        MaildirFixture mail;
        const MailStoreApplication app = application(mail);
        SafeMailItem safe;
        QVERIFY_THROWS_EXCEPTION(CorvaneError, safe.draft());
        safe.setItem(app.CreateItem(0));
        safe.draft().setSubject(QStringLiteral("through the safe item"));
        safe.draft().Recipients().Add(QStringLiteral("x@example.com"));
        safe.draft().Send();
        QCOMPARE(MessageContent(readAll(toolFile("stdin"))).subject(), QStringLiteral("through the safe item"));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, app.CreateItem(2));
    }
};

QTEST_GUILESS_MAIN(tst_maildraft)
#include "tst_maildraft.moc"

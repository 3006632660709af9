// Acknowledgement e-mails: which path each sending method takes, the message body, the log lines, and what
// the person is shown when composing, connecting or sending fails. The mail-store path submits through a
// stand-in submission program that keeps every message; the SMTP path talks to a scripted server.
#include "../send/ScriptedSmtpServer.h"
#include "RulesFixture.h"

#include "mailstore/MessageContent.h"
#include "requests/AcknowledgementMailer.h"
#include "send/SMTPConnection.h"

#include <QDir>
#include <QTemporaryDir>

using namespace corvane;
using namespace corvane::test;

class tst_acknowledgements : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tools;

    // Points the settings at a fresh mail store and at the stand-in program ending with `status`; every
    // message it accepts lands in its own file "sent-N" beside it.
    void useStandIn(Settings &settings, int status = 0) {
        const QString store = m_tools.path() + QStringLiteral("/Mail");
        QDir(store).removeRecursively();
        for (const char *sub : {"new", "cur", "tmp"})
            QDir().mkpath(store + QLatin1Char('/') + QLatin1String(sub));
        QDir tools(m_tools.path());
        for (const QString &name : tools.entryList({QStringLiteral("sent-*")}))
            tools.remove(name);
        settings.MailStore = store;
        settings.SubmitCommand = QStringLiteral("\"%1/sendmail\" %2").arg(m_tools.path()).arg(status);
        settings.SMTPEmail = QStringLiteral("lists@example.net");
    }

    QList<QByteArray> submitted() const {
        QList<QByteArray> messages;
        QDir tools(m_tools.path());
        QStringList names = tools.entryList({QStringLiteral("sent-*")});
        names.sort();
        for (const QString &name : names) {
            QFile file(tools.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                messages.append(file.readAll());
        }
        return messages;
    }

    static void useServer(Settings &settings, const ScriptedSmtpServer &server) {
        settings.EmailMethod = 3;
        settings.SMTPHost = QStringLiteral("127.0.0.1");
        settings.SMTPPort = server.port();
        settings.SMTPEmail = QStringLiteral("lists@example.net");
    }

    static QString expectedBody(const QString &sentence) {
        return QStringLiteral("Your mailing list changes have been \r\nprocessed.  The result of this processing "
                              "was:\r\n\r\n") +
               sentence +
               QStringLiteral("\r\n\r\nIf this action was incorrect, please reply to this \r\ne-mail and advise us of "
                              "the problem.\r\n\r\nThank you\r\n\r\nWebmaster\r\n");
    }

private slots:
    void initTestCase() {
        QVERIFY(m_tools.isValid());
        QFile script(m_tools.path() + QStringLiteral("/sendmail"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n"
                     "dir=$(dirname \"$0\")\n"
                     "n=$(ls \"$dir\" | grep -c '^sent-')\n"
                     "cat > \"$dir/sent-$n\"\n"
                     "printf '%s\\n' \"$@\" >> \"$dir/args\"\n"
                     "[ \"$1\" = 0 ] || echo 'delivery refused' >&2\n"
                     "exit \"$1\"\n");
        script.close();
        QFile::setPermissions(script.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void theMethodChoosesThePath_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("path");
        QTest::newRow("off") << false << 1 << "a@example.com"
                             << "none";
        QTest::newRow("invalid address") << true << 1 << "a@@example"
                                         << "none";
        QTest::newRow("simple MAPI goes through the store") << true << 0 << "a@example.com"
                                                            << "store";
        QTest::newRow("never chosen") << true << -1 << "a@example.com"
                                      << "store";
        QTest::newRow("OLE") << true << 1 << "a@example.com"
                             << "store";
        QTest::newRow("safe item") << true << 2 << "a@example.com"
                                   << "store";
        QTest::newRow("SMTP") << true << 3 << "a@example.com"
                              << "smtp";
        QTest::newRow("relay library goes through the store") << true << 4 << "a@example.com"
                                                              << "store";
    }

    void theMethodChoosesThePath() {
        QFETCH(bool, enabled);
        QFETCH(int, method);
        QFETCH(QString, address);
        QFETCH(QString, path);
        RulesFixture f;
        ScriptedSmtpServer server;
        QVERIFY(server.listening());
        useStandIn(f.settings);
        useServer(f.settings, server);
        f.settings.EmailMethod = method;
        f.settings.SendAcknowledgement = enabled;
        // Acknowledgements are not list mail: the list headers stay off them.
        f.settings.ListAddress = QStringLiteral("news@example.org");
        AcknowledgementMailer mailer(f.settings, f.log, f.prompt);
        const QString sentence = QStringLiteral("The e-mail address, a@example.com, was added to the list.");
        mailer.SendAcknowledgement(address, sentence);

        const QStringList expectedLog =
            path == QLatin1String("none")
                ? QStringList()
                : QStringList{QStringLiteral("Successful send of Acknowledgement e-mail to ") + address};
        QCOMPARE(f.logLines(), expectedLog);
        QCOMPARE(submitted().size(), path == QLatin1String("store") ? 1 : 0);
        QCOMPARE(server.commandCount.value("DATA"), path == QLatin1String("smtp") ? 1 : 0);
        QVERIFY(f.prompt.shown.isEmpty());

        if (path == QLatin1String("store")) {
            const MessageContent message(submitted().constFirst());
            QCOMPARE(message.subject(), QStringLiteral("Mailing List Changes"));
            QCOMPARE(message.to().size(), size_t(1));
            QCOMPARE(message.to()[0].address, address);
            QCOMPARE(message.body(), expectedBody(sentence));
            QCOMPARE(message.rawHeader("auto-submitted"), QByteArray("auto-replied"));
            QVERIFY(!submitted().constFirst().contains("List-"));
        } else if (path == QLatin1String("smtp")) {
            QVERIFY(server.received.contains("RCPT TO:<a@example.com>\r\n"));
            QVERIFY(server.received.contains("Subject: Mailing List Changes\r\n"));
            QVERIFY(server.received.contains("\r\nAuto-Submitted: auto-replied\r\n"));
            QVERIFY(!server.received.contains("List-") && !server.received.contains("Precedence"));
            QVERIFY(server.received.contains(expectedBody(sentence).toLatin1()));
            QCOMPARE(server.commandCount.value("QUIT"), 1);
        }
    }

    void aRemovalFromThreeCategoriesSendsThreeMessages() {
        RulesFixture f;
        useStandIn(f.settings);
        f.settings.SendAcknowledgement = true;
        f.settings.EmailMethod = 1;
        f.settings.MultipleCategorySupport = {true, false};
        AcknowledgementMailer mailer(f.settings, f.log, f.prompt);
        EntryRules rules(f.dm.tblML(), f.settings, f.log, f.errors, f.prompt, mailer);
        f.addEntries({"member@example.com|News", "member@example.com|Sports", "member@example.com|Jobs"});
        rules.insertentry(false, QStringLiteral("Member <member@example.com>"), QString(), QString(), QString(),
                          QString(), 0, false, true);
        QCOMPARE(f.rows(), QStringList());
        const QList<QByteArray> messages = submitted();
        QCOMPARE(messages.size(), 3);
        for (const QByteArray &raw : messages)
            QCOMPARE(MessageContent(raw).to()[0].address, QStringLiteral("member@example.com"));
        QCOMPARE(f.logLines().filter(QStringLiteral("Successful send of Acknowledgement")).size(), 3);
    }

    void aStoreThatCannotComposeShowsTheMailStoreError() {
        RulesFixture f;
        useStandIn(f.settings);
        f.settings.MailStore = m_tools.path() + QStringLiteral("/no such store");
        f.settings.SendAcknowledgement = true;
        f.settings.EmailMethod = 2;
        AcknowledgementMailer mailer(f.settings, f.log, f.prompt);
        mailer.SendAcknowledgement(QStringLiteral("a@example.com"), QStringLiteral("Done."));
        QCOMPARE(f.prompt.texts(),
                 QStringList{"MAPI Sending Error.  Go to Advanced options and select a different sending option."});
        QCOMPARE(f.logLines(), QStringList());
    }

    void aRefusedSubmissionIsLogged() {
        RulesFixture f;
        useStandIn(f.settings, 1);
        f.settings.SendAcknowledgement = true;
        f.settings.EmailMethod = 1;
        AcknowledgementMailer mailer(f.settings, f.log, f.prompt);
        mailer.SendAcknowledgement(QStringLiteral("a@example.com"), QStringLiteral("Done."));
        QCOMPARE(f.logLines(), QStringList{"Error sending Acknowledgement e-mail to a@example.com"});
        QVERIFY(f.prompt.shown.isEmpty());
    }

    // The SMTP path checks both addresses before it connects and logs what it refused, control characters
    // made visible.
    void smtpRefusesInvalidAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("recipient with ESMTP parameters")
            << "a@example.com> NOTIFY=NEVER"
            << "lists@example.net"
            << "Error sending Acknowledgement e-mail to a@example.com> NOTIFY=NEVER: Address contains an invalid "
               "character";
        QTest::newRow("recipient with a line break")
            << "a@example.com\r\nRCPT TO:<b@example.com>"
            << "lists@example.net"
            << "Error sending Acknowledgement e-mail to a@example.com\\x0D\\x0ARCPT TO:<b@example.com>: Address "
               "contains an invalid character";
        QTest::newRow("sender with ESMTP parameters")
            << "a@example.com"
            << "lists@example.net> BODY=8BITMIME"
            << "Error sending Acknowledgement e-mail to a@example.com: the SMTP sender address "
               "\"lists@example.net> BODY=8BITMIME\" is not valid: Address contains an invalid character";
    }

    void smtpRefusesInvalidAddresses() {
        QFETCH(QString, address);
        QFETCH(QString, sender);
        QFETCH(QString, logLine);
        RulesFixture f;
        ScriptedSmtpServer server;
        useServer(f.settings, server);
        f.settings.SMTPEmail = sender;
        AcknowledgementMailer mailer(f.settings, f.log, f.prompt);
        QVERIFY(!mailer.SMTPSendAcknowledgement(address, QStringLiteral("Done.")));
        QCOMPARE(f.logLines(), QStringList{logLine});
        QVERIFY(f.prompt.shown.isEmpty());
        QTest::qWait(50);
        QCOMPARE(server.connections, 0);
    }

    void smtpFailures_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QStringList>("shownStart");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("no server") << "refused"
                                   << QStringList{"An error was encountered while connecting to your SMTP server:"}
                                   << QStringList();
        QTest::newRow("message refused") << "dot"
                                         << QStringList{"An error was encountered while sending your mail via SMTP!",
                                                        "SMTP Acknowledgement failed"}
                                         << QStringList{"Error sending Acknowledgement e-mail to a@example.com"};
    }

    void smtpFailures() {
        QFETCH(QString, failure);
        QFETCH(QStringList, shownStart);
        QFETCH(QStringList, log);
        RulesFixture f;
        ScriptedSmtpServer server;
        useServer(f.settings, server);
        f.settings.SendAcknowledgement = true;
        if (failure == QLatin1String("refused"))
            server.stopListening();
        else
            server.reply(".", "554 5.7.1 rejected\r\n");
        AcknowledgementMailer mailer(f.settings, f.log, f.prompt);
        mailer.setConnectionSetup([](SMTPConnection &c) {
            c.client().setTimeLimits(5000, 5000);
            c.setWaitLimits(5000, 5000);
        });
        if (failure == QLatin1String("dot"))
            f.prompt.answer(UserPrompt::Abort);
        mailer.SendAcknowledgement(QStringLiteral("a@example.com"), QStringLiteral("Done."));
        const QStringList shown = f.prompt.texts();
        QCOMPARE(shown.size(), shownStart.size());
        for (int i = 0; i < shown.size(); ++i)
            QVERIFY2(shown[i].startsWith(shownStart[i]), qPrintable(shown[i]));
        if (failure == QLatin1String("dot")) {
            QCOMPARE(f.prompt.shown.last().kind, UserPrompt::Kind::Error);
            QCOMPARE(f.prompt.shown.last().buttons, UserPrompt::Buttons(UserPrompt::Abort));
            QCOMPARE(server.commandCount.value("QUIT"), 1);
        }
        QCOMPARE(f.logLines(), log);
        QVERIFY(f.prompt.allAnswersUsed());
    }
};

QTEST_GUILESS_MAIN(tst_acknowledgements)
#include "tst_acknowledgements.moc"

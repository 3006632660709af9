// Forwarding members' posts, checked on what a recording submission program received: the spread of the
// members over copies, the target category, the sending rights, the refusal and outcome log lines, the
// question that switches forwarding off, the recipient set, and the marks every copy carries.
#include "../mailstore/MaildirFixture.h"
#include "RulesFixture.h"
#include "mailstore/MessageContent.h"
#include "requests/ForwardingRecipientSet.h"
#include "requests/UserMessageForwarder.h"
#include "send/MailStoreSettings.h"

#include <QDir>

using namespace corvane;
using namespace corvane::test;

namespace {

struct Copy {
    QStringList recipients; // the submission program's arguments after "--"
    MessageContent message;
};

// "item|category|rights" with rights "0" or missing for true.
void addEntries(SqliteTable &table, const QStringList &entries) {
    table.lockTable();
    for (const QString &entry : entries) {
        const QStringList p = entry.split(QLatin1Char('|'));
        table.appendRecord({p.value(0), p.value(1), 0, QString(), QString(), QString(), p.value(2) != "0"});
    }
    table.unlockTable();
}

QStringList members(int count, const QString &category) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("m%1@example.org|%2").arg(i, 5, 10, QLatin1Char('0')).arg(category);
    return list;
}

} // namespace

class TestForwarding : public QObject {
    Q_OBJECT

    std::unique_ptr<RulesFixture> f;
    std::unique_ptr<MaildirFixture> mail;
    std::unique_ptr<UserMessageForwarder> forwarder;
    std::unique_ptr<MailStoreApplication> app;
    QTemporaryDir tools;
    CurrentMessage message;
    QString postFile;

    QString out() const { return tools.path() + QStringLiteral("/out"); }

    // Files a post in the folder "Posts" and returns it, with `message` filled as the scan would.
    std::shared_ptr<MailItem> post(const QString &subject, const QString &from = "sender@example.org",
                                   const QString &to = "news@lists.example") {
        const QString text = QStringLiteral("From: %1\nTo: %2\nSubject: %3\nDate: Tue, 1 Dec 2026 10:00:00 +0000\n"
                                            "Message-ID: <p1@example.org>\n\nHello list\n")
                                 .arg(from, to, subject);
        postFile = mail->put(".Posts", "new", "1765000000.M1P1.host", text.toUtf8());
        app = std::make_unique<MailStoreApplication>(MailStoreSettings::application(f->settings));
        message.subject = subject;
        message.sender = from;
        return app->GetNameSpace("MAPI").Folders(1).Folders("Posts").Items().Item(1);
    }

    QList<Copy> copies() const {
        QList<Copy> result;
        const QDir dir(out());
        for (const QString &name : dir.entryList({"*.args"}, QDir::Files, QDir::Name)) {
            QFile args(dir.filePath(name)), eml(dir.filePath(QString(name).replace(".args", ".eml")));
            if (!args.open(QIODevice::ReadOnly) || !eml.open(QIODevice::ReadOnly))
                qFatal("unreadable copy");
            QStringList list = QString::fromUtf8(args.readAll()).split('\n', Qt::SkipEmptyParts);
            result.append({list.mid(list.indexOf("--") + 1), MessageContent(eml.readAll())});
        }
        return result;
    }

    QString outcome(bool ok, const QString &subject, const QString &target) const {
        return (ok ? "Successfully forwarded " : "ERROR encountered forwarding ") +
               QStringLiteral("mail from sender@example.org with the subject, '%1' to %2").arg(subject, target);
    }

private slots:
    void initTestCase() {
        // Records each run's arguments and message under a running number; the run whose number is in the
        // file "fail-at" is refused.
        const QString script = tools.path() + "/sendmail";
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nd=$(dirname \"$0\")\nmkdir -p \"$d/out\"\n"
                   "n=$(printf '%04d' $(ls \"$d/out\" | grep -c args))\n"
                   "printf '%s\\n' \"$@\" > \"$d/out/$n.args\"\ncat > \"$d/out/$n.eml\"\n"
                   "if [ \"$(cat \"$d/fail-at\" 2>/dev/null)\" = \"$n\" ]; then echo refused >&2; exit 75; fi\n");
        file.close();
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void init() {
        f = std::make_unique<RulesFixture>();
        mail = std::make_unique<MaildirFixture>();
        QDir(out()).removeRecursively();
        QFile::remove(tools.path() + "/fail-at");
        f->settings.MailStore = mail->root();
        f->settings.SubmitCommand = '"' + tools.path() + "/sendmail\" -oi";
        f->settings.SMTPEmail = "list@lists.example";
        f->settings.UserSending = true;
        forwarder = std::make_unique<UserMessageForwarder>(f->dm.tblML(), f->rules, f->settings, f->log, f->prompt);
        message = CurrentMessage();
    }

    void cleanup() {
        QVERIFY(f->prompt.allAnswersUsed());
        forwarder.reset();
        app.reset();
        mail.reset();
        f.reset();
    }

    void spreadOverCopies_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("perCopy");
        QTest::addColumn<QString>("defaultTo");
        QTest::addColumn<QList<int>>("sizes");
        const QStringList others{"zz@example.org|Other"};
        QTest::newRow("1200 hidden, 500 a copy")
            << members(1200, "News") + others << 500 << "" << QList<int>{500, 500, 200};
        QTest::newRow("one a copy, default To")
            << members(3, "news") << 1 << "owner@lists.example" << QList<int>{2, 2, 2};
        QTest::newRow("hidden, default To") << members(4, "News") << 3 << "owner@lists.example" << QList<int>{4, 2};
        QTest::newRow("one a copy, undeliverable member left out")
            << members(2, "News") + QStringList{"-x@example.org|News"} << 1 << "owner@lists.example"
            << QList<int>{2, 2};
        QTest::newRow("hidden, undeliverable members left out")
            << members(2, "News") + QStringList{"no address|News", "-x@example.org|News"} << 500 << "" << QList<int>{2};
    }

    void spreadOverCopies() {
        QFETCH(QStringList, entries);
        QFETCH(int, perCopy);
        QFETCH(QString, defaultTo);
        QFETCH(QList<int>, sizes);
        addEntries(f->dm.tblML(), entries);
        f->settings.SendCount = perCopy;
        f->settings.DefaultToAddress = defaultTo;
        auto item = post("[News] Hello");
        QVERIFY(forwarder->forwardmailmessage(*item, message));

        QStringList served;
        const QList<Copy> sent = copies();
        QCOMPARE(sent.size(), sizes.size());
        for (int i = 0; i < sent.size(); ++i) {
            QStringList got = sent[i].recipients;
            QCOMPARE(got.size(), sizes[i]);
            QVERIFY(sent[i].message.bcc().empty());
            QCOMPARE(sent[i].message.to().size(), size_t(perCopy == 1) + size_t(!defaultTo.isEmpty()));
            if (!defaultTo.isEmpty())
                QCOMPARE(got.takeAt(perCopy == 1 ? 1 : 0), defaultTo);
            served << got;
        }
        QStringList expected;
        for (const QString &entry : entries)
            if (entry.endsWith("|News", Qt::CaseInsensitive) && entry.startsWith('m'))
                expected << entry.section('|', 0, 0);
        QCOMPARE(served, expected);
        QCOMPARE(RulesFixture::logLines(),
                 QStringList{outcome(true, "[News] Hello", "the mailing list category, News")});
    }

    void recipientSet_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("category");
        QTest::addColumn<QStringList>("expected");
        const QStringList entries{"b@x.org|News", "A@x.org|news", "a@X.ORG|Sports", "c@x.org|Sports", "B@X.org|NEWS"};
        QTest::newRow("whole list, letter case ignored")
            << entries << "" << QStringList{"A@x.org", "b@x.org", "c@x.org"};
        QTest::newRow("one category, case ignored") << entries << "NeWs" << QStringList{"A@x.org", "b@x.org"};
        QTest::newRow("prefix is no match") << entries << "New" << QStringList{};
    }

    void recipientSet() {
        QFETCH(QStringList, entries);
        QFETCH(QString, category);
        QFETCH(QStringList, expected);
        addEntries(f->dm.tblML(), entries);
        QCOMPARE(ForwardingRecipientSet::build(f->dm.tblML(), category), expected);
    }

    // The target category and the sending rights, each refusal with its log line. Rights: "" no check,
    // "first" the sender's first entry decides, "own" their entry in the target category decides.
    void decisions_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("rights");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("list"); // X-Corvane-List of the copies
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("refused"); // why not: "category" or "rights"
        using F = Settings::ForwardTarget;
        const int Sender = int(F::Sender), Subject = int(F::Subject), Email = int(F::Email), All = int(F::All);
        const QString ann = "ann@x.org", to = "x@y.org";
        QTest::newRow("subject") << Subject << "" << ann << "Re: [ Sports ] scores" << to << "Sports" << 3 << "";
        QTest::newRow("empty brackets") << Subject << "" << ann << "[] Hello" << to << "" << 0 << "category";
        QTest::newRow("bracket first") << Subject << "" << ann << "]Sports[ x" << to << "" << 0 << "category";
        QTest::newRow("no bracket after [") << Subject << "" << ann << "a] [Sports" << to << "" << 0 << "category";
        QTest::newRow("e-mail stem") << Email << "" << ann << "Hi"
                                     << "NEWS@lists.example"
                                     << "NEWS" << 1 << "";
        QTest::newRow("no stem") << Email << "" << ann << "Hi"
                                 << "undisclosed-recipients:;"
                                 << "" << 0 << "category";
        QTest::newRow("sender's first entry") << Sender << ""
                                              << "BOB@x.org"
                                              << "Hi" << to << "news" << 1 << "";
        QTest::newRow("sender unknown") << Sender << ""
                                        << "eve@x.org"
                                        << "Hi" << to << "" << 0 << "category";
        QTest::newRow("whole list") << All << "" << ann << "[News] Hi" << to << "ALL" << 3 << "";
        QTest::newRow("unknown sender, no check") << Subject << ""
                                                  << "eve@x.org"
                                                  << "[News] x" << to << "News" << 1 << "";
        QTest::newRow("unknown sender") << Subject << "first"
                                        << "eve@x.org"
                                        << "[News] x" << to << "" << 0 << "rights";
        QTest::newRow("no sender") << Subject << "first"
                                   << ""
                                   << "[News] x" << to << "" << 0 << "rights";
        QTest::newRow("first entry sends anywhere")
            << Subject << "first" << ann << "[News] x" << to << "News" << 1 << "";
        QTest::newRow("first entry may not") << Subject << "first"
                                             << "bob@x.org"
                                             << "[Sports] x" << to << "" << 0 << "rights";
        QTest::newRow("own entry may") << Subject << "own"
                                       << "BOB@x.org"
                                       << "[sports] x" << to << "sports" << 3 << "";
        QTest::newRow("not in the category") << Subject << "own" << ann << "[News] x" << to << "" << 0 << "rights";
        QTest::newRow("whole list, first entry") << All << "own"
                                                 << "bob@x.org"
                                                 << "x" << to << "" << 0 << "rights";
    }

    void decisions() {
        QFETCH(int, mode);
        QFETCH(QString, rights);
        QFETCH(QString, sender);
        QFETCH(QString, subject);
        QFETCH(QString, to);
        QFETCH(QString, list);
        QFETCH(int, copies);
        QFETCH(QString, refused);
        addEntries(f->dm.tblML(), {"ann@x.org|Sports", "bob@x.org|news|0", "bob@x.org|Sports", "c@x.org|Sports"});
        f->settings.ForwardToWhom = Settings::ForwardTarget(mode);
        f->settings.CheckUser = !rights.isEmpty();
        f->settings.MustBelongToGroup = rights == "own";
        f->settings.SendCount = 1;
        f->settings.ListAddress = QStringLiteral("news@example.org");
        auto item = post(subject, sender, to);
        QCOMPARE(forwarder->forwardmailmessage(*item, message), refused.isEmpty());
        const QList<Copy> sent = this->copies();
        QCOMPARE(sent.size(), copies);
        for (const Copy &copy : sent) {
            QCOMPARE(copy.message.rawHeader("x-corvane-list"), list.toUtf8());
            QCOMPARE(copy.message.rawHeader("auto-submitted"), QByteArray("auto-generated"));
            QCOMPARE(copy.message.rawHeader("list-unsubscribe"),
                     QByteArray("<mailto:news@example.org?subject=unsubscribe>"));
        }
        const QString reason =
            refused == "rights" ? "the user does not have sending rights!" : "the category was not valid!";
        if (!refused.isEmpty())
            QCOMPARE(RulesFixture::logLines(), QStringList{"Message of subject, " + subject + ", from " + sender +
                                                           " was not forwarded because " + reason});
    }

    void qualifies_data() {
        QTest::addColumn<bool>("forwardAll");
        QTest::addColumn<QString>("subject");
        QTest::addColumn<int>("marks"); // 1: Auto-Submitted, 2: Corvane's own copy
        QTest::addColumn<bool>("expected");
        QTest::newRow("all messages") << true << "Hello" << 0 << true;
        QTest::newRow("list name") << false << "Re: [News] x" << 0 << true;
        QTest::newRow("no list name") << false << "Hello" << 0 << false;
        QTest::newRow("bracket first") << false << "]News[" << 0 << false;
        QTest::newRow("automatic reply") << true << "[News] x" << 1 << false;
        QTest::newRow("own copy back") << true << "[News] x" << 2 << false;
    }

    void qualifies() {
        QFETCH(bool, forwardAll);
        QFETCH(QString, subject);
        QFETCH(int, marks);
        QFETCH(bool, expected);
        f->settings.ForwardAll.checked = forwardAll;
        message.subject = subject;
        message.autoSubmitted = marks == 1;
        message.forwardedByCorvane = marks == 2;
        QCOMPARE(forwarder->IsUserEmail(message), expected);
    }

    void copyContent_data() {
        QTest::addColumn<bool>("signature");
        QTest::addColumn<bool>("receipt");
        QTest::newRow("plain") << false << false;
        QTest::newRow("signature and read receipt") << true << true;
    }

    void copyContent() {
        QFETCH(bool, signature);
        QFETCH(bool, receipt);
        addEntries(f->dm.tblML(), {"a@x.org|News"});
        f->settings.SigOnForward = signature;
        f->settings.Acknowledge = receipt;
        f->settings.Signature = QStringList{"-- ", "The News list"};
        // An encoded line break in the subject must not break the copy's header or the log line.
        auto item = post("=?utf-8?q?[News]_Gr=C3=BC=C3=9Fe=0D=0ABcc:_x@evil.example?=");
        message.subject = item->subject();
        QVERIFY(forwarder->forwardmailmessage(*item, message));
        const QList<Copy> sent = copies();
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].recipients, QStringList{"a@x.org"});
        QCOMPARE(sent[0].message.subject(), QString::fromUtf8("[News] Grüße Bcc: x@evil.example"));
        QCOMPARE(sent[0].message.body(), signature ? QStringLiteral("Hello list\r\n\r\n-- \r\nThe News list\r\n")
                                                   : QStringLiteral("Hello list\r\n"));
        QCOMPARE(sent[0].message.rawHeader("disposition-notification-to").isEmpty(), !receipt);
        QCOMPARE(sent[0].message.rawHeader("x-corvane-list"), QByteArray("News"));
    }

    void failures_data() {
        QTest::addColumn<QString>("failAt"); // the refused run; empty: the post vanished before its copies
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("attempts");
        QTest::newRow("send refused: no question") << "0001" << int(UserPrompt::NoButton) << 2;
        QTest::newRow("composing fails, keep forwarding") << "" << int(UserPrompt::No) << 0;
        QTest::newRow("composing fails, switch off") << "" << int(UserPrompt::Yes) << 0;
    }

    void failures() {
        QFETCH(QString, failAt);
        QFETCH(int, answer);
        QFETCH(int, attempts);
        addEntries(f->dm.tblML(), members(1200, "News"));
        auto item = post("[News] Hello");
        if (failAt.isEmpty()) {
            QVERIFY(QFile::remove(postFile));
        } else {
            QFile file(tools.path() + "/fail-at");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(failAt.toUtf8());
        }
        if (answer != UserPrompt::NoButton)
            f->prompt.answer(UserPrompt::Button(answer));
        QVERIFY(!forwarder->forwardmailmessage(*item, message));
        QCOMPARE(copies().size(), attempts);
        QCOMPARE(f->prompt.shown.size(), answer == UserPrompt::NoButton ? 0 : 1);
        QCOMPARE(f->settings.UserSending, answer != UserPrompt::Yes);
        QCOMPARE(forwarder->forwardingSwitchedOff(), answer == UserPrompt::Yes);
        QCOMPARE(RulesFixture::logLines(),
                 QStringList{outcome(false, "[News] Hello", "the mailing list category, News")});
    }
};

QTEST_GUILESS_MAIN(TestForwarding)
#include "tst_forwarding.moc"

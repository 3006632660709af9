// The scan command of the main window: one scan doing both jobs when the user-message folder is the
// mailing-list folder, else the requests scan and then the members' scan; nothing without a database.
#include "../mailstore/MaildirFixture.h"
#include "ScriptedPrompt.h"
#include "app/Tfrmmain.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"
#include "requests/MemberPostHandler.h"
#include "settings/Settings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;

namespace {

class CountingMembers : public MemberPostHandler {
public:
    bool IsUserEmail(const CurrentMessage &message) const override {
        return forwardAll || message.subject.startsWith(QLatin1String("[News]"));
    }
    bool forwardmailmessage(MailItem &, const CurrentMessage &message) override {
        forwarded.append(message.subject);
        return true;
    }
    bool forwardingSwitchedOff() const override { return false; }
    QStringList forwarded;
    bool forwardAll = false;
};

QByteArray message(const QString &subject) {
    return (QStringLiteral("From: ann@example.com\r\nSubject: ") + subject +
            QStringLiteral("\r\nDate: Tue, 12 Mar 2024 10:15:00 +0000\r\n\r\nbody\r\n"))
        .toUtf8();
}

} // namespace

class TestScanCommand : public QObject {
    Q_OBJECT

private slots:
    void scans_data();
    void scans();
};

void TestScanCommand::scans_data() {
    QTest::addColumn<bool>("userSending");
    QTest::addColumn<QString>("membersFolder");
    QTest::addColumn<bool>("forwardAll");
    QTest::addColumn<QList<int>>("handled");
    QTest::addColumn<QList<int>>("forwarded");
    QTest::newRow("requests only") << false << "MailingList" << false << QList<int>{1} << QList<int>{0};
    QTest::newRow("one folder, both jobs") << true << "MailingList" << false << QList<int>{1} << QList<int>{1};
    // Every message of the shared folder is a member's post: no request is processed.
    QTest::newRow("one folder, every message a post")
        << true << "MailingList" << true << QList<int>{0} << QList<int>{2};
    QTest::newRow("two folders") << true << "Posts" << false << QList<int>{1, 0} << QList<int>{0, 1};
    // The store finds folders ignoring letter case, but the two names are compared exactly: two scans.
    QTest::newRow("folder names compared exactly")
        << true << "mailinglist" << false << QList<int>{1, 0} << QList<int>{0, 1};
}

void TestScanCommand::scans() {
    QFETCH(bool, userSending);
    QFETCH(QString, membersFolder);
    QTemporaryDir home;
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    AppPaths::setApplicationDirectory(home.path());
    MaildirFixture mail;
    mail.put(QStringLiteral(".MailingList"), QStringLiteral("new"), QStringLiteral("1700000001.M1P1.t"),
             message(QStringLiteral("subscribe")));
    mail.put(QStringLiteral(".MailingList"), QStringLiteral("new"), QStringLiteral("1700000002.M2P1.t"),
             message(QStringLiteral("[News] in the list folder")));
    mail.put(QStringLiteral(".Posts"), QStringLiteral("new"), QStringLiteral("1700000003.M3P1.t"),
             message(QStringLiteral("[News] in the posts folder")));

    ScriptedPrompt prompt;
    Tfrmmain main(prompt);
    main.FormCreate({});
    prompt.answer(UserPrompt::Yes);
    main.createDataModule();
    CountingMembers members;
    QFETCH(bool, forwardAll);
    members.forwardAll = forwardAll;
    main.memberPostHandler = &members;
    Settings &settings = main.settings();
    settings.MailStore = mail.root();
    settings.UserSending = userSending;
    settings.UserSendingFolder = membersFolder;
    main.btngetoutlookClick();

    QList<int> handled;
    QList<int> forwarded;
    for (const TfrmExtractentries::Summary &scan : main.lastScans()) {
        QCOMPARE(scan.result, TfrmExtractentries::Result::Completed);
        handled.append(scan.handled);
        forwarded.append(scan.forwarded);
    }
    QTEST(handled, "handled");
    QTEST(forwarded, "forwarded");
    QCOMPARE(main.dataModule()->tblML().recordCount(), handled.value(0));
    QCOMPARE(main.scanCount(), 1);
    QVERIFY(prompt.allAnswersUsed());
    AppPaths::setApplicationDirectory(QString());
}

QTEST_GUILESS_MAIN(TestScanCommand)
#include "tst_scancommand.moc"

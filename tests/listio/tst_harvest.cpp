// Harvesting addresses from a Maildir store: senders by the configured retrieval method, recipients and
// bodies of real-world messages, contacts with a semicolon list, the folder tree, cancel and unreachable
// folders, and the name-and-address join.
#include "../mailstore/MaildirFixture.h"
#include "ScriptedPrompt.h"
#include "listio/HarvestList.h"
#include "listio/OutlookHarvest.h"
#include "requests/SenderMethodAsker.h"
#include "settings/Settings.h"

#include <QTest>

using namespace corvane;

namespace {

class RecordingAsker : public SenderMethodAsker {
public:
    bool ask(const QString &text, bool &alwaysShow) override {
        asked.append(text);
        alwaysShow = true;
        return change;
    }
    QStringList asked;
    bool change = false;
};

const QStringList kMessages = {"alternative-qp.eml", "replyto.eml", "htmlonly.eml", "latin1.eml",
                               "base64.eml",         "notmail.eml", "truncated.eml"};

} // namespace

class TestHarvest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MaildirFixture> mail;
    std::unique_ptr<ScriptedPrompt> prompt;
    Settings settings;
    RecordingAsker asker;

    void fill() {
        int n = 0;
        for (const QString &name : kMessages)
            mail->put(QStringLiteral(".Requests"), QStringLiteral("cur"),
                      QStringLiteral("%1.M%2P1.test:2,S").arg(1700000000 + n).arg(n),
                      test::MaildirFixture::fixture(name)),
                ++n;
        // The same sender again in other letter case, and a name holding line breaks and a NUL.
        mail->put(QStringLiteral(".Requests"), QStringLiteral("new"), QStringLiteral("1800000000.M1P1.test"),
                  "From: =?UTF-8?Q?J=C3=BCrgen_M=C3=BCller?= <JUERGEN@example.org>\r\n"
                  "To: =?UTF-8?Q?Evil=0D=0AName=00?= <evil@example.org>\r\nSubject: x\r\n\r\nhi\r\n");
        mail->put(QStringLiteral(".Contacts"), QStringLiteral("cur"), QStringLiteral("a.vcf"),
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Doe\\, Jane\r\nEMAIL:jane@example.org\r\nEND:VCARD\r\n");
        mail->put(QStringLiteral(".Contacts"), QStringLiteral("cur"), QStringLiteral("b.vcf"),
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Two Boxes\r\nEMAIL:first@example.org; ;second@example.org "
                  "\r\nEND:VCARD\r\n");
        mail->put(QStringLiteral(".Contacts"), QStringLiteral("cur"), QStringLiteral("c.vcf"),
                  test::MaildirFixture::fixture(QStringLiteral("v40.vcf")));
        mail->put(QStringLiteral(".Archive"), QStringLiteral("cur"), QStringLiteral("1.M1P1.test:2,S"),
                  test::MaildirFixture::fixture(QStringLiteral("base64.eml")));
        mail->put(QStringLiteral(".Archive.2024"), QStringLiteral("cur"), QStringLiteral("1.M1P1.test:2,S"),
                  test::MaildirFixture::fixture(QStringLiteral("base64.eml")));
    }

private slots:
    void init() {
        mail = std::make_unique<test::MaildirFixture>();
        prompt = std::make_unique<ScriptedPrompt>();
        settings = Settings();
        settings.MailStore = mail->root();
        asker.asked.clear();
        asker.change = false;
        fill();
    }

    void join_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("surname, given") << "Doe, Jane"
                                        << "j@x.org" << QStringList{"Jane Doe <j@x.org>"};
        QTest::newRow("leading comma kept") << ",Jane"
                                            << "j@x.org" << QStringList{",Jane <j@x.org>"};
        QTest::newRow("name holding @ dropped") << "j@x.org"
                                                << "j@x.org" << QStringList{"j@x.org"};
        QTest::newRow("no address, nothing") << "Jane"
                                             << "" << QStringList{};
        QTest::newRow("control characters") << "Ev\r\nil\x01"
                                            << "e@x.org\n"
                                            << QStringList{"Ev il <e@x.org>"};
    }
    void join() {
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QStringList, lines);
        HarvestList list;
        list.addNameAndAddress(name, address);
        list.addNameAndAddress(name.toUpper(), address.toUpper());
        QCOMPARE(list.lines(), lines);
    }

    void messages_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("from");
        QTest::addColumn<bool>("recipients");
        QTest::addColumn<bool>("bodies");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("senders by the sender-address property") << 5 << true << false << false
                                                                << QStringList{"cut@example.org",
                                                                               "François Château <francois@example.fr>",
                                                                               "Html Sender <html@example.org>",
                                                                               "Jürgen Müller <JUERGEN@example.org>",
                                                                               "plain@example.org",
                                                                               "The Robot <robot@example.org>"};
        QTest::newRow("senders by name only")
            << 0 << true << false << false << QStringList{"cut@example.org", "plain@example.org"};
        QTest::newRow("senders by reply-to")
            << 3 << true << false << false << QStringList{"Real Person <person@example.com>"};
        QTest::newRow("recipients") << 5 << false << true << false
                                    << QStringList{"Evil Name <evil@example.org>",
                                                   "List Owner <owner@lists.example.net>", "owner@lists.example.net",
                                                   "second@example.net", "Élodie <elodie@example.com>"};
        QTest::newRow("bodies only") << 5 << false << false << true
                                     << QStringList{"new@example.com", "old@example.com", "tj@example.org"};
    }
    void messages() {
        QFETCH(int, method);
        QFETCH(bool, from);
        QFETCH(bool, recipients);
        QFETCH(bool, bodies);
        QFETCH(QStringList, lines);
        settings.GetSenderAddressMethod = method;
        settings.UseRedemption = method == 5;
        OutlookHarvest harvest(settings, *prompt, asker);
        const OutlookHarvest::Result result =
            harvest.ProcessSelectedFolder({QStringLiteral("Requests")}, false, {from, recipients, bodies});
        QCOMPARE(result.outcome, OutlookHarvest::Outcome::Completed);
        QCOMPARE(result.items, int(kMessages.size()) + 1);
        QCOMPARE(result.lines, lines);
        QVERIFY(prompt->texts().isEmpty());
        QVERIFY(!prompt->progressVisible);
        QCOMPARE(prompt->busyDepth, 0);
        QVERIFY(prompt->progress.constFirst().endsWith(QStringLiteral("|Scanning Entries from Requests")));
    }

    // A failing method asks the scan's question; "Change Method" takes effect at once.
    void senderQuestion() {
        settings.GetSenderAddressMethod = 2;
        asker.change = true;
        OutlookHarvest harvest(settings, *prompt, asker);
        harvest.ProcessSelectedFolder({QStringLiteral("Requests")}, false, {});
        QCOMPARE(asker.asked.size(), 1);
        QVERIFY(asker.asked.constFirst().contains(QStringLiteral("the Reply Method Method is not supported")));
        QCOMPARE(settings.GetSenderAddressMethod, 3);
    }

    void contacts_data() {
        QTest::addColumn<bool>("command");
        QTest::newRow("contacts command") << true;
        QTest::newRow("tree path marked *") << false;
    }
    void contacts() {
        QFETCH(bool, command);
        OutlookHarvest harvest(settings, *prompt, asker);
        const OutlookHarvest::Result result =
            command ? harvest.harvestContacts()
                    : harvest.ProcessSelectedFolder({QStringLiteral("Contacts*")}, true, {true, true, true});
        QCOMPARE(result.outcome, OutlookHarvest::Outcome::Completed);
        QCOMPARE(result.lines, QStringList({"first@example.org", "Jane Doe <jane@example.org>", "second@example.org",
                                            "Élodie François <elodie@example.com>"}));
    }

    void folderTree() {
        OutlookHarvest harvest(settings, *prompt, asker);
        const std::optional<OutlookHarvest::Folders> folders = harvest.loadFolders();
        QVERIFY(folders.has_value());
        QStringList texts;
        for (const HarvestFolderNode &node : folders->tree)
            texts.append(node.text() + QString::number(node.children.size()));
        QCOMPARE(texts, QStringList({"Archive1", "Contacts*0", "Inbox0", "Requests0"}));
        QCOMPARE(folders->tree.front().children.front().text(), QStringLiteral("2024"));
        QCOMPARE(folders->contactsFolder, QStringLiteral("Contacts"));
    }

    void unreachable_data() {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("root folder missing") << "Nowhere"
                                             << "Requests" << OutlookHarvest::rootErrorText();
        QTest::newRow("folder missing") << "<Root>"
                                        << "Gone"
                                        << "The folder, Gone, could not be opened";
    }
    void unreachable() {
        QFETCH(QString, root);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        settings.RootFolder = root;
        OutlookHarvest harvest(settings, *prompt, asker);
        const OutlookHarvest::Result result = harvest.ProcessSelectedFolder({folder}, false, {});
        QCOMPARE(result.outcome, OutlookHarvest::Outcome::Unreachable);
        QVERIFY(result.lines.isEmpty());
        QCOMPARE(prompt->texts(), QStringList{message});
    }

    void cancelHandsOnNothing() {
        prompt->cancelAfterProgressCalls = 2;
        OutlookHarvest harvest(settings, *prompt, asker);
        const OutlookHarvest::Result result = harvest.ProcessSelectedFolder({QStringLiteral("Requests")}, false, {});
        QCOMPARE(result.outcome, OutlookHarvest::Outcome::Cancelled);
        QVERIFY(result.lines.isEmpty());
        QVERIFY(result.items < int(kMessages.size()));
        QVERIFY(!prompt->progressVisible);
    }
};

QTEST_GUILESS_MAIN(TestHarvest)
#include "tst_harvest.moc"

// The "Scan Outlook" window: the tree loaded by its one-shot timer (captions, "*" marks, sorted levels), the
// ticks following the chosen folder's kind, OK's enabling, and the scan of the chosen folder; the "Scan
// Folders" window's file types.
#include "../../mailstore/MaildirFixture.h"
#include "ScriptedPrompt.h"
#include "listio/ui/TdlgGetMore.h"
#include "listio/ui/TdlgScanFolder.h"
#include "requests/SenderMethodAsker.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace corvane;
using namespace corvane::ui;

namespace {
class NoAsker : public SenderMethodAsker {
public:
    bool ask(const QString &, bool &) override { return false; }
};
} // namespace

class TestHarvestDialogs : public QObject {
    Q_OBJECT

    test::MaildirFixture mail;
    ScriptedPrompt prompt;
    Settings settings;
    NoAsker asker;

private slots:
    void initTestCase() {
        mail.put(QStringLiteral(".zeta"), QStringLiteral("cur"), QStringLiteral("1.M1P1.t:2,S"),
                 "From: Zed <zed@example.org>\r\nSubject: s\r\n\r\nsee yo@example.org\r\n");
        mail.put(QStringLiteral(".Alpha"), QStringLiteral("cur"), QStringLiteral("c.vcf"),
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nEMAIL:ann@example.org\r\nEND:VCARD\r\n");
        settings.MailStore = mail.root();
        settings.GetSenderAddressMethod = 5;
    }

    void folderKinds_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("firstTick");
        QTest::addColumn<bool>("othersVisible");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("contacts") << 0 << "Contact E-mail Address" << false << QStringList{"Ann <ann@example.org>"};
        QTest::newRow("messages") << 2 << "From Address" << true << QStringList{"Zed <zed@example.org>"};
    }
    void folderKinds() {
        QFETCH(int, row);
        QFETCH(QString, firstTick);
        QFETCH(bool, othersVisible);
        QFETCH(QStringList, lines);
        TdlgGetMore dialog(settings, prompt, asker);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("LOADING..."));
        QCOMPARE(dialog.tmrLoadFolders->interval(), 125);
        QTRY_COMPARE(dialog.windowTitle(), QStringLiteral("Scan Outlook Folders for E-mail Addresses (Step 1 of 2)"));
        QCOMPARE(dialog.tvFolders->topLevelItemCount(), 3);
        QCOMPARE(dialog.tvFolders->topLevelItem(0)->text(0), QStringLiteral("Alpha*"));
        QCOMPARE(dialog.tvFolders->topLevelItem(1)->text(0), QStringLiteral("Inbox"));
        QVERIFY(!dialog.btnok->isEnabled());
        dialog.tvFolders->setCurrentItem(dialog.tvFolders->topLevelItem(row));
        QCOMPARE(dialog.chkfrom->text(), firstTick);
        QCOMPARE(dialog.chkfrom->isEnabled(), othersVisible);
        QCOMPARE(dialog.chkbody->isVisible(), othersVisible);
        QVERIFY(dialog.btnok->isEnabled());
        dialog.ProcessSelectedFolder();
        QCOMPARE(dialog.lines(), lines);
        if (othersVisible) {
            dialog.chkfrom->click();
            QVERIFY(!dialog.btnok->isEnabled());
        }
    }

    void fileTypes() {
        TdlgScanFolder dialog;
        QCOMPARE(dialog.cmbfiletype->count(), 2);
        QCOMPARE(dialog.mask(), QStringLiteral("*.txt"));
        dialog.cmbfiletype->setCurrentIndex(1);
        QCOMPARE(dialog.mask(), QStringLiteral("*.*"));
        dialog.selectFolder(mail.root());
        QCOMPARE(dialog.folder(), mail.root());
        QVERIFY(dialog.btnok->isEnabled());
    }
};

QTEST_MAIN(TestHarvestDialogs)
#include "tst_harvestdialogs.moc"

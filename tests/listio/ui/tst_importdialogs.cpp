// The import, importation-settings and enter-addresses windows: their enabling rules, the live question,
// the greyed mapping rows, and OK running the addresses into a real list database.
#include "ScriptedPrompt.h"
#include "TestDatabase.h"
#include "listio/ImportSettings.h"
#include "listio/ui/TdlgEnterMore.h"
#include "listio/ui/TdlgImport.h"
#include "listio/ui/Tdlgimport2.h"
#include "requests/EntryRules.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace corvane;
using namespace corvane::ui;

class TestImportDialogs : public QObject {
    Q_OBJECT

private:
    TestDatabase db;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<ActivityLog> log;
    ErrorsList errors;
    Acknowledger acknowledger;
    std::unique_ptr<EntryRules> rules;

private slots:
    void init() {
        db.setUp();
        db.prompt->shown.clear();
        settings = std::make_unique<Settings>();
        settings->defaultcategory = QStringLiteral("Members");
        log = std::make_unique<ActivityLog>(*settings);
        rules = std::make_unique<EntryRules>(db.table(), *settings, *log, errors, *db.prompt, acknowledger);
    }
    void cleanup() {
        rules.reset();
        log.reset();
        db.tearDown();
    }

    void enterMoreFollowsTextAndChoice_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("enabled"); // ok, add category, removal choices, removal category
        QTest::newRow("empty box") << ""
                                   << "add"
                                   << "How should these  addresses be processed?"
                                   << "0100";
        QTest::newRow("two lines, add") << "a@x.org\nb@x.org\n"
                                        << "add"
                                        << "How should these 2 addresses be processed?"
                                        << "1100";
        QTest::newRow("remove, all categories") << "a@x.org"
                                                << "remove"
                                                << "How should these 1 addresses be processed?"
                                                << "1010";
        QTest::newRow("remove, one category") << "a@x.org\rb"
                                              << "removecategory"
                                              << "How should these 2 addresses be processed?"
                                              << "1011";
        QTest::newRow("undeliverable") << "a@x.org"
                                       << "undeliverable"
                                       << "How should these 1 addresses be processed?"
                                       << "1000";
    }
    void enterMoreFollowsTextAndChoice() {
        QFETCH(QString, text);
        QFETCH(QString, choice);
        QFETCH(QString, question);
        QFETCH(QString, enabled);
        TdlgEnterMore dialog(*rules, *db.dm, *settings, *db.prompt);
        QCOMPARE(dialog.cmbaddcategory->currentText(), QStringLiteral("Members"));
        dialog.memaddresses->setPlainText(text);
        if (choice == QLatin1String("remove") || choice == QLatin1String("removecategory")) {
            dialog.rdbremove->setChecked(true);
            if (choice == QLatin1String("removecategory")) {
                dialog.rdbremovecategory->setChecked(true);
            }
        } else if (choice == QLatin1String("undeliverable")) {
            dialog.rdbundeliverable->setChecked(true);
        }
        QCOMPARE(dialog.lblquestion->text(), question);
        const QString got = QString::number(dialog.btnok->isEnabled()) +
                            QString::number(dialog.cmbaddcategory->isEnabled()) +
                            QString::number(dialog.rdballcategories->isEnabled()) +
                            QString::number(dialog.cmbremovecategory->isEnabled());
        QCOMPARE(got, enabled);
    }

    void enterMoreOkAddsAndStep2() {
        TdlgEnterMore dialog(*rules, *db.dm, *settings, *db.prompt);
        dialog.setStep2({"a@x.org", "b@x.org"}, false);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Process Addresses (Step 2 of 2)"));
        QCOMPARE(dialog.lblheading->text(),
                 QStringLiteral("The following 2 addresses were retrieved from your file folder:"));
        QVERIFY(dialog.btnload->isHidden() && dialog.btnpaste->isHidden());
        dialog.btnokClick();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.memaddresses->toPlainText().isEmpty());
        QCOMPARE(db.table().recordCount(), 2);
        db.table().first();
        QCOMPARE(db.table().text(QStringLiteral("Category")), QStringLiteral("Members"));
    }

    void settingsDialogGreysRowsWithoutField() {
        const QString path = db.tmp->filePath(QStringLiteral("two.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a@x.org,News\r\n");
        file.close();
        ImportSettings importSettings;
        importSettings.setFileName(path);
        Tdlgimport2 dialog(importSettings, *db.prompt);
        dialog.FormShow();
        QCOMPARE(dialog.lbxexamples->count(), 2);
        QCOMPARE(dialog.lbxarrows1->count(), 2);
        QCOMPARE(dialog.lbxmapping->count(), 11);
        QCOMPARE(dialog.lbxmapping->item(1)->text(), QStringLiteral("Category"));
        QCOMPARE(dialog.lbxmapping->item(2)->text(), QStringLiteral("Full Name (no field)"));
        // A click beside a row selects the mapping row.
        dialog.lbxexamples->itemClicked(dialog.lbxexamples->item(1));
        QCOMPARE(dialog.lbxmapping->currentRow(), 1);
        dialog.movefield(+1);
        QCOMPARE(dialog.lbxmapping->currentRow(), 2);
        QCOMPARE(dialog.lbxmapping->item(2)->text(), QStringLiteral("Category (no field)"));
    }

    void importDialogNeedsFile() {
        TdlgImport dialog(*rules, *db.dm, *settings, *db.prompt);
        QVERIFY(!dialog.btnok->isEnabled());
        QVERIFY(!dialog.btnsettings->isEnabled());
        dialog.rdbmulti->setChecked(true);
        QVERIFY(dialog.btnsettings->isEnabled() && !dialog.cmbcategory->isEnabled());
        dialog.setFileName(db.tmp->filePath(QStringLiteral("x.csv")));
        QVERIFY(dialog.btnok->isEnabled());
    }
};

QTEST_MAIN(TestImportDialogs)
#include "tst_importdialogs.moc"

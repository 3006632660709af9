// The "Add Recipients" dialog on the offscreen platform: typed addresses move into the sorted lists by ">>"
// and by leaving the entry box, "<<" and the Delete key remove the selected line, and with nothing selected
// the removal beeps and selects the first line.
#include "ScriptedPrompt.h"
#include "send/TdlgAddRecip.h"
#include "send/ui/TdlgAddRecip.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace corvane;

class TestAddRecip : public QObject {
    Q_OBJECT

private slots:
    void typedAddressesMoveIntoSortedLists_data() {
        QTest::addColumn<bool>("cc");
        QTest::addColumn<bool>("byLeaving");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("To by >>") << false << false << QStringList{"zed@x.org", "Amy@x.org", "bob@x.org"}
                                  << QStringList{"Amy@x.org", "bob@x.org", "zed@x.org"};
        QTest::newRow("CC by leaving the box")
            << true << true << QStringList{"m@x.org", "a@x.org"} << QStringList{"a@x.org", "m@x.org"};
        QTest::newRow("blank text adds nothing")
            << false << false << QStringList{"   ", "c@x.org", ""} << QStringList{"c@x.org"};
    }
    void typedAddressesMoveIntoSortedLists() {
        QFETCH(bool, cc);
        QFETCH(bool, byLeaving);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, expected);
        ScriptedPrompt prompt;
        corvane::TdlgAddRecip lists;
        ui::TdlgAddRecip dialog(lists, prompt);
        dialog.show();
        QLineEdit *entry = cc ? dialog.edtCC : dialog.edtTo;
        QPushButton *add = cc ? dialog.btnAddCC : dialog.btnAddTo;
        for (const QString &text : typed) {
            entry->setFocus();
            entry->setText(text);
            if (byLeaving) {
                QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
                QApplication::sendEvent(entry, &out);
            } else {
                add->click();
            }
            QCOMPARE(entry->text(), QString());
        }
        QCOMPARE(cc ? lists.lbCC() : lists.lbTo(), expected);
        QCOMPARE(cc ? lists.lbTo() : lists.lbCC(), QStringList());
        QListWidget *shown = cc ? dialog.lbCC : dialog.lbTo;
        QCOMPARE(shown->count(), expected.size());
        QCOMPARE(shown->item(shown->count() - 1)->text(), expected.last());
    }

    void removalTakesSelectedLine_data() {
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<int>("selected"); // -1: nothing selected
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("beeps");
        QTest::newRow("<< on the middle line") << false << 1 << QStringList{"a@x.org", "c@x.org"} << 1 << 0;
        QTest::newRow("Delete on the last line") << true << 2 << QStringList{"a@x.org", "b@x.org"} << 1 << 0;
        QTest::newRow("nothing selected") << false << -1 << QStringList{"a@x.org", "b@x.org", "c@x.org"} << 0 << 1;
    }
    void removalTakesSelectedLine() {
        QFETCH(bool, byKey);
        QFETCH(int, selected);
        QFETCH(QStringList, left);
        QFETCH(int, current);
        QFETCH(int, beeps);
        ScriptedPrompt prompt;
        corvane::TdlgAddRecip lists;
        lists.setTo({"c@x.org", "a@x.org", "b@x.org"});
        ui::TdlgAddRecip dialog(lists, prompt);
        dialog.show();
        if (selected >= 0) {
            dialog.lbTo->setCurrentRow(selected);
        }
        if (byKey) {
            QTest::keyClick(dialog.lbTo, Qt::Key_Delete);
        } else {
            dialog.btnRemoveTo->click();
        }
        QCOMPARE(lists.lbTo(), left);
        QCOMPARE(dialog.lbTo->count(), left.size());
        QCOMPARE(dialog.lbTo->currentRow(), current);
        QCOMPARE(prompt.beeps, beeps);
    }
};

QTEST_MAIN(TestAddRecip)
#include "tst_addrecip.moc"

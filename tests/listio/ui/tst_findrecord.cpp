// The "Find Record" dialog over a real list table, offscreen: its rows and options, typing that ticks
// rows, OK that stays open on a message or closes with the entry found, and the static entry point.
#include "../tst_maintenancefixture.h"
#include "listio/ui/TdlgFind.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace corvane;
using corvane::ui::TdlgFind;

class TestFindRecord : public QObject {
    Q_OBJECT

private:
    MaintenanceFixture f;
    int m_anna = 0;
    int m_bert = 0;

    static QStringList items(const QComboBox *box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i) {
            out.append(box->itemText(i));
        }
        return out;
    }

private slots:
    void init() {
        f.setUp();
        m_anna = f.add(QStringLiteral("anna@example.org"), QStringLiteral("News"), 0, QStringLiteral("Anna Berg"));
        m_bert = f.add(QStringLiteral("bert@example.org"), QStringLiteral("Work"), 0, QStringLiteral("Bert Lund"));
    }
    void cleanup() { f.tearDown(); }

    void initialRowsAndOptions() {
        TdlgFind dialog(*f.maintenance);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Find Record"));
        QCOMPARE(items(dialog.cmbfield[0]), (QStringList{"E-mail", "Category", "Full Name", "First Name", "Comments"}));
        QCOMPARE(items(dialog.cmbfield[2]), (QStringList{"E-mail", "Category", "Name", "Salutation", "Comments"}));
        QCOMPARE(dialog.cmbfield[0]->currentText(), QStringLiteral("E-mail"));
        QCOMPARE(dialog.cmbfield[1]->currentText(), QStringLiteral("Category"));
        QCOMPARE(dialog.cmbfield[2]->currentText(), QStringLiteral("Name"));
        QVERIFY(dialog.chkfield[0]->isChecked());
        QVERIFY(!dialog.chkfield[1]->isChecked());
        QVERIFY(!dialog.chkfield[2]->isChecked());
        QVERIFY(dialog.chkcaseinsensitive->isChecked());
        QVERIFY(dialog.chkpartial->isChecked());
        QCOMPARE(dialog.lblrelation[1]->text(), QStringLiteral("starts with"));
        dialog.chkpartial->setChecked(false);
        for (const QLabel *label : dialog.lblrelation) {
            QCOMPARE(label->text(), QStringLiteral("equals"));
        }
    }

    // Typing in any row sets every row's tick from its own text.
    void typingTicksRows() {
        TdlgFind dialog(*f.maintenance);
        QTest::keyClicks(dialog.edttext[1], QStringLiteral("w"));
        QVERIFY(!dialog.chkfield[0]->isChecked());
        QVERIFY(dialog.chkfield[1]->isChecked());
        QTest::keyClick(dialog.edttext[1], Qt::Key_Backspace);
        QVERIFY(!dialog.chkfield[1]->isChecked());
        QTest::keyClicks(dialog.edttext[2], QStringLiteral("B"));
        QVERIFY(dialog.chkfield[2]->isChecked());
    }

    void okStaysOpenUntilFound_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("found");
        QTest::newRow("address in capitals") << 0 << "BER"
                                             << "" << true;
        QTest::newRow("second row only") << 1 << "work"
                                         << "" << true;
        QTest::newRow("not found") << 0 << "zed"
                                   << "A record could not be found for the entries you specified" << false;
        QTest::newRow("nothing typed") << -1 << ""
                                       << "You have not entered anything to search for!" << false;
    }
    void okStaysOpenUntilFound() {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(bool, found);
        TdlgFind dialog(*f.maintenance);
        dialog.show();
        if (row >= 0) {
            QTest::keyClicks(dialog.edttext[row], text);
        }
        QTest::mouseClick(dialog.btnok, Qt::LeftButton);
        QCOMPARE(dialog.isVisible(), !found);
        QCOMPARE(dialog.foundIndex().has_value(), found);
        if (found) {
            QCOMPARE(*dialog.foundIndex(), m_bert);
            QVERIFY(f.prompt->shown.isEmpty());
        } else {
            QCOMPARE(f.prompt->texts(), QStringList{message});
        }
    }

    void findRecordReturnsTheIndexOrNothing_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("found") << false;
        QTest::newRow("cancelled") << true;
    }
    void findRecordReturnsTheIndexOrNothing() {
        QFETCH(bool, cancel);
        QTimer::singleShot(0, this, [cancel] {
            auto *dialog = qobject_cast<TdlgFind *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClicks(dialog->edttext[0], QStringLiteral("anna@"));
            (cancel ? dialog->btncancel : dialog->btnok)->click();
        });
        const std::optional<int> index = TdlgFind::findRecord(nullptr, *f.maintenance);
        QCOMPARE(index.has_value(), !cancel);
        if (!cancel) {
            QCOMPARE(*index, m_anna);
            QCOMPARE(f.table().text(QStringLiteral("Item")), QStringLiteral("anna@example.org"));
        }
    }
};

QTEST_MAIN(TestFindRecord)
#include "tst_findrecord.moc"

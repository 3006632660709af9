// The desktop prompts and the database directory dialog on the offscreen platform: button sets, the
// answer returned for the button pressed, the progress window with its Cancel question, and the dialog's
// OK rules.
#include "ScriptedPrompt.h"
#include "app/ui/WidgetPrompt.h"
#include "db/ui/TdlgOpenDB.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace corvane;

namespace {
// Presses `button` of the next message box once it is shown, and records the buttons it offered.
void pressLater(QMessageBox::StandardButton button, QList<QMessageBox::StandardButton> *offered) {
    QTimer::singleShot(0, [button, offered] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        for (QAbstractButton *b : box->buttons()) {
            offered->append(box->standardButton(b));
        }
        box->button(button)->click();
    });
}
// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

QProgressBar *shownGauge() {
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->findChild<QProgressBar *>()) {
            return w->findChild<QProgressBar *>();
        }
    }
    return nullptr;
}
} // namespace

class TestWidgetPrompt : public QObject {
    Q_OBJECT

private slots:
    void messageReturnsThePressedButton_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("press");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("count");
        QTest::newRow("yes of yes/no") << int(UserPrompt::Yes | UserPrompt::No) << int(QMessageBox::Yes)
                                       << int(UserPrompt::Yes) << 2;
        QTest::newRow("retry of three") << int(UserPrompt::Yes | UserPrompt::No | UserPrompt::Retry)
                                        << int(QMessageBox::Retry) << int(UserPrompt::Retry) << 3;
        QTest::newRow("cancel of ok/cancel")
            << int(UserPrompt::Ok | UserPrompt::Cancel) << int(QMessageBox::Cancel) << int(UserPrompt::Cancel) << 2;
    }
    void messageReturnsThePressedButton() {
        QFETCH(int, buttons);
        QFETCH(int, press);
        QFETCH(int, expected);
        QFETCH(int, count);
        ui::WidgetPrompt prompt;
        QList<QMessageBox::StandardButton> offered;
        pressLater(QMessageBox::StandardButton(press), &offered);
        const auto answer =
            prompt.message(UserPrompt::Kind::Warning, QStringLiteral("text"), UserPrompt::Buttons::fromInt(buttons));
        QCOMPARE(int(answer), expected);
        QCOMPARE(offered.size(), count);
    }

    void messageBoxesCarryTheProgramName_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("information") << int(UserPrompt::Kind::Information);
        QTest::newRow("confirmation") << int(UserPrompt::Kind::Confirmation);
        QTest::newRow("error") << int(UserPrompt::Kind::Error);
    }
    void messageBoxesCarryTheProgramName() {
        QFETCH(int, kind);
        QApplication::setApplicationDisplayName(QStringLiteral("Corvane"));
        ui::WidgetPrompt prompt;
        QString title;
        QTimer::singleShot(0, [&title] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            title = box->windowTitle();
            box->button(QMessageBox::Ok)->click();
        });
        prompt.message(UserPrompt::Kind(kind), QStringLiteral("text"), UserPrompt::Ok);
        QCOMPARE(title, QStringLiteral("Corvane"));
    }

    // Work without Cancel never returns to the event loop: the window must still be painted, but not on
    // every one of thousands of progress steps.
    void progressWindowPaintsWithoutTheEventLoop_data() {
        QTest::addColumn<bool>("cancellable");
        QTest::newRow("without cancel") << false;
        QTest::newRow("with cancel") << true;
    }
    void progressWindowPaintsWithoutTheEventLoop() {
        QFETCH(bool, cancellable);
        ui::WidgetPrompt prompt;
        prompt.showProgress(0, QStringLiteral("Repairing"), cancellable);
        QProgressBar *gauge = shownGauge();
        QVERIFY(gauge != nullptr);
        // Modal: the periodic scan and other commands wait while the events run.
        QCOMPARE(QApplication::activeModalWidget(), gauge->window());
        // The text changes at every step; unlike the gauge, a label is painted only when events run.
        auto *text = gauge->parentWidget()->findChild<QLabel *>();
        QVERIFY(text != nullptr);
        PaintCounter counter;
        text->installEventFilter(&counter);
        QElapsedTimer clock;
        clock.start();
        int steps = 0;
        while (clock.elapsed() < 300) {
            prompt.showProgress(50, QStringLiteral("Entry %1").arg(steps), cancellable);
            ++steps;
        }
        QCOMPARE(text->text(), QStringLiteral("Entry %1").arg(steps - 1));
        QVERIFY2(counter.paints >= 2, qPrintable(QString::number(counter.paints)));
        // At most about one painting per interval, however many steps were shown.
        QVERIFY2(counter.paints <= 300 / ui::WidgetPrompt::kPaintIntervalMs + 2,
                 qPrintable(QStringLiteral("%1 paints for %2 steps").arg(counter.paints).arg(steps)));
        QVERIFY(steps > counter.paints * 10);
        prompt.hideProgress();
    }

    void progressWindowCancelAsksFirst() {
        ui::WidgetPrompt prompt;
        prompt.showProgress(40, QStringLiteral("Working"), true);
        QProgressBar *gauge = nullptr;
        QPushButton *cancel = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->findChild<QProgressBar *>()) {
                gauge = w->findChild<QProgressBar *>();
                cancel = w->findChild<QPushButton *>();
            }
        }
        QVERIFY(gauge != nullptr);
        QCOMPARE(gauge->value(), 40);
        QVERIFY(cancel != nullptr);
        QList<QMessageBox::StandardButton> offered;
        pressLater(QMessageBox::No, &offered);
        cancel->click();
        QVERIFY(!prompt.cancelRequested());
        pressLater(QMessageBox::Yes, &offered);
        cancel->click();
        QVERIFY(prompt.cancelRequested());
        prompt.hideProgress();
        for (QWidget *w : QApplication::topLevelWidgets()) {
            QVERIFY(!(w->isVisible() && w->findChild<QProgressBar *>()));
        }
    }

    void openDialogOkNeedsADirectory() {
        ScriptedPrompt prompt;
        QTemporaryDir tmp;
        ui::TdlgOpenDB dialog(prompt);
        dialog.edtpath->clear();
        QVERIFY(!dialog.btnOK->isEnabled());
        dialog.setDirectory(tmp.path());
        QVERIFY(dialog.btnOK->isEnabled());
        QCOMPARE(dialog.directory(), tmp.path());
    }

    void openDialogOffersToCreateAMissingFolder() {
        QTemporaryDir tmp;
        const QString missing = tmp.filePath(QStringLiteral("new/lists"));
        ScriptedPrompt prompt;
        ui::TdlgOpenDB dialog(prompt);
        dialog.edtpath->setText(missing);
        prompt.answer(UserPrompt::Cancel);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!QFileInfo::exists(missing));
        prompt.answer(UserPrompt::Ok);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(QFileInfo(missing).isDir());
    }
};

QTEST_MAIN(TestWidgetPrompt)
#include "tst_widgetprompt.moc"

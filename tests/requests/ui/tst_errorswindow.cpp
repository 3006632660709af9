// The "Errors" window on the offscreen platform, opened from the main window's "Display Errors...": the
// list shown without duplicates, the buttons following the selection, a double click that reprocesses a
// line through the "Reprocess Entry" dialog, and the Delete key. Every modal window is answered from a
// timer, and a watchdog closes whatever is left open so that a failure cannot hang the run.
#include "ScriptedPrompt.h"
#include "app/ui/Tfrmmain.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"
#include "requests/ui/Tdlgerrors.h"
#include "requests/ui/Tdlgreprocess.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace corvane;

class TestErrorsWindow : public QObject {
    Q_OBJECT

private slots:
    void reprocessAndDeleteFromTheWindow() {
        QTemporaryDir tmp;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp.filePath(QStringLiteral("config")));
        AppPaths::setApplicationDirectory(tmp.filePath(QStringLiteral("app")) + QLatin1Char('/'));
        ScriptedPrompt prompt;
        ui::Tfrmmain window(prompt);
        window.core().FormCreate({});
        prompt.answer(UserPrompt::Yes);
        window.core().createDataModule();
        window.show();
        window.firstShow();
        ErrorsList &errors = window.core().errorsList();
        errors.setLines({"REMOVE b@x.com", "ADD a@b@x.com News", "add A@B@x.com news"});
        QAction *display = window.action(QStringLiteral("mkDisplayErrors"));
        QVERIFY(display->isEnabled());

        QStringList seen;
        bool leftOpen = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, this, [&] {
            while (QWidget *modal = QApplication::activeModalWidget()) {
                leftOpen = true;
                modal->close();
            }
        });
        watchdog.start(10000);
        const auto buttons = [](ui::Tdlgerrors *w) {
            return QStringLiteral("%1 %2").arg(w->btnreprocess->isEnabled()).arg(w->btndelete->isEnabled());
        };
        QTimer::singleShot(0, this, [&] {
            auto *w = qobject_cast<ui::Tdlgerrors *>(QApplication::activeModalWidget());
            if (w == nullptr) {
                return;
            }
            seen << QString::number(w->lbxerrors->count()) << buttons(w);
            QTimer::singleShot(0, this, [&] {
                auto *dialog = qobject_cast<ui::Tdlgreprocess *>(QApplication::activeModalWidget());
                if (dialog == nullptr) {
                    return;
                }
                seen << (dialog->rdbadd->isChecked() ? "add" : "remove") << dialog->edtemail->text()
                     << dialog->cmbcategory->currentText() << dialog->memreason->toPlainText();
                dialog->edtemail->clear();
                seen << QString::number(dialog->btnok->isEnabled());
                dialog->edtemail->setText(QStringLiteral("a@x.com"));
                dialog->chkignore->setChecked(true);
                dialog->btnok->click();
            });
            const QRect first = w->lbxerrors->visualItemRect(w->lbxerrors->item(0));
            QTest::mouseClick(w->lbxerrors->viewport(), Qt::LeftButton, {}, first.center());
            seen << buttons(w);
            QTest::mouseDClick(w->lbxerrors->viewport(), Qt::LeftButton, {}, first.center());
            seen << w->lbxerrors->item(0)->text() << QString::number(w->lbxerrors->count())
                 << QString::number(w->lbxerrors->currentRow());
            QTest::keyClick(w->lbxerrors, Qt::Key_Delete);
            seen << QString::number(w->lbxerrors->count()) << buttons(w);
            w->btnclose->click();
        });
        display->trigger();
        watchdog.stop();

        QVERIFY(!leftOpen);
        QCOMPARE(seen,
                 (QStringList{"2", "0 0", "1 1", "add", "a@b@x.com", "News", "Address contains too many @ symbols", "0",
                              "REMOVE b@x.com", "1", "0", "0", "0 0"}));
        QVERIFY(errors.lines().isEmpty());
        SqliteTable &table = window.core().dataModule()->tblML();
        QVERIFY(table.locate(QStringLiteral("Item"), QStringLiteral("a@x.com")));
        QCOMPARE(table.text(QStringLiteral("Category")), QStringLiteral("News"));
        AppPaths::setApplicationDirectory(QString());
    }
};

QTEST_MAIN(TestErrorsWindow)
#include "tst_errorswindow.moc"

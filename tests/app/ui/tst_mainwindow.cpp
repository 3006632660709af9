// The main window on the offscreen platform: menus with their captions and shortcuts, commands not yet
// available shown disabled, the recent-databases submenu, the caption after the first showing, the grid's
// columns, the window placement kept between runs and the status-line notices after Print and Optimize.
#include "RecordingPrintTarget.h"
#include "ScriptedPrompt.h"
#include "app/ui/Tfrmmain.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"
#include "listio/ui/TdlgExport.h"
#include "settings/Settings.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace corvane;

namespace {
// A scripted prompt that runs `onProgress` with every "percent|message" it shows.
class HookedPrompt : public ScriptedPrompt {
public:
    void showProgress(int percent, const QString &message, bool cancellable) override {
        ScriptedPrompt::showProgress(percent, message, cancellable);
        if (onProgress) {
            onProgress(QString::number(percent) + QLatin1Char('|') + message);
        }
    }
    std::function<void(const QString &)> onProgress;
};
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_appDir;

    std::unique_ptr<ui::Tfrmmain> started(ScriptedPrompt &prompt) {
        auto window = std::make_unique<ui::Tfrmmain>(prompt);
        window->core().FormCreate({});
        if (!QFileInfo::exists(m_appDir + QStringLiteral("mailist.DAT"))) {
            prompt.answer(UserPrompt::Yes);
        }
        window->core().createDataModule();
        window->show();
        window->firstShow();
        return window;
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_tmp->filePath(QStringLiteral("config")));
        m_appDir = m_tmp->filePath(QStringLiteral("app")) + QLatin1Char('/');
        AppPaths::setApplicationDirectory(m_appDir);
    }
    void cleanup() {
        AppPaths::setApplicationDirectory(QString());
        m_tmp.reset();
    }

    void menuItems_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("open") << "mkOpenDB"
                              << "Create/Open Mailing List DB..."
                              << "Ctrl+O" << true;
        QTest::newRow("send") << "mkSend"
                              << "Send E-mail to Mailing List..."
                              << "Alt+S" << true;
        QTest::newRow("check") << "mkCheckOutlook"
                               << "Check Outlook for New Entries"
                               << "Ctrl+N" << true;
        QTest::newRow("manual") << "mkManual"
                                << "Manually Enter Entries..."
                                << "Ctrl+M" << true;
        QTest::newRow("print") << "mkPrint"
                               << "Print Mailing List"
                               << "Ctrl+P" << true;
        QTest::newRow("backup") << "mkBackUp"
                                << "Save Back Up File..."
                                << "Ctrl+S" << true;
        QTest::newRow("exit") << "Exit1"
                              << "Exit"
                              << "Alt+F4" << true;
        QTest::newRow("find") << "mkFind"
                              << "Find Record.."
                              << "F4" << true;
        QTest::newRow("category") << "mkChangeCategory"
                                  << "Change List Category to..."
                                  << "Alt+Return" << true;
        QTest::newRow("reset") << "mkResetBounce"
                               << "Reset Bounce Count "
                               << "" << true;
        QTest::newRow("delete") << "mkDelete"
                                << "Delete Record"
                                << "Del" << true;
        QTest::newRow("block") << "mkBlock"
                               << "Move to Blocked Addresses"
                               << "Ctrl+D" << true;
        QTest::newRow("editing") << "mkAllowEditing"
                                 << "Allow In-line Editing"
                                 << "Ctrl+E" << true;
        QTest::newRow("optimize") << "mkOptimise"
                                  << "Optimize Database..."
                                  << "" << true;
        QTest::newRow("merge") << "mkMerge"
                               << "Merge All Categories/Remove All Duplicates..."
                               << "" << true;
        QTest::newRow("log") << "mkDisplayLog"
                             << "Display Log..."
                             << "" << true;
        QTest::newRow("scan mail folders") << "mkScanOutlookFolders"
                                           << "Scan Outlook Folders for Addresses..."
                                           << "" << true;
        QTest::newRow("scan contacts") << "mkScanOutlookContacts"
                                       << "Scan Outlook Contacts for Addresses..."
                                       << "" << true;
        QTest::newRow("scan file folders") << "mkScanFileFolders"
                                           << "Scan File Folders for Addresses..."
                                           << "" << true;
        QTest::newRow("help") << "mkHelp"
                              << "Help..."
                              << "F1" << true;
        QTest::newRow("options") << "mkOptions"
                                 << "Options..."
                                 << "" << true;
    }
    void menuItems() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, shortcut);
        QFETCH(bool, enabled);
        ScriptedPrompt prompt;
        auto window = started(prompt);
        QAction *item = window->action(name);
        QVERIFY2(item != nullptr, qPrintable(name));
        QCOMPARE(item->text(), caption);
        QCOMPARE(item->shortcut().toString(), shortcut);
        QCOMPARE(item->isEnabled(), enabled);
    }

    void captionAndCountAfterFirstShowing() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Corvane Professional  (Database: ") + m_appDir + QLatin1Char(')'));
        QCOMPARE(window->lblcount->text(), QStringLiteral("  0 Records"));
        QVERIFY(window->rdball->isChecked());
    }

    void recentSubmenuNeedsTwoDatabases() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        QCOMPARE(window->mkReopen->actions().size(), 1);
        QVERIFY(!window->mkReopen->isEnabled());

        const QString other = m_tmp->filePath(QStringLiteral("other"));
        QDir().mkpath(other);
        prompt.answerDirectory(other);
        prompt.answer(UserPrompt::Yes);
        window->action(QStringLiteral("mkOpenDB"))->trigger();
        QCOMPARE(window->mkReopen->actions().size(), 2);
        QVERIFY(window->mkReopen->isEnabled());
        QCOMPARE(window->mkReopen->actions().first()->toolTip(), other + QLatin1Char('/'));
        QVERIFY(window->windowTitle().contains(other));
    }

    void gridColumns() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        const QStringList captions = {"E-mail",    "List Category", "Bounce Count", "Comments",
                                      "Full Name", "First Name",    "Can Send"};
        const QList<bool> visible = {true, true, true, true, false, false, false};
        for (int c = 0; c < captions.size(); ++c) {
            QCOMPARE(window->dxDBGrid1->model()->headerData(c, Qt::Horizontal).toString(), captions.at(c));
            QCOMPARE(!window->dxDBGrid1->isColumnHidden(c), visible.at(c));
        }
    }

    void displayLogAsksToSwitchLoggingOn() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        window->core().settings().MaintainLog = false;
        prompt.answer(UserPrompt::Yes);
        window->mkDisplayLogClick();
        QCOMPARE(prompt.shown.last().text, QStringLiteral("You do not currently have logging enabled.  Do you want "
                                                          "to enable it now?"));
        QVERIFY(window->core().settings().MaintainLog);
    }

    void layoutIsSavedAndRestored() {
        {
            ScriptedPrompt prompt;
            auto window = started(prompt);
            QHeaderView *header = window->dxDBGrid1->horizontalHeader();
            header->setSectionHidden(3, true);
            header->setSectionHidden(4, false);
            header->moveSection(header->visualIndex(1), 0);
            header->resizeSection(0, 200);
            window->core().listView().sortMenuChoice(ListView::CategoryColumn, false);
            QVERIFY(window->close());
        }
        const auto settings = AppPaths::openSettings();
        QCOMPARE(settings->value(QStringLiteral("dxDBGrid1Category/Index")).toString(), QStringLiteral("0"));
        QCOMPARE(settings->value(QStringLiteral("dxDBGrid1Comments/Visible")).toString(), QStringLiteral("0"));
        QCOMPARE(settings->value(QStringLiteral("dxDBGrid1Category/Sorted")).toString(), QStringLiteral("2"));
        QCOMPARE(settings->value(QStringLiteral("ShowGroupPanel")).toString(), QStringLiteral("true"));
        QCOMPARE(settings->value(QStringLiteral("dxDBGrid1Item/Width")).toString(), QStringLiteral("200"));

        ScriptedPrompt prompt;
        auto window = started(prompt);
        QHeaderView *header = window->dxDBGrid1->horizontalHeader();
        QCOMPARE(header->logicalIndex(0), 1);
        QVERIFY(header->isSectionHidden(3));
        QVERIFY(!header->isSectionHidden(4));
        // Restored, then fitted to the width: the widened column stays the widest.
        for (int other : {1, 2, 4}) {
            QVERIFY(header->sectionSize(0) > header->sectionSize(other));
        }
        QCOMPARE(window->core().listView().sortMark(ListView::CategoryColumn), 2);
        QCOMPARE(window->core().dataModule()->tblML().indexFieldNames(), QStringLiteral("Category"));
    }

    void limitedCachingMarksTheAddressColumnAtStart() {
        AppPaths::openSettings()->setValue(QStringLiteral("LimitDBCache"), QStringLiteral("true"));
        AppPaths::openSettings()->setValue(QStringLiteral("dxDBGrid1Bounces/Sorted"), QStringLiteral("1"));
        ScriptedPrompt prompt;
        auto window = started(prompt);
        QCOMPARE(window->core().listView().sortMark(ListView::EmailColumn), 1);
        QCOMPARE(window->core().listView().sortMark(ListView::BouncesColumn), 0);
    }

    void typingAFilterRefreshesWhenIdle() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        SqliteTable &table = window->core().dataModule()->tblML();
        table.appendRecord({QStringLiteral("a@x.org"), QStringLiteral("News"), 0});
        table.appendRecord({QStringLiteral("b@x.org"), QStringLiteral("Sports"), 0});
        window->core().UpdateDisplay();
        QCOMPARE(window->lblcount->text(), QStringLiteral("  2 Records"));
        QTest::keyClicks(window->edtfilter, QStringLiteral("spo"));
        QVERIFY(window->rdbfilter->isChecked());
        QTRY_COMPARE(window->lblcount->text(), QStringLiteral("  1 Records Displayed"));
        QCOMPARE(window->dxDBGrid1->model()->rowCount(), 1);
    }

    void inlineEditingPostsTheCell() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        SqliteTable &table = window->core().dataModule()->tblML();
        table.appendRecord({QStringLiteral("a@x.org"), QStringLiteral("News"), 0});
        window->core().UpdateDisplay();
        QAbstractItemModel *model = window->dxDBGrid1->model();
        QVERIFY(!model->setData(model->index(0, 3), QStringLiteral("note")));
        window->action(QStringLiteral("mkAllowEditing"))->trigger();
        QVERIFY(window->core().settings().AllowEditing);
        QVERIFY(model->setData(model->index(0, 3), QStringLiteral("note")));
        QVERIFY(model->setData(model->index(0, 6), int(Qt::Checked), Qt::CheckStateRole));
        QVERIFY(table.locate(QStringLiteral("Item"), QStringLiteral("a@x.org")));
        QCOMPARE(table.text(QStringLiteral("Comments")), QStringLiteral("note"));
        QVERIFY(table.boolean(QStringLiteral("SendRights")));
        QCOMPARE(model->data(model->index(0, 3)).toString(), QStringLiteral("note"));
    }

    void deletingTheLastRowFocusesTheRowBeforeIt() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        SqliteTable &table = window->core().dataModule()->tblML();
        for (const char *address : {"a@x.org", "b@x.org", "c@x.org"}) {
            table.appendRecord({QString::fromLatin1(address), QStringLiteral("News"), 0});
        }
        window->core().UpdateDisplay();
        window->goToRow(2);
        QCOMPARE(window->selectedKeys(), QList<int>{3});
        prompt.answer(UserPrompt::Yes);
        window->action(QStringLiteral("mkDelete"))->trigger();
        QCOMPARE(prompt.shown.last().text, QStringLiteral("Are you sure you want to delete the 1 selected entries?"));
        QCOMPARE(window->dxDBGrid1->model()->rowCount(), 2);
        QCOMPARE(window->dxDBGrid1->currentIndex().row(), 1);
        QCOMPARE(window->lblcount->text(), QStringLiteral("  2 Records"));
    }

    void sendingRightsNeedUserSending() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        auto *rights = window->findChild<QMenu *>(QStringLiteral("mkSendingRights"));
        window->core().settings().UserSending = false;
        emit rights->aboutToShow();
        QVERIFY(!window->action(QStringLiteral("mkCanSend"))->isEnabled());
        window->core().settings().UserSending = true;
        emit rights->aboutToShow();
        QVERIFY(window->action(QStringLiteral("mkCanSend"))->isEnabled());
    }

    void groupingByCategoryIsKeptBetweenRuns() {
        {
            ScriptedPrompt prompt;
            auto window = started(prompt);
            SqliteTable &table = window->core().dataModule()->tblML();
            for (const char *category : {"News", "news", "Sports"}) {
                table.appendRecord({QStringLiteral("a@x.org"), QString::fromLatin1(category), 0});
            }
            QVERIFY(window->pnlGroup->isVisible());
            window->groupByColumn(1);
            QVERIFY(window->tvGrouped->isVisible());
            QVERIFY(!window->dxDBGrid1->isVisible());
            QCOMPARE(window->tvGrouped->model()->rowCount(), 2);
            QVERIFY(window->close());
        }
        QCOMPARE(AppPaths::openSettings()->value(QStringLiteral("dxDBGrid1Category/GroupIndex")).toString(),
                 QStringLiteral("0"));
        ScriptedPrompt prompt;
        auto window = started(prompt);
        QCOMPARE(window->groupedColumn(), 1);
        QVERIFY(window->tvGrouped->isVisible());
    }

    void limitedCachingHidesTheGroupingPanel() {
        AppPaths::openSettings()->setValue(QStringLiteral("LimitDBCache"), QStringLiteral("true"));
        AppPaths::openSettings()->setValue(QStringLiteral("dxDBGrid1Category/GroupIndex"), QStringLiteral("0"));
        ScriptedPrompt prompt;
        auto window = started(prompt);
        QVERIFY(!window->pnlGroup->isVisible());
        QVERIFY(!window->action(QStringLiteral("mkShowGroupPanel"))->isVisible());
        QCOMPARE(window->core().listModel().maxPages(), (2000 + 255) / 256);
        QCOMPARE(window->groupedColumn(), -1);
        QVERIFY(window->dxDBGrid1->isVisible());
    }

    void outlookCommandsHideAndShow() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        auto *check = window->findChild<QPushButton *>(QStringLiteral("btngetoutlook"));
        window->showOutlookCommands(false);
        QVERIFY(!check->isVisible());
        QVERIFY(!window->action(QStringLiteral("mkScanOutlookFolders"))->isVisible());
        QVERIFY(window->action(QStringLiteral("mkScanFileFolders"))->isVisible());
        window->showOutlookCommands(true);
        QVERIFY(check->isVisible());
        QVERIFY(window->action(QStringLiteral("mkCheckOutlook"))->isVisible());
    }

    // A menu command whose failure escapes it ends in the error box; the window stays and still saves what
    // it keeps when it closes.
    void failedOptimizeEndsInTheErrorBox() {
        HookedPrompt prompt;
        auto window = started(prompt);
        prompt.onProgress = [this](const QString &shown) {
            if (shown == QLatin1String("100|Optimizing Database")) {
                QVERIFY(QDir(m_appDir).rename(QStringLiteral("mailist.DAT"), QStringLiteral("mailist.old")));
                QVERIFY(QDir(m_appDir).mkdir(QStringLiteral("mailist.DAT")));
            }
        };
        prompt.answer(UserPrompt::Ok);
        prompt.shown.clear();
        window->action(QStringLiteral("mkOptimise"))->trigger();
        QVERIFY(prompt.allAnswersUsed());
        QCOMPARE(prompt.shown.last().kind, UserPrompt::Kind::Error);
        QVERIFY(window->isVisible());
        window->core().errorsList().AddToErrorsList(ErrorsList::Add, QStringLiteral("a@x.org"));
        QVERIFY(window->close());
        QVERIFY(QFileInfo::exists(m_appDir + QStringLiteral("errors.txt")));
    }

    // Print and Optimize say in the status line that they are done, and only when they ran to the end.
    void doneNoticeOnlyAfterFinishedRun_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("notice");
        QTest::newRow("printed") << "mkPrint"
                                 << "printed" << true;
        QTest::newRow("print dialog cancelled") << "mkPrint"
                                                << "declined" << false;
        QTest::newRow("printing cancelled") << "mkPrint"
                                            << "cancelled" << false;
        QTest::newRow("optimized") << "mkOptimise"
                                   << "ok" << true;
        QTest::newRow("optimize cancelled") << "mkOptimise"
                                            << "cancel" << false;
    }
    void doneNoticeOnlyAfterFinishedRun() {
        QFETCH(QString, command);
        QFETCH(QString, ending);
        QFETCH(bool, notice);
        ScriptedPrompt prompt;
        auto window = started(prompt);
        SqliteTable &table = window->core().dataModule()->tblML();
        for (int i = 0; i < 300; ++i) {
            table.appendRecord({QStringLiteral("m%1@x.org").arg(i), QStringLiteral("News"), 0});
        }
        window->statusBar()->clearMessage();
        test::RecordingPrintTarget printer;
        printer.accept = ending != QLatin1String("declined");
        if (ending == QLatin1String("cancelled")) {
            prompt.cancelAfterProgressCalls = 5;
        }
        if (command == QLatin1String("mkOptimise")) {
            prompt.answer(ending == QLatin1String("ok") ? UserPrompt::Ok : UserPrompt::Cancel);
        } else {
            // OK in the print form, once it is shown.
            QTimer::singleShot(0, window.get(), [&printer] {
                auto *dialog = qobject_cast<ui::TdlgExport *>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                dialog->printTarget = &printer;
                dialog->btnokClick();
            });
        }
        window->action(command)->trigger();
        QVERIFY(prompt.allAnswersUsed());
        const QString done =
            command == QLatin1String("mkPrint") ? ui::Tfrmmain::printDoneText() : ui::Tfrmmain::optimizeDoneText();
        QCOMPARE(window->statusBar()->currentMessage(), notice ? done : QString());
        if (command == QLatin1String("mkPrint")) {
            QCOMPARE(printer.finished, notice ? 1 : 0);
        }
    }

    void placementIsKept() {
        {
            ScriptedPrompt prompt;
            auto window = started(prompt);
            window->setGeometry(40, 50, 640, 480);
            QVERIFY(window->close());
        }
        ScriptedPrompt prompt;
        auto window = started(prompt);
        QCOMPARE(window->normalGeometry().size(), QSize(640, 480));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

// The main window's grid as the person sees it: sort arrows that agree with the order, group rows across
// the grid, columns fitted to the width and hidden ones keeping theirs, the focus after a deletion, the
// in-line address check, and the commands and caption without a database.
#include "ScriptedPrompt.h"
#include "app/ui/GridLayoutStore.h"
#include "app/ui/Tfrmmain.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"
#include "settings/Settings.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace corvane;

class TestMainGrid : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_appDir;

    std::unique_ptr<ui::Tfrmmain> started(ScriptedPrompt &prompt, bool createDatabase = true) {
        auto window = std::make_unique<ui::Tfrmmain>(prompt);
        window->core().FormCreate({});
        if (!QFileInfo::exists(m_appDir + QStringLiteral("mailist.DAT"))) {
            prompt.answer(createDatabase ? UserPrompt::Yes : UserPrompt::No);
            if (!createDatabase) {
                prompt.answerDirectory(QString());
            }
        }
        window->core().createDataModule();
        window->show();
        window->firstShow();
        return window;
    }

    static void addEntries(ui::Tfrmmain &window, int count) {
        SqliteTable &table = window.core().dataModule()->tblML();
        for (int i = 0; i < count; ++i) {
            table.appendRecord(
                {QStringLiteral("m%1@x.org").arg(i, 3, 10, QLatin1Char('0')), QStringLiteral("News"), 0});
        }
        window.core().UpdateDisplay();
    }

    static void clickHeader(QHeaderView *header, int logical) {
        const int x = header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
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

    // The arrow shows where the list is ordered, always ascending, and stays put when a click orders nothing.
    void sortArrowFollowsTheOrder_data() {
        QTest::addColumn<bool>("limited");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("arrowColumn"); // -1: no arrow
        QTest::addColumn<int>("beeps");
        QTest::addColumn<bool>("menuFirst"); // "List Category" chosen in View, "Sorting" before the clicks
        QTest::newRow("not limited, click does nothing") << false << 1 << 1 << -1 << 0 << false;
        QTest::newRow("not limited, two clicks") << false << 2 << 2 << -1 << 0 << false;
        QTest::newRow("not limited, click on the sorted column") << false << 1 << 1 << 1 << 0 << true;
        QTest::newRow("not limited, click elsewhere") << false << 0 << 3 << 1 << 0 << true;
        QTest::newRow("limited, category") << true << 1 << 1 << 1 << 0 << false;
        QTest::newRow("limited, address marked at start, once") << true << 0 << 1 << -1 << 0 << false;
        QTest::newRow("limited, address twice") << true << 0 << 2 << 0 << 0 << false;
        QTest::newRow("limited, comments beeps") << true << 3 << 1 << 0 << 1 << false;
    }
    void sortArrowFollowsTheOrder() {
        QFETCH(bool, limited);
        QFETCH(int, column);
        QFETCH(int, clicks);
        QFETCH(int, arrowColumn);
        QFETCH(int, beeps);
        QFETCH(bool, menuFirst);
        AppPaths::openSettings()->setValue(QStringLiteral("LimitDBCache"), limited ? "true" : "False");
        ScriptedPrompt prompt;
        auto window = started(prompt);
        QHeaderView *header = window->dxDBGrid1->horizontalHeader();
        if (menuFirst) {
            window->core().listView().sortMenuChoice(ListView::CategoryColumn, false);
        }
        for (int i = 0; i < clicks; ++i) {
            clickHeader(header, column);
        }
        QCOMPARE(prompt.beeps, beeps);
        QCOMPARE(header->isSortIndicatorShown(), arrowColumn >= 0);
        if (arrowColumn >= 0) {
            QCOMPARE(header->sortIndicatorSection(), arrowColumn);
            QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
            QVERIFY(window->core().listView().sortMark(arrowColumn) != 0);
        }
    }

    void groupRowsSpanTheGrid() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        SqliteTable &table = window->core().dataModule()->tblML();
        for (const char *category : {"news", "sports", "tech"}) {
            table.appendRecord({QStringLiteral("a@x.org"), QString::fromLatin1(category), 0});
        }
        window->groupByColumn(1);
        QTreeView *tree = window->tvGrouped;
        QCOMPARE(tree->model()->rowCount(), 3);
        for (int row = 0; row < 3; ++row) {
            QVERIFY(tree->isFirstColumnSpanned(row, QModelIndex()));
        }
        table.appendRecord({QStringLiteral("b@x.org"), QStringLiteral("zoo"), 0});
        window->core().UpdateDisplay();
        window->groupByColumn(1);
        QCOMPARE(tree->model()->rowCount(), 4);
        QVERIFY(tree->isFirstColumnSpanned(3, QModelIndex()));
    }

    void columnsFitTheWidth_data() {
        QTest::addColumn<int>("width");
        QTest::newRow("narrow") << 520;
        QTest::newRow("default") << 760;
        QTest::newRow("wide") << 1400;
    }
    void columnsFitTheWidth() {
        QFETCH(int, width);
        ScriptedPrompt prompt;
        auto window = started(prompt);
        window->resize(width, 520);
        QApplication::processEvents();
        QHeaderView *header = window->dxDBGrid1->horizontalHeader();
        int total = 0;
        for (int logical = 0; logical < header->count(); ++logical) {
            if (!header->isSectionHidden(logical)) {
                QVERIFY2(header->sectionSize(logical) >= header->sectionSizeHint(logical),
                         qPrintable(QString::number(logical)));
                total += header->sectionSize(logical);
            }
        }
        const int available = window->dxDBGrid1->viewport()->width();
        QVERIFY(total >= available);
        // Only when even the captions do not fit may the columns be wider than the grid.
        QVERIFY(total == available || header->sectionSize(0) == header->sectionSizeHint(0));
    }

    void hiddenColumnKeepsItsWidth_data() {
        QTest::addColumn<int>("column");
        QTest::newRow("comments, hidden by hand") << 3;
        QTest::newRow("full name, hidden at start") << 4;
    }
    void hiddenColumnKeepsItsWidth() {
        QFETCH(int, column);
        const QString name = ui::GridLayoutStore::columnNames().at(column);
        int before = 0;
        {
            ScriptedPrompt prompt;
            auto window = started(prompt);
            QHeaderView *header = window->dxDBGrid1->horizontalHeader();
            header->setSectionHidden(column, false);
            header->resizeSection(column, 123);
            before = header->sectionSize(column);
            header->setSectionHidden(column, true);
            QVERIFY(window->close());
        }
        const auto settings = AppPaths::openSettings();
        QCOMPARE(settings->value(name + QStringLiteral("/Visible")).toString(), QStringLiteral("0"));
        QCOMPARE(settings->value(name + QStringLiteral("/Width")).toString(), QString::number(before));
    }

    // After a block of rows is deleted the focus lands on the entry that followed the block.
    void deletingABlockKeepsTheFollowingEntry_data() {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("focusLast"); // the focus on the block's last row (selected upwards)
        QTest::addColumn<QString>("focused");
        QTest::newRow("twelve from the top") << 0 << 12 << false << "m012@x.org";
        QTest::newRow("twelve in the middle") << 5 << 12 << false << "m017@x.org";
        QTest::newRow("twelve, selected upwards") << 5 << 12 << true << "m017@x.org";
        QTest::newRow("up to the end") << 15 << 5 << false << "m014@x.org";
        QTest::newRow("one row") << 3 << 1 << false << "m004@x.org";
    }
    void deletingABlockKeepsTheFollowingEntry() {
        QFETCH(int, first);
        QFETCH(int, count);
        QFETCH(bool, focusLast);
        QFETCH(QString, focused);
        ScriptedPrompt prompt;
        auto window = started(prompt);
        addEntries(*window, 20);
        QTableView *grid = window->dxDBGrid1;
        grid->setCurrentIndex(grid->model()->index(focusLast ? first + count - 1 : first, 0));
        grid->selectionModel()->select(
            QItemSelection(grid->model()->index(first, 0), grid->model()->index(first + count - 1, 0)),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QCOMPARE(window->selectedKeys().size(), count);
        prompt.answer(UserPrompt::Yes);
        window->action(QStringLiteral("mkDelete"))->trigger();
        QCOMPARE(grid->model()->rowCount(), 20 - count);
        QCOMPARE(grid->model()->data(grid->model()->index(grid->currentIndex().row(), 0)).toString(), focused);
    }

    void inlineAddressEditIsChecked_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("message");
        QTest::newRow("not an address") << "hello" << false
                                        << "The e-mail address, hello, does not appear to be valid.";
        QTest::newRow("control character")
            << "a\x01@x.org" << false << "The request holds control characters and was refused!";
        QTest::newRow("valid") << "new@y.org" << true << "";
    }
    void inlineAddressEditIsChecked() {
        QFETCH(QString, typed);
        QFETCH(bool, taken);
        QFETCH(QString, message);
        ScriptedPrompt prompt;
        auto window = started(prompt);
        addEntries(*window, 1);
        window->action(QStringLiteral("mkAllowEditing"))->trigger();
        QAbstractItemModel *model = window->dxDBGrid1->model();
        const int shownBefore = prompt.shown.size();
        QCOMPARE(model->setData(model->index(0, 0), typed), taken);
        QCOMPARE(model->data(model->index(0, 0)).toString(), taken ? typed : QStringLiteral("m000@x.org"));
        if (taken) {
            QCOMPARE(prompt.shown.size(), shownBefore);
        } else {
            QCOMPARE(prompt.shown.size(), shownBefore + 1);
            QCOMPARE(prompt.shown.last().text, message);
        }
    }

    void listCommandsNeedADatabase_data() {
        QTest::addColumn<bool>("database");
        QTest::newRow("no database") << false;
        QTest::newRow("database open") << true;
    }
    void listCommandsNeedADatabase() {
        QFETCH(bool, database);
        ScriptedPrompt prompt;
        auto window = started(prompt, database);
        QCOMPARE(window->core().databaseOpen(), database);
        QCOMPARE(window->windowTitle().endsWith(corvane::Tfrmmain::noDatabaseCaption()), !database);
        for (const char *name : {"mkPrint", "mkExport", "mkBackUp"}) {
            QVERIFY2(window->action(QString::fromLatin1(name))->isEnabled() == database, name);
        }
        QCOMPARE(window->findChild<QPushButton *>(QStringLiteral("btnprint"))->isEnabled(), database);
    }

    // The periodic scan waits for Corvane's own dialogs, not for other programs in front of it.
    void scanWaitsOnlyForOwnDialogs() {
        ScriptedPrompt prompt;
        auto window = started(prompt);
        QVERIFY(window->core().isMainWindowActive());
        QDialog dialog(window.get());
        bool duringDialog = true;
        QTimer::singleShot(0, &dialog, [&] {
            duringDialog = window->core().isMainWindowActive();
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(!duringDialog);
        QVERIFY(window->core().isMainWindowActive());
    }

    void aboutBoxNamesTheProgramAsTheCaption() {
        QApplication::setApplicationVersion(QStringLiteral("3.4.5"));
        ScriptedPrompt prompt;
        auto window = started(prompt);
        const QString about = ui::Tfrmmain::aboutText();
        const QString name = window->windowTitle().section(QStringLiteral("  "), 0, 0);
        QVERIFY2(about.startsWith(name + QStringLiteral(" 3.4.5")), qPrintable(about + QStringLiteral(" / ") + name));
    }
};

QTEST_MAIN(TestMainGrid)
#include "tst_maingrid.moc"

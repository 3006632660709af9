// The statistics window on the offscreen platform over a real statistics table: the window and its grid,
// the cell editors, editing through them into the table, the footer and the chart, inserting and deleting
// days, the exports and the modal showing.
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/StatisticsModel.h"
#include "db/TdmML.h"
#include "db/ui/TdlgStats.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace corvane;
using corvane::ui::TdlgStats;

class TestTdlgStats : public QObject {
    Q_OBJECT

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<QTemporaryDir> m_db;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<TdmML> m_dm;

    // The stored row of `date` as "subscribes|unsubscribes|bounces|notes", or an empty text.
    QString storedDay(const QDate &date) {
        SqliteTable &table = m_dm->tblStats();
        if (!table.locate(QStringLiteral("Date"), date, false)) {
            return QString();
        }
        return QStringList{QString::number(table.integer(QStringLiteral("Subscribes"))),
                           QString::number(table.integer(QStringLiteral("Unsubscribes"))),
                           QString::number(table.integer(QStringLiteral("Bounces"))),
                           table.text(QStringLiteral("Notes"))}
            .join(QLatin1Char('|'));
    }

    static QString footer(const TdlgStats &dialog) {
        return QStringList{dialog.lblTotalSubscribes->text(), dialog.lblTotalUnsubscribes->text(),
                           dialog.lblTotalBounces->text()}
            .join(QLatin1Char('|'));
    }

    static QList<qreal> ys(const QLineSeries *series) {
        QList<qreal> values;
        for (const QPointF &point : series->points()) {
            values.append(point.y());
        }
        return values;
    }

    // Opens the editor of `cell` and returns it.
    static QWidget *openEditor(TdlgStats &dialog, const QModelIndex &cell) {
        dialog.grdStats->setCurrentIndex(cell);
        dialog.grdStats->edit(cell);
        return dialog.grdStats->indexWidget(cell);
    }

private slots:
    void initTestCase() { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path()); }
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        m_db = std::make_unique<QTemporaryDir>();
        AppPaths::setApplicationDirectory(m_home->path());
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_dm = std::make_unique<TdmML>(*m_prompt);
        m_prompt->answer(UserPrompt::Yes);
        m_dm->OpenDatabase(m_db->path());
        QVERIFY(m_dm->DatabaseLoaded());
        SqliteTable &table = m_dm->tblStats();
        table.appendRecord({QDate(2024, 3, 15), 5, 1, 0, QStringLiteral("newsletter <b>&</b>")});
        table.appendRecord({QDate(2023, 12, 31), 2, 0, 7});
        table.appendRecord({QDate(2024, 1, 2), 0, 3, 1});
    }
    void cleanup() {
        QVERIFY(m_prompt->allAnswersUsed());
        m_dm.reset();
        m_prompt.reset();
        AppPaths::setApplicationDirectory(QString());
    }

    void windowGridAndFooter() {
        TdlgStats dialog(*m_prompt, m_dm->tblStats());
        QVERIFY(dialog.FormShow());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Mailing List Statistics"));
        QVERIFY(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(dialog.isSizeGripEnabled());
        QCOMPARE(dialog.btnexportxls->text(), QStringLiteral("Export to XLS..."));
        QCOMPARE(dialog.btnexporthtml->text(), QStringLiteral("Export to HTML..."));
        QCOMPARE(dialog.btnclose->text(), QStringLiteral("Close"));

        QTableView *grid = dialog.grdStats;
        QHeaderView *header = grid->horizontalHeader();
        QStringList headings;
        for (int column = 0; column < grid->model()->columnCount(); ++column) {
            headings.append(grid->model()->headerData(column, Qt::Horizontal).toString());
        }
        QCOMPARE(headings, (QStringList{"Date", "Subscribes", "Unsubscribes", "Bounces", "Notes"}));
        for (int column = StatisticsModel::DateColumn; column <= StatisticsModel::BouncesColumn; ++column) {
            QCOMPARE(header->sectionSize(column), TdlgStats::kColumnWidth);
        }
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(grid->model()->index(0, 0).data().toDate(), QDate(2023, 12, 31));
        QCOMPARE(footer(dialog), QStringLiteral("7|4|8"));

        // Each total stands under its own column, also after the columns were widened.
        header->resizeSection(StatisticsModel::SubscribesColumn, 180);
        const QList<std::pair<QLabel *, int>> totals{{dialog.lblTotalSubscribes, StatisticsModel::SubscribesColumn},
                                                     {dialog.lblTotalUnsubscribes, StatisticsModel::UnsubscribesColumn},
                                                     {dialog.lblTotalBounces, StatisticsModel::BouncesColumn}};
        for (const auto &[label, column] : totals) {
            const int centre = label->mapToGlobal(label->rect().center()).x();
            const int sectionLeft = header->mapToGlobal(QPoint(header->sectionViewportPosition(column), 0)).x();
            QVERIFY2(centre > sectionLeft && centre < sectionLeft + header->sectionSize(column),
                     qPrintable(label->objectName()));
        }
    }

    void cellEditors() {
        TdlgStats dialog(*m_prompt, m_dm->tblStats());
        QVERIFY(dialog.FormShow());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QAbstractItemModel *model = dialog.grdStats->model();

        QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
        QCOMPARE(openEditor(dialog, model->index(0, StatisticsModel::DateColumn)), nullptr);
        for (int column = StatisticsModel::SubscribesColumn; column <= StatisticsModel::BouncesColumn; ++column) {
            auto *spin = qobject_cast<QSpinBox *>(openEditor(dialog, model->index(0, column)));
            QVERIFY(spin != nullptr);
            QCOMPARE(spin->minimum(), 0);
            QCOMPARE(spin->maximum(), 2147483647);
        }
        auto *notes = qobject_cast<QPlainTextEdit *>(openEditor(dialog, model->index(0, StatisticsModel::NotesColumn)));
        QVERIFY(notes != nullptr);
        QVERIFY(notes->height() > dialog.grdStats->rowHeight(0));
    }

    void editingReachesTableFooterAndChart() {
        TdlgStats dialog(*m_prompt, m_dm->tblStats());
        QVERIFY(dialog.FormShow());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QAbstractItemModel *model = dialog.grdStats->model();

        auto *spin = qobject_cast<QSpinBox *>(openEditor(dialog, model->index(1, StatisticsModel::BouncesColumn)));
        QVERIFY(spin != nullptr);
        spin->selectAll();
        QTest::keyClicks(spin, QStringLiteral("40"));
        QTest::keyClick(spin, Qt::Key_Return); // commits once control is back in the event loop
        QTRY_COMPARE(storedDay(QDate(2024, 1, 2)), QStringLiteral("0|3|40|"));
        QCOMPARE(footer(dialog), QStringLiteral("7|4|47"));
        QCOMPARE(ys(dialog.serBounces), (QList<qreal>{7, 40, 0}));
        QCOMPARE(ys(dialog.serSubscribes), (QList<qreal>{2, 0, 5}));

        auto *notes = qobject_cast<QPlainTextEdit *>(openEditor(dialog, model->index(1, StatisticsModel::NotesColumn)));
        QVERIFY(notes != nullptr);
        QTest::keyClicks(notes, QStringLiteral("scan"));
        QTest::keyClick(notes, Qt::Key_Return);
        QTest::keyClicks(notes, QStringLiteral("missed") + QString(250, QLatin1Char('x')));
        QCOMPARE(notes->toPlainText().size(), StatisticsModel::kNotesWidth);
        QTest::keyClick(notes, Qt::Key_Tab);
        QCOMPARE(storedDay(QDate(2024, 1, 2)),
                 QStringLiteral("0|3|40|scan\nmissed") + QString(StatisticsModel::kNotesWidth - 11, QLatin1Char('x')));

        // Closing the window from its title bar keeps the value still in an open editor.
        spin = qobject_cast<QSpinBox *>(openEditor(dialog, model->index(2, StatisticsModel::SubscribesColumn)));
        QVERIFY(spin != nullptr);
        spin->setValue(6);
        dialog.close();
        QCOMPARE(storedDay(QDate(2024, 3, 15)), QStringLiteral("6|1|0|newsletter <b>&</b>"));
    }

    void insertAndDeleteDays() {
        TdlgStats dialog(*m_prompt, m_dm->tblStats());
        QVERIFY(dialog.FormShow());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QAbstractItemModel *model = dialog.grdStats->model();

        const QDate today = QDate::currentDate();
        dialog.actInsert->trigger();
        dialog.actInsert->trigger();
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(storedDay(today), QStringLiteral("0|0|0|"));
        QCOMPARE(storedDay(today.addDays(1)), QStringLiteral("0|0|0|"));
        QCOMPARE(dialog.grdStats->currentIndex().data().toInt(), 0);
        QCOMPARE(dialog.grdStats->currentIndex().siblingAtColumn(0).data().toDate(), today.addDays(1));
        QCOMPARE(dialog.serBounces->count(), 5);

        dialog.grdStats->setCurrentIndex(model->index(0, StatisticsModel::BouncesColumn));
        m_prompt->answer(UserPrompt::No);
        dialog.actDelete->trigger();
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(storedDay(QDate(2023, 12, 31)), QStringLiteral("2|0|7|"));

        m_prompt->answer(UserPrompt::Yes);
        dialog.actDelete->trigger();
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(storedDay(QDate(2023, 12, 31)), QString());
        QCOMPARE(footer(dialog), QStringLiteral("5|4|1"));
        QCOMPARE(ys(dialog.serBounces), (QList<qreal>{1, 0, 0, 0}));
        QCOMPARE(m_prompt->shown.last().text, QStringLiteral("Delete this record?"));

        dialog.grdStats->setCurrentIndex(QModelIndex());
        dialog.actDelete->trigger();
        QCOMPARE(m_prompt->beeps, 1);
        QCOMPARE(model->rowCount(), 4);
    }

    void exports_data() {
        QTest::addColumn<bool>("worksheet");
        QTest::newRow("worksheet") << true;
        QTest::newRow("HTML page") << false;
    }
    void exports() {
        QFETCH(bool, worksheet);
        TdlgStats dialog(*m_prompt, m_dm->tblStats());
        QVERIFY(dialog.FormShow());
        QTemporaryDir out;
        const QString path = out.filePath(worksheet ? QStringLiteral("stats.xls") : QStringLiteral("stats.html"));
        QList<GridFileExport::Format> asked;
        QString answer = path;
        dialog.chooseExportFile = [&](GridFileExport::Format format) {
            asked.append(format);
            return answer;
        };
        QPushButton *button = worksheet ? dialog.btnexportxls : dialog.btnexporthtml;
        const GridFileExport::Format format =
            worksheet ? GridFileExport::Format::Worksheet : GridFileExport::Format::Html;

        button->click();
        QCOMPARE(asked, QList<GridFileExport::Format>{format});
        QCOMPARE(m_prompt->busyDepth, 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        if (worksheet) {
            QVERIFY(content.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")));
        } else {
            for (const char *expected :
                 {"<th>Date</th><th>Subscribes</th><th>Unsubscribes</th><th>Bounces</th><th>Notes</th>",
                  "<td>2023-12-31</td><td align=\"right\">2</td><td align=\"right\">0</td><td align=\"right\">7</td>",
                  "newsletter &lt;b&gt;&amp;&lt;/b&gt;"}) {
                QVERIFY2(content.contains(expected), expected);
            }
            QVERIFY(content.indexOf("2023-12-31") < content.indexOf("2024-01-02"));
            QVERIFY(content.indexOf("2024-01-02") < content.indexOf("2024-03-15"));
        }
        const qsizetype shown = m_prompt->shown.size();

        // Cancelling the file choice ends the command quietly.
        answer.clear();
        button->click();
        QCOMPARE(m_prompt->shown.size(), shown);

        // A file that cannot be written.
        answer = out.filePath(QStringLiteral("missing/dir/stats"));
        button->click();
        QCOMPARE(m_prompt->shown.size(), shown + 1);
        QCOMPARE(m_prompt->shown.last().kind, UserPrompt::Kind::Warning);
        QCOMPARE(m_prompt->shown.last().text, QStringLiteral("An error was encountered saving your file."));
        QCOMPARE(m_prompt->busyDepth, 0);

        // Without a replacement the button asks with the save dialog of its kind; cancelling writes nothing.
        dialog.chooseExportFile = nullptr;
        QStringList filters;
        QTimer::singleShot(0, [&filters] {
            if (auto *files = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                filters = files->nameFilters();
                files->reject();
            }
        });
        button->click();
        QCOMPARE(filters, QStringList{worksheet ? QStringLiteral("Microsoft Excel Worksheet (*.xls)")
                                                : QStringLiteral("HTML File (*.htm *.html)")});
        QCOMPARE(m_prompt->shown.size(), shown + 1);
    }

    void executeShowsTheWindowModallyCentred() {
        QString title;
        QPoint centre;
        bool modal = false;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<TdlgStats *>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            title = dialog->windowTitle();
            modal = dialog->isModal();
            centre = dialog->frameGeometry().center();
            QCOMPARE(dialog->grdStats->model()->rowCount(), 3);
            dialog->btnclose->click();
        });
        TdlgStats::Execute(*m_prompt, m_dm->tblStats(), nullptr);
        QCOMPARE(title, QStringLiteral("Mailing List Statistics"));
        QVERIFY(modal);
        const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2((centre - screenCentre).manhattanLength() < 20,
                 qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
    }
};

QTEST_MAIN(TestTdlgStats)
#include "tst_tdlgstats.moc"

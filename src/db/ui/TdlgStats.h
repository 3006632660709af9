// The "Mailing List Statistics" window: the daily counts of tblStats in an editable grid with a footer of
// totals, a line chart of the three counts over time that follows the grid, inserting and deleting days,
// and the buttons that export the grid as a worksheet or an HTML page.
#pragma once

#include "listio/GridFileExport.h"

#include <QDialog>
#include <functional>

class QAction;
class QLabel;
class QPushButton;
class QTableView;
class QWidget;

class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace corvane {
class SqliteTable;
class StatisticsModel;
class UserPrompt;
} // namespace corvane

namespace corvane::ui {

class TdlgStats : public QDialog {
    Q_OBJECT

public:
    static constexpr int kColumnWidth = 100;

    TdlgStats(UserPrompt &prompt, SqliteTable &tblStats, QWidget *parent = nullptr);

    // The "Display Statistics..." command: creates the window over `tblStats`, reads the days, shows the
    // window modally, centred on the screen, and frees it. When the days cannot be read the reason is shown
    // as a warning and the window is not shown.
    static void Execute(UserPrompt &prompt, SqliteTable &tblStats, QWidget *parent);

    // Reads every day of the table into the grid, the footer and the chart. False, after a warning through
    // the prompt, when the table cannot be read.
    bool FormShow();

    // Adds a new day (today, or the first later day without a row), selects it and opens its Subscribes
    // cell for editing.
    void InsertClick();
    // Deletes the selected day after the question; beeps when no day is selected.
    void DeleteClick();
    // "Export to XLS..." and "Export to HTML...": ask for a file name (cancelling ends the command) and write
    // the grid's five columns and every day there. A failure to write is shown as "An error was encountered
    // saving your file." (warning).
    void btnexportxlsClick();
    void btnexporthtmlClick();

    // When set, gives the name of the file to export to in `format` (an empty text cancels) instead of the
    // save dialog. For tests.
    std::function<QString(GridFileExport::Format format)> chooseExportFile;

    StatisticsModel *model() const { return m_model; }

    QTableView *grdStats = nullptr;
    QLabel *lblTotalSubscribes = nullptr;
    QLabel *lblTotalUnsubscribes = nullptr;
    QLabel *lblTotalBounces = nullptr;
    QChartView *chtStats = nullptr;
    QLineSeries *serSubscribes = nullptr;
    QLineSeries *serUnsubscribes = nullptr;
    QLineSeries *serBounces = nullptr;
    QPushButton *btnexportxls = nullptr;
    QPushButton *btnexporthtml = nullptr;
    QPushButton *btnclose = nullptr;
    QAction *actInsert = nullptr;
    QAction *actDelete = nullptr;

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createFooter();
    QChartView *createChart();
    void UpdateTotals();
    void UpdateChart();
    void layoutFooter();
    void centreOnScreen();
    // Hands the value of the grid's open cell editor, if any, to the model, which posts it.
    void commitOpenEditor();
    void exportGrid(GridFileExport::Format format);

    UserPrompt &m_prompt;
    StatisticsModel *m_model = nullptr;
    QWidget *m_footer = nullptr;
    QLabel *m_totalCaption = nullptr;
    QDateTimeAxis *m_axisDates = nullptr;
    QValueAxis *m_axisCounts = nullptr;
};

} // namespace corvane::ui

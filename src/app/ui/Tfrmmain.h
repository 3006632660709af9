// The main window: the right-hand buttons, the "Mailing List" group with its filter panel, grid and count
// line, and the main menu. Behaviour lives in corvane::Tfrmmain; this class shows it and forwards events.
#pragma once

#include "app/GroupedListModel.h"
#include "app/Tfrmmain.h"
#include "base/UserPrompt.h"
#include "requests/SenderMethodAsker.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QDialog;
class QListWidget;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableView;
class QTreeView;
class QFrame;

namespace corvane::ui {

class Tdlgerrors;
class Tdlgoptions;

class Tfrmmain : public QMainWindow {
    Q_OBJECT

public:
    Tfrmmain(UserPrompt &prompt, QWidget *parent = nullptr);
    ~Tfrmmain() override;

    corvane::Tfrmmain &core() { return m_core; }

    // Runs the first-showing work once, after the window is on screen.
    void firstShow();
    // Restores and raises the window (a second copy of the program was started).
    void bringToFront();

    // The status-line notices after a completed export, printout and optimization, shown for kNoticeMs.
    static QString exportDoneText() { return QStringLiteral("The mailing list entries have been exported."); }
    static QString printDoneText() { return QStringLiteral("The mailing list has been sent to the printer."); }
    static QString optimizeDoneText() { return QStringLiteral("The database has been optimized."); }
    static constexpr int kNoticeMs = 15000;
    // Help, "About Corvane...": the program's name as the caption gives it, and its version.
    static QString aboutText();

    // Every menu item by object name, for tests and for later commands.
    QAction *action(const QString &objectName) const;

    // View, "Display Log...": the log viewer, or the question whether to switch logging on.
    void mkDisplayLogClick();
    // Shows or hides the commands that work with the mail program's folders ("Check for New Entries",
    // "Scan Outlook Folders" and their menu items), as the choice of mail program in the advanced settings
    // asks. The choice is not stored: every start shows them.
    void showOutlookCommands(bool visible);
    // View, "Display Statistics...": the daily statistics window.
    void mkDisplayStatsClick();
    // Edit, "Allow In-line Editing": applies the menu item's tick to the grid.
    void mkAllowEditingClick();
    // View, "Column Selector...": shows or hides the box of hidden columns.
    void mkColumnSelectorClick();
    // Selects and shows the grid row `row` (Ctrl+Home, Ctrl+End).
    void goToRow(int row);
    // The Index of every selected entry, in selection order, and of the focused entry (-1 for none).
    QList<int> selectedKeys();
    int focusedKey();
    QMenu *mkReopen = nullptr;
    // The "Errors" window, made with the data module and kept for the run (null before).
    Tdlgerrors *errorsWindow() const { return m_errorsWindow; }
    // The "Options" dialog, made with the data module and kept for the run (null before).
    Tdlgoptions *optionsDialog() const { return m_options; }
    // File, "Options..." and the "Options.." button: the options dialog inside the modal-window preparation,
    // then the periodic scan is armed again.
    void Options1Click();

    QRadioButton *rdball = nullptr;
    QRadioButton *rdbfilter = nullptr;
    QRadioButton *rdbnotfilter = nullptr;
    QLineEdit *edtfilter = nullptr;
    QLineEdit *edtnotfilter = nullptr;
    QTableView *dxDBGrid1 = nullptr;
    QLabel *lblcount = nullptr;
    // The grouping panel and the grouped view shown instead of the grid while a column is grouped.
    QFrame *pnlGroup = nullptr;
    QLabel *lblGroup = nullptr;
    QPushButton *btnUngroup = nullptr;
    QTreeView *tvGrouped = nullptr;

    // Groups the list by grid column `column` (-1 ungroups). Ignored while record caching is limited.
    void groupByColumn(int column);
    int groupedColumn() const { return m_grouped.groupColumn(); }
    // View, "Show Grouping Panel".
    void mkShowGroupPanelClick();
    // Applies "Limit caching of database records to:": with it on the grouping panel and its menu item are
    // hidden and grouping is removed.
    void SetLoadAllRecords();
    // Print, Export and Back Up work only on an open list table: enabled while one is open.
    void enableDatabaseCommands();

    // Fits the visible columns to the grid's width, keeping their proportions, none narrower than its
    // caption (done again whenever the grid is resized or a column is shown or hidden).
    void fitColumns();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A handler that runs `command` through the core's command guard, so that its failure ends in the
    // error box and the program runs on. Every menu item, button and key of the window is connected
    // through it.
    std::function<void()> guarded(std::function<void()> command);
    void buildButtons(QWidget *column);
    void buildListGroup(QWidget *group);
    void buildMenus();
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &shortcut = {});
    void UpdateRecentList(const QStringList &directories);
    void connectListView();
    void connectMaintenance();
    void connectScanCommand();
    void connectHelp();
    // "Send E-Mail to List" and "Send E-mail to Mailing List...".
    void connectSendCommand();
    void btnsendClick();
    void rowPopup(const QPoint &position);
    // Before a maintenance command: notes the focused row and, by key value, the entries to focus
    // afterwards. After it: focuses the first noted entry still shown near the noted position, else the row
    // at that position.
    void noteFocus();
    void restoreFocus();
    void showSortMarks();
    void sortingMenuAboutToShow();
    void headerPopup(const QPoint &position);
    void refreshColumnSelector();
    void loadPlacement();
    void savePlacement();

    UserPrompt &m_prompt;
    corvane::Tfrmmain m_core;
    std::unique_ptr<SenderMethodAsker> m_senderMethodAsker;
    GroupedListModel m_grouped;
    QDialog *m_columnSelector = nullptr;
    Tdlgerrors *m_errorsWindow = nullptr;
    Tdlgoptions *m_options = nullptr;
    int m_focusRow = 0;
    QList<int> m_focusKeys;
    int m_focusSpan = 0;
    QListWidget *m_hiddenColumns = nullptr;
    bool m_shown = false;
    bool m_destroyed = false;
};

} // namespace corvane::ui

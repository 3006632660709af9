// The main window's widgets, menus and event forwarding.
#include "app/ui/Tfrmmain.h"

#include "base/AppPaths.h"
#include "db/TdmML.h"
#include "db/ui/TdlgStats.h"
#include "listio/ui/TdlgExport.h"
#include "listio/ui/TdlgImport.h"
#include "requests/ActivityLog.h"
#include "requests/ui/TdlgSenderMethod.h"
#include "requests/ui/Tdlglog.h"
#include "requests/ui/TfrmExtractentries.h"
#include "send/ui/TdlgSendMail.h"
#include "settings/HelpTopics.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "settings/ui/HelpWindow.h"
#include "settings/ui/HintWrapper.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
struct GridColumn {
    const char *name;
    const char *caption;
    int width;
    bool visible;
};
constexpr GridColumn kColumns[] = {
    {"dxDBGrid1Item", "E-mail", 142, true},         {"dxDBGrid1Category", "List Category", 87, true},
    {"dxDBGrid1Bounces", "Bounce Count", 56, true}, {"dxDBGrid1Comments", "Comments", 88, true},
    {"dxDBGrid1Name", "Full Name", 60, false},      {"dxDBGrid1Salutation", "First Name", 40, false},
    {"dxDBGrid1SendRights", "Can Send", 16, false},
};

const QString kFilterHint = QStringLiteral("Enter the category to filter entries by, to filter by multiple categories "
                                           "separate entries with a comma, e.g. mylist1,mylist2");
} // namespace

Tfrmmain::Tfrmmain(UserPrompt &prompt, QWidget *parent) : QMainWindow(parent), m_prompt(prompt), m_core(prompt) {
    setObjectName(QStringLiteral("frmmain"));
    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    auto *group = new QGroupBox(QStringLiteral("Mailing List"), central);
    buildListGroup(group);
    auto *buttons = new QWidget(central);
    buildButtons(buttons);
    row->addWidget(group, 1);
    row->addWidget(buttons);
    setCentralWidget(central);
    buildMenus();
    connectListView();
    connect(&m_core, &corvane::Tfrmmain::dataModuleCreated, this, guarded([this] { connectMaintenance(); }));

    connect(&m_core, &corvane::Tfrmmain::captionChanged, this, [this](const QString &caption) {
        setWindowTitle(caption);
        enableDatabaseCommands();
    });
    connect(&m_core, &corvane::Tfrmmain::countTextChanged, lblcount, &QLabel::setText);
    connect(&m_core, &corvane::Tfrmmain::recentDatabasesChanged, this, &Tfrmmain::UpdateRecentList);
    // A background scan waits only for Corvane's own dialogs, never for other programs in front.
    m_core.isMainWindowActive = [] { return QApplication::activeModalWidget() == nullptr; };
    m_senderMethodAsker = std::make_unique<DialogSenderMethodAsker>(this);
    m_core.senderMethodAsker = m_senderMethodAsker.get();
    m_core.showScanWindow = [this](corvane::TfrmExtractentries &scan, bool requests, bool memberPosts) {
        return TfrmExtractentries::run(scan, m_prompt, requests, memberPosts, this);
    };
    connectScanCommand();
    connectHelp();
    connectSendCommand();
    resize(760, 520);
    loadPlacement();
}

Tfrmmain::~Tfrmmain() {
    if (!m_destroyed) {
        m_destroyed = true;
        m_core.FormDestroy();
    }
}

void Tfrmmain::buildButtons(QWidget *column) {
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 8, 0, 0);
    struct ButtonInfo {
        const char *name;
        const char *caption;
        const char *hint;
    };
    const ButtonInfo top[] = {
        {"btngetoutlook", "Check for New Entries",
         "Opens Outlook and checks for new entries in the specified mailing list directory"},
        {"btnmanual", "Manually Enter Entries", "Allows you to manually enter addresses into your mailing list"},
        {"btnscanfolders", "Scan Outlook Folders",
         "Allows you to add extra e-mail addresses to your database by scanning the folders and contacts of your "
         "Outlook folders"},
        {"btnsend", "Send E-Mail to List", "Allows you to send a message to your mailing list"},
        {"btnprint", "Print List..", "Prints your mailing list"},
    };
    const ButtonInfo bottom[] = {
        {"btnoptions", "Options..", "Displays Corvane Options"},
        {"btnhelp", "&Help", ""},
        {"btnclose", "&Close", ""},
    };
    auto make = [&](const ButtonInfo &info) {
        auto *button = new QPushButton(QString::fromUtf8(info.caption), column);
        button->setObjectName(QString::fromUtf8(info.name));
        button->setToolTip(QString::fromUtf8(info.hint));
        button->setEnabled(false);
        layout->addWidget(button);
        return button;
    };
    for (const ButtonInfo &info : top) {
        make(info);
    }
    layout->addStretch(1);
    for (const ButtonInfo &info : bottom) {
        make(info);
    }
    auto *check = column->findChild<QPushButton *>(QStringLiteral("btngetoutlook"));
    check->setDefault(true);
    // "&Close" closes the main window, as the window's own close box does.
    auto *close = column->findChild<QPushButton *>(QStringLiteral("btnclose"));
    close->setEnabled(true);
    connect(close, &QPushButton::clicked, this, guarded([this] { this->close(); }));
}

std::function<void()> Tfrmmain::guarded(std::function<void()> command) {
    return [this, command = std::move(command)] { m_core.runCommand(command); };
}

void Tfrmmain::buildListGroup(QWidget *group) {
    auto *layout = new QVBoxLayout(group);
    auto *filters = new QGridLayout();
    rdball = new QRadioButton(QStringLiteral("Display All Entries"), group);
    rdball->setToolTip(QStringLiteral("Displays all the e-mail addresses in your mailing list"));
    rdball->setChecked(true);
    rdbfilter = new QRadioButton(QStringLiteral("Filter Entries with the List Category(s):"), group);
    rdbfilter->setToolTip(QStringLiteral("Limits the display to those of the category entered here"));
    rdbnotfilter = new QRadioButton(QStringLiteral("Filter Entries not containing:"), group);
    rdbnotfilter->setToolTip(
        QStringLiteral("Limits the display to those that do not contain the category entered here"));
    edtfilter = new QLineEdit(group);
    edtfilter->setObjectName(QStringLiteral("edtfilter"));
    edtfilter->setToolTip(kFilterHint);
    edtnotfilter = new QLineEdit(group);
    edtnotfilter->setObjectName(QStringLiteral("edtnotfilter"));
    edtnotfilter->setToolTip(kFilterHint);
    filters->addWidget(rdball, 0, 0, 1, 2);
    filters->addWidget(rdbfilter, 1, 0);
    filters->addWidget(edtfilter, 1, 1);
    filters->addWidget(rdbnotfilter, 2, 0);
    filters->addWidget(edtnotfilter, 2, 1);
    layout->addLayout(filters);

    // The grouping panel: the grouped column, or the hint how to group.
    pnlGroup = new QFrame(group);
    pnlGroup->setObjectName(QStringLiteral("pnlGroup"));
    pnlGroup->setFrameShape(QFrame::StyledPanel);
    auto *groupRow = new QHBoxLayout(pnlGroup);
    groupRow->setContentsMargins(6, 2, 6, 2);
    lblGroup = new QLabel(pnlGroup);
    btnUngroup = new QPushButton(QStringLiteral("Ungroup"), pnlGroup);
    groupRow->addWidget(lblGroup, 1);
    groupRow->addWidget(btnUngroup);
    layout->addWidget(pnlGroup);

    tvGrouped = new QTreeView(group);
    tvGrouped->setObjectName(QStringLiteral("tvGrouped"));
    tvGrouped->setModel(&m_grouped);
    tvGrouped->setUniformRowHeights(true);
    tvGrouped->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvGrouped->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvGrouped->hide();
    // A group row ("List Category : news (2 entries)") spans the whole width, not only the first column.
    const auto spanGroups = [this] {
        for (int row = 0; row < m_grouped.rowCount(); ++row) {
            tvGrouped->setFirstColumnSpanned(row, QModelIndex(), true);
        }
    };
    connect(&m_grouped, &QAbstractItemModel::modelReset, tvGrouped, spanGroups);
    connect(&m_grouped, &QAbstractItemModel::rowsInserted, tvGrouped, spanGroups);
    connect(&m_grouped, &QAbstractItemModel::layoutChanged, tvGrouped, spanGroups);
    layout->addWidget(tvGrouped, 1);

    dxDBGrid1 = new QTableView(group);
    dxDBGrid1->setObjectName(QStringLiteral("dxDBGrid1"));
    dxDBGrid1->setModel(&m_core.listModel());
    int c = 0;
    for (const GridColumn &column : kColumns) {
        dxDBGrid1->setColumnWidth(c, column.width);
        dxDBGrid1->setColumnHidden(c, !column.visible);
        ++c;
    }
    dxDBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    dxDBGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dxDBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dxDBGrid1->horizontalHeader()->setSectionsMovable(true);
    // The columns are fitted to the width (fitColumns()), not the spare width all given to the last one.
    dxDBGrid1->horizontalHeader()->setStretchLastSection(false);
    dxDBGrid1->viewport()->installEventFilter(this);
    dxDBGrid1->verticalHeader()->hide();
    dxDBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dxDBGrid1->verticalHeader()->setDefaultSectionSize(dxDBGrid1->fontMetrics().height() + 6);
    layout->addWidget(dxDBGrid1, 1);

    lblcount = new QLabel(group);
    lblcount->setObjectName(QStringLiteral("lblcount"));
    layout->addWidget(lblcount);
}

QAction *Tfrmmain::addItem(QMenu *menu, const QString &name, const QString &caption, const QKeySequence &shortcut) {
    auto *item = menu->addAction(caption);
    item->setObjectName(name);
    item->setShortcut(shortcut);
    // Commands are enabled as they are built; until then they are visibly unavailable.
    item->setEnabled(false);
    return item;
}

void Tfrmmain::buildMenus() {
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *open = addItem(file, QStringLiteral("mkOpenDB"), QStringLiteral("Create/Open Mailing List DB..."),
                            QKeySequence(Qt::CTRL | Qt::Key_O));
    mkReopen = file->addMenu(QStringLiteral("Recent Databases"));
    mkReopen->setObjectName(QStringLiteral("mkReopen"));
    mkReopen->setEnabled(false);
    file->addSeparator();
    addItem(file, QStringLiteral("mkSend"), QStringLiteral("Send E-mail to Mailing List..."),
            QKeySequence(Qt::ALT | Qt::Key_S));
    addItem(file, QStringLiteral("mkCheckOutlook"), QStringLiteral("Check Outlook for New Entries"),
            QKeySequence(Qt::CTRL | Qt::Key_N));
    addItem(file, QStringLiteral("mkManual"), QStringLiteral("Manually Enter Entries..."),
            QKeySequence(Qt::CTRL | Qt::Key_M));
    addItem(file, QStringLiteral("mkScanOutlookFolders"), QStringLiteral("Scan Outlook Folders for Addresses..."));
    addItem(file, QStringLiteral("mkScanOutlookContacts"), QStringLiteral("Scan Outlook Contacts for Addresses..."));
    addItem(file, QStringLiteral("mkScanFileFolders"), QStringLiteral("Scan File Folders for Addresses..."));
    file->addSeparator();
    addItem(file, QStringLiteral("mkPrint"), QStringLiteral("Print Mailing List"), QKeySequence(Qt::CTRL | Qt::Key_P));
    addItem(file, QStringLiteral("mkImport"), QStringLiteral("Import Mailing List Entries..."));
    addItem(file, QStringLiteral("mkExport"), QStringLiteral("Export Mailing List Entries..."));
    addItem(file, QStringLiteral("mkBackUp"), QStringLiteral("Save Back Up File..."),
            QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    addItem(file, QStringLiteral("mkOptions"), QStringLiteral("Options..."));
    file->addSeparator();
    QAction *exit = addItem(file, QStringLiteral("Exit1"), QStringLiteral("Exit"), QKeySequence(Qt::ALT | Qt::Key_F4));

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    addItem(edit, QStringLiteral("mkFind"), QStringLiteral("Find Record.."), QKeySequence(Qt::Key_F4));
    addItem(edit, QStringLiteral("mkChangeCategory"), QStringLiteral("Change List Category to..."),
            QKeySequence(Qt::ALT | Qt::Key_Return));
    addItem(edit, QStringLiteral("mkResetBounce"), QStringLiteral("Reset Bounce Count "));
    QMenu *rights = edit->addMenu(QStringLiteral("User Sending Rights"));
    rights->setObjectName(QStringLiteral("mkSendingRights"));
    addItem(rights, QStringLiteral("mkCanSend"), QStringLiteral("User can send messages"));
    addItem(rights, QStringLiteral("mkCannotSend"), QStringLiteral("User cannot send messages"));
    addItem(edit, QStringLiteral("mkUpdateAddress"), QStringLiteral("Update E-mail Address..."));
    addItem(edit, QStringLiteral("mkDelete"), QStringLiteral("Delete Record"), QKeySequence(Qt::Key_Delete));
    addItem(edit, QStringLiteral("mkBlock"), QStringLiteral("Move to Blocked Addresses"),
            QKeySequence(Qt::CTRL | Qt::Key_D));
    QAction *editing = addItem(edit, QStringLiteral("mkAllowEditing"), QStringLiteral("Allow In-line Editing"),
                               QKeySequence(Qt::CTRL | Qt::Key_E));
    editing->setCheckable(true);
    editing->setEnabled(true);
    connect(editing, &QAction::triggered, this, guarded([this] { mkAllowEditingClick(); }));
    QMenu *other = edit->addMenu(QStringLiteral("Other"));
    other->setObjectName(QStringLiteral("mkOther"));
    addItem(other, QStringLiteral("mkResetAllBounces"), QStringLiteral("Reset Bounce Count for all Entries"));
    addItem(other, QStringLiteral("mkMerge"), QStringLiteral("Merge All Categories/Remove All Duplicates..."));
    addItem(other, QStringLiteral("mkDeleteAll"), QStringLiteral("Delete All Entries..."));
    QAction *optimise = addItem(other, QStringLiteral("mkOptimise"), QStringLiteral("Optimize Database..."));

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    QMenu *sorting = view->addMenu(QStringLiteral("Sorting"));
    sorting->setObjectName(QStringLiteral("mkSorting"));
    const char *const sortItems[][2] = {
        {"mkSortEmail", "E-mail Address"}, {"mkSortCategory", "List Category"}, {"mkSortBounces", "Bounces"}};
    for (int column = 0; column < 3; ++column) {
        QAction *item =
            addItem(sorting, QString::fromLatin1(sortItems[column][0]), QString::fromLatin1(sortItems[column][1]));
        item->setCheckable(true);
        item->setEnabled(true);
        connect(item, &QAction::triggered, this,
                guarded([this, column] { m_core.listView().sortMenuChoice(column, m_core.settings().LimitDBCache); }));
    }
    connect(sorting, &QMenu::aboutToShow, this, guarded([this] { sortingMenuAboutToShow(); }));
    QAction *groupPanel = addItem(view, QStringLiteral("mkShowGroupPanel"), QStringLiteral("Show Grouping Panel"));
    groupPanel->setCheckable(true);
    groupPanel->setEnabled(true);
    connect(groupPanel, &QAction::triggered, this, guarded([this] { mkShowGroupPanelClick(); }));
    connect(view, &QMenu::aboutToShow, this,
            guarded([this, groupPanel] { groupPanel->setChecked(pnlGroup->isVisible()); }));
    QAction *selector = addItem(view, QStringLiteral("mkColumnSelector"), QStringLiteral("Column Selector..."));
    selector->setCheckable(true);
    selector->setEnabled(true);
    connect(selector, &QAction::triggered, this, guarded([this] { mkColumnSelectorClick(); }));
    view->addSeparator();
    addItem(view, QStringLiteral("mkDisplayErrors"), QStringLiteral("Display Errors..."));
    QAction *statistics = addItem(view, QStringLiteral("mkDisplayStatistics"), QStringLiteral("Display Statistics..."));
    statistics->setEnabled(true);
    connect(statistics, &QAction::triggered, this, guarded([this] { mkDisplayStatsClick(); }));
    QAction *displayLog = addItem(view, QStringLiteral("mkDisplayLog"), QStringLiteral("Display Log..."));

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    addItem(help, QStringLiteral("mkHelp"), QStringLiteral("Help..."), QKeySequence(Qt::Key_F1));
    help->addSeparator();
    QAction *about = addItem(help, QStringLiteral("mkAbout"), QStringLiteral("About Corvane..."));

    open->setEnabled(true);
    connect(open, &QAction::triggered, this, guarded([this] { m_core.mkOpenDBClick(); }));
    exit->setEnabled(true);
    connect(exit, &QAction::triggered, this, guarded([this] { close(); }));
    optimise->setEnabled(true);
    connect(optimise, &QAction::triggered, this, guarded([this] {
                if (m_core.mkOptimiseClick()) {
                    statusBar()->showMessage(optimizeDoneText(), kNoticeMs);
                }
            }));
    displayLog->setEnabled(true);
    connect(displayLog, &QAction::triggered, this, guarded([this] { mkDisplayLogClick(); }));
    about->setEnabled(true);
    connect(about, &QAction::triggered, this,
            guarded([this] { QMessageBox::about(this, QStringLiteral("About Corvane"), aboutText()); }));
}

QString Tfrmmain::aboutText() {
    // The caption names the program "Corvane Professional"; the About box names it the same way.
    return QStringLiteral("Corvane Professional %1\nA mailing-list manager for your desktop.")
        .arg(QApplication::applicationVersion());
}

void Tfrmmain::connectHelp() {
    // DoShowHint: every tool-tip of the program is wrapped at 370 pixels.
    qApp->installEventFilter(new HintWrapper(this));
    TdlgImport::setHelpHandler(&HelpWindow::showHelp);
    TdlgExport::setHelpHandler(&HelpWindow::showHelp);
    TdlgSendMail::setHelpHandler(&HelpWindow::showHelp);
    auto *button = findChild<QPushButton *>(QStringLiteral("btnhelp"));
    QAction *item = action(QStringLiteral("mkHelp"));
    button->setEnabled(true);
    item->setEnabled(true);
    connect(button, &QPushButton::clicked, this, guarded([] { HelpWindow::showHelp(HelpTopics::kContents); }));
    connect(item, &QAction::triggered, this, guarded([] { HelpWindow::showHelp(HelpTopics::kContents); }));
}

void Tfrmmain::connectScanCommand() {
    auto *button = findChild<QPushButton *>(QStringLiteral("btngetoutlook"));
    QAction *item = action(QStringLiteral("mkCheckOutlook"));
    button->setEnabled(true);
    item->setEnabled(true);
    connect(button, &QPushButton::clicked, this, [this] { m_core.btngetoutlookClick(); });
    connect(item, &QAction::triggered, this, [this] { m_core.btngetoutlookClick(); });
}

void Tfrmmain::showOutlookCommands(bool visible) {
    for (const char *name : {"btngetoutlook", "btnscanfolders"}) {
        findChild<QPushButton *>(QString::fromLatin1(name))->setVisible(visible);
    }
    for (const char *name : {"mkCheckOutlook", "mkScanOutlookContacts", "mkScanOutlookFolders"}) {
        action(QString::fromLatin1(name))->setVisible(visible);
    }
}

void Tfrmmain::mkDisplayStatsClick() {
    TdmML *dm = m_core.dataModule();
    if (dm == nullptr || !dm->tblStats().isOpen()) {
        m_prompt.beep();
        return;
    }
    TdlgStats::Execute(m_prompt, dm->tblStats(), this);
}

void Tfrmmain::mkDisplayLogClick() {
    if (!ActivityLog::CheckLoggingBeforeDisplay(m_core.settings(), m_prompt)) {
        return;
    }
    Tdlglog viewer(m_prompt, this);
    viewer.FormShow();
    viewer.exec();
}

QAction *Tfrmmain::action(const QString &objectName) const {
    return findChild<QAction *>(objectName);
}

void Tfrmmain::UpdateRecentList(const QStringList &directories) {
    mkReopen->clear();
    for (const QString &dir : directories) {
        QString caption = dir;
        // No automatic accelerators: a "&" in a path is shown as it is.
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *item = mkReopen->addAction(caption);
        item->setToolTip(dir);
        item->setStatusTip(dir);
        connect(item, &QAction::triggered, this, guarded([this, dir] { m_core.mkreopenonclick(dir); }));
    }
    mkReopen->setEnabled(directories.size() >= 2);
}

void Tfrmmain::firstShow() {
    if (m_shown) {
        return;
    }
    m_shown = true;
    m_core.runCommand([this] { m_core.FormShow(); });
}

void Tfrmmain::bringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void Tfrmmain::closeEvent(QCloseEvent *event) {
    if (!m_core.FormCloseQuery()) {
        event->ignore();
        return;
    }
    savePlacement();
    m_core.FormClose();
    event->accept();
}

void Tfrmmain::loadPlacement() {
    const auto settings = AppPaths::openSettings();
    settings->beginGroup(QStringLiteral("Placement"));
    bool ok[4] = {false, false, false, false};
    const int left = settings->value(QStringLiteral("Left")).toString().toInt(&ok[0]);
    const int top = settings->value(QStringLiteral("Top")).toString().toInt(&ok[1]);
    const int width = settings->value(QStringLiteral("Width")).toString().toInt(&ok[2]);
    const int height = settings->value(QStringLiteral("Height")).toString().toInt(&ok[3]);
    const bool maximized = settings->value(QStringLiteral("Maximized")).toString() == QLatin1String("true");
    settings->endGroup();
    if (!(ok[0] && ok[1] && ok[2] && ok[3]) || width < 200 || height < 150) {
        return;
    }
    QRect wanted(left, top, width, height);
    // A placement that no longer fits any screen (a monitor was removed) is ignored.
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(wanted)) {
            setGeometry(wanted);
            break;
        }
    }
    if (maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void Tfrmmain::savePlacement() {
    // A settings file that cannot be read or parsed is never written over.
    if (!SettingsStore::storeIsSound()) {
        return;
    }
    const auto settings = AppPaths::openSettings();
    settings->beginGroup(QStringLiteral("Placement"));
    const QRect g = normalGeometry();
    settings->setValue(QStringLiteral("Left"), QString::number(g.x()));
    settings->setValue(QStringLiteral("Top"), QString::number(g.y()));
    settings->setValue(QStringLiteral("Width"), QString::number(g.width()));
    settings->setValue(QStringLiteral("Height"), QString::number(g.height()));
    settings->setValue(QStringLiteral("Maximized"), isMaximized() ? QStringLiteral("true") : QStringLiteral("False"));
    settings->endGroup();
}

} // namespace corvane::ui

// The statistics window.
#include "db/ui/TdlgStats.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "db/SqliteTable.h"
#include "db/StatisticsModel.h"
#include "db/ui/TdlgStatsDelegate.h"
#include "listio/ui/GridFileExportDialog.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace corvane::ui {

namespace {
constexpr qint64 kDayMs = 24 * 60 * 60 * 1000;
} // namespace

TdlgStats::TdlgStats(UserPrompt &prompt, SqliteTable &tblStats, QWidget *parent)
    : QDialog(parent), m_prompt(prompt), m_model(new StatisticsModel(prompt, tblStats, this)) {
    setObjectName(QStringLiteral("dlgStats"));
    setWindowTitle(QStringLiteral("Mailing List Statistics"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);

    grdStats = new QTableView(this);
    grdStats->setObjectName(QStringLiteral("grdStats"));
    grdStats->setModel(m_model);
    grdStats->setItemDelegate(new TdlgStatsDelegate(grdStats));
    grdStats->setSelectionBehavior(QAbstractItemView::SelectItems);
    grdStats->setSelectionMode(QAbstractItemView::SingleSelection);
    grdStats->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                              QAbstractItemView::AnyKeyPressed);
    grdStats->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    grdStats->horizontalHeader()->setStretchLastSection(true);
    grdStats->verticalHeader()->setDefaultSectionSize(grdStats->fontMetrics().height() + 8);
    grdStats->setContextMenuPolicy(Qt::ActionsContextMenu);
    grdStats->installEventFilter(this);

    actInsert = new QAction(QStringLiteral("Insert Record"), grdStats);
    actInsert->setShortcut(QKeySequence(Qt::Key_Insert));
    actInsert->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    actDelete = new QAction(QStringLiteral("Delete Record"), grdStats);
    actDelete->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    actDelete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    grdStats->addAction(actInsert);
    grdStats->addAction(actDelete);
    connect(actInsert, &QAction::triggered, this, &TdlgStats::InsertClick);
    connect(actDelete, &QAction::triggered, this, &TdlgStats::DeleteClick);

    auto *gridPanel = new QWidget(this);
    auto *gridLayout = new QVBoxLayout(gridPanel);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setSpacing(0);
    gridLayout->addWidget(grdStats, 1);
    gridLayout->addWidget(createFooter());

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(gridPanel);
    splitter->addWidget(createChart());
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 300});
    splitter->setChildrenCollapsible(false);

    btnexportxls = new QPushButton(QStringLiteral("Export to XLS..."), this);
    btnexporthtml = new QPushButton(QStringLiteral("Export to HTML..."), this);
    btnclose = new QPushButton(QStringLiteral("Close"), this);
    // None of them is the default button: Return in the grid must not start an export or close the window.
    for (QPushButton *button : {btnexportxls, btnexporthtml, btnclose}) {
        button->setAutoDefault(false);
    }
    auto *buttons = new QVBoxLayout();
    buttons->addWidget(btnexportxls);
    buttons->addWidget(btnexporthtml);
    buttons->addStretch(1);
    buttons->addWidget(btnclose);
    connect(btnexportxls, &QPushButton::clicked, this, &TdlgStats::btnexportxlsClick);
    connect(btnexporthtml, &QPushButton::clicked, this, &TdlgStats::btnexporthtmlClick);
    connect(btnclose, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    QHeaderView *header = grdStats->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &TdlgStats::layoutFooter);
    connect(header, &QHeaderView::geometriesChanged, this, &TdlgStats::layoutFooter);
    connect(grdStats->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TdlgStats::layoutFooter);
    connect(m_model, &StatisticsModel::countsChanged, this, [this] {
        UpdateTotals();
        UpdateChart();
    });
    resize(820, 680);
}

QWidget *TdlgStats::createFooter() {
    m_footer = new QWidget(this);
    m_footer->setObjectName(QStringLiteral("pnlTotals"));
    m_totalCaption = new QLabel(QStringLiteral("Total"), m_footer);
    lblTotalSubscribes = new QLabel(m_footer);
    lblTotalSubscribes->setObjectName(QStringLiteral("lblTotalSubscribes"));
    lblTotalUnsubscribes = new QLabel(m_footer);
    lblTotalUnsubscribes->setObjectName(QStringLiteral("lblTotalUnsubscribes"));
    lblTotalBounces = new QLabel(m_footer);
    lblTotalBounces->setObjectName(QStringLiteral("lblTotalBounces"));
    for (QLabel *label : {m_totalCaption, lblTotalSubscribes, lblTotalUnsubscribes, lblTotalBounces}) {
        label->setAlignment(label == m_totalCaption ? Qt::AlignLeft | Qt::AlignVCenter
                                                    : Qt::AlignRight | Qt::AlignVCenter);
        label->setIndent(4);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
    m_footer->setFixedHeight(m_footer->fontMetrics().height() + 8);
    UpdateTotals();
    return m_footer;
}

QChartView *TdlgStats::createChart() {
    serSubscribes = new QLineSeries(this);
    serSubscribes->setName(QStringLiteral("Subscribes"));
    serUnsubscribes = new QLineSeries(this);
    serUnsubscribes->setName(QStringLiteral("Unsubscribes"));
    serBounces = new QLineSeries(this);
    serBounces->setName(QStringLiteral("Bounces"));

    auto *chart = new QChart();
    chart->legend()->setAlignment(Qt::AlignBottom);
    m_axisDates = new QDateTimeAxis(chart);
    m_axisDates->setFormat(QStringLiteral("yyyy-MM-dd"));
    m_axisDates->setTitleText(QStringLiteral("Date"));
    m_axisCounts = new QValueAxis(chart);
    m_axisCounts->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(m_axisDates, Qt::AlignBottom);
    chart->addAxis(m_axisCounts, Qt::AlignLeft);
    for (QLineSeries *series : {serSubscribes, serUnsubscribes, serBounces}) {
        series->setPointsVisible(true);
        chart->addSeries(series);
        series->attachAxis(m_axisDates);
        series->attachAxis(m_axisCounts);
    }
    chtStats = new QChartView(chart, this);
    chtStats->setObjectName(QStringLiteral("chtStats"));
    chtStats->setRenderHint(QPainter::Antialiasing);
    chtStats->setMinimumHeight(240);
    UpdateChart();
    return chtStats;
}

void TdlgStats::Execute(UserPrompt &prompt, SqliteTable &tblStats, QWidget *parent) {
    TdlgStats dialog(prompt, tblStats, parent);
    if (!dialog.FormShow()) {
        return;
    }
    dialog.centreOnScreen();
    dialog.exec();
}

bool TdlgStats::FormShow() {
    try {
        m_model->reload();
    } catch (const CorvaneError &e) {
        m_prompt.message(UserPrompt::Kind::Warning, e.message(), UserPrompt::Ok);
        return false;
    }
    return true;
}

void TdlgStats::centreOnScreen() {
    QScreen *screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
}

void TdlgStats::InsertClick() {
    const int row = m_model->InsertRecord();
    if (row < 0) {
        return;
    }
    const QModelIndex cell = m_model->index(row, StatisticsModel::SubscribesColumn);
    grdStats->setCurrentIndex(cell);
    grdStats->scrollTo(cell);
    grdStats->setFocus();
}

void TdlgStats::DeleteClick() {
    const QModelIndex current = grdStats->currentIndex();
    if (!current.isValid()) {
        m_prompt.beep();
        return;
    }
    // An open editor would write into the row after it is gone: its value is handed over first.
    commitOpenEditor();
    const int row = current.row();
    if (m_model->DeleteRecord(row) && m_model->rowCount() > 0) {
        grdStats->setCurrentIndex(m_model->index(std::min(row, m_model->rowCount() - 1), current.column()));
    }
}

void TdlgStats::commitOpenEditor() {
    if (QWidget *editor = grdStats->indexWidget(grdStats->currentIndex())) {
        QMetaObject::invokeMethod(grdStats, "commitData", Q_ARG(QWidget *, editor));
    }
}

// Closing the window in any way keeps what is typed in an open cell editor.
void TdlgStats::done(int result) {
    commitOpenEditor();
    QDialog::done(result);
}

void TdlgStats::UpdateTotals() {
    const StatisticsModel::Totals sums = m_model->totals();
    lblTotalSubscribes->setText(QString::number(sums.subscribes));
    lblTotalUnsubscribes->setText(QString::number(sums.unsubscribes));
    lblTotalBounces->setText(QString::number(sums.bounces));
}

// The three series take the model's points; the date axis spans the first to the last day (a single day
// gets a day either side), the count axis runs from 0 in whole-number steps.
void TdlgStats::UpdateChart() {
    serSubscribes->replace(m_model->chartPoints(StatisticsModel::SubscribesColumn));
    serUnsubscribes->replace(m_model->chartPoints(StatisticsModel::UnsubscribesColumn));
    serBounces->replace(m_model->chartPoints(StatisticsModel::BouncesColumn));
    qint64 first = QDate::currentDate().startOfDay().toMSecsSinceEpoch();
    qint64 last = first;
    qreal highest = 0;
    bool any = false;
    for (QLineSeries *series : {serSubscribes, serUnsubscribes, serBounces}) {
        for (const QPointF &point : series->points()) {
            const auto x = static_cast<qint64>(point.x());
            first = any ? std::min(first, x) : x;
            last = any ? std::max(last, x) : x;
            highest = std::max(highest, point.y());
            any = true;
        }
    }
    if (last - first < kDayMs) {
        first -= kDayMs;
        last += kDayMs;
    }
    m_axisDates->setRange(QDateTime::fromMSecsSinceEpoch(first), QDateTime::fromMSecsSinceEpoch(last));
    // Date ticks fall on whole days: the most ticks, at most eight, that divide the span into whole days.
    const qint64 days = std::max<qint64>(1, (last - first + kDayMs / 2) / kDayMs);
    int ticks = 2;
    for (int candidate = 8; candidate > 2; --candidate) {
        if (days % (candidate - 1) == 0) {
            ticks = candidate;
            break;
        }
    }
    m_axisDates->setTickCount(ticks);
    // Whole-number ticks: steps of 1, 2, 5, 10, 20, 50, ... with at most eight of them.
    const qreal top = std::max<qreal>(highest, 1);
    qreal step = 1;
    for (int k = 0; top / step > 8; ++k) {
        step *= k % 3 == 1 ? 2.5 : 2;
    }
    m_axisCounts->setTickType(QValueAxis::TicksDynamic);
    m_axisCounts->setTickAnchor(0);
    m_axisCounts->setTickInterval(step);
    m_axisCounts->setRange(0, std::ceil(top / step) * step);
}

// The footer's figures stand under their columns, following column widths and horizontal scrolling.
void TdlgStats::layoutFooter() {
    const QHeaderView *header = grdStats->horizontalHeader();
    const int left = grdStats->frameWidth() + grdStats->verticalHeader()->width();
    const QList<std::pair<QLabel *, int>> cells{{m_totalCaption, StatisticsModel::DateColumn},
                                                {lblTotalSubscribes, StatisticsModel::SubscribesColumn},
                                                {lblTotalUnsubscribes, StatisticsModel::UnsubscribesColumn},
                                                {lblTotalBounces, StatisticsModel::BouncesColumn}};
    for (const auto &[label, column] : cells) {
        label->setGeometry(left + header->sectionViewportPosition(column), 0, header->sectionSize(column),
                           m_footer->height());
    }
}

bool TdlgStats::eventFilter(QObject *watched, QEvent *event) {
    if (watched == grdStats && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        layoutFooter();
    }
    return QDialog::eventFilter(watched, event);
}

void TdlgStats::btnexportxlsClick() {
    exportGrid(GridFileExport::Format::Worksheet);
}

void TdlgStats::btnexporthtmlClick() {
    exportGrid(GridFileExport::Format::Html);
}

// The grid's visible columns, in display order, go to the file chosen with the shared worksheet and HTML
// save dialogs (or with chooseExportFile when it is set).
void TdlgStats::exportGrid(GridFileExport::Format format) {
    // An open editor's value belongs in the file.
    commitOpenEditor();
    if (!chooseExportFile) {
        GridFileExportDialog::SaveToFile(this, m_prompt, format, *grdStats);
        return;
    }
    const QString path = chooseExportFile(format);
    if (!path.isEmpty()) {
        GridFileExportDialog::saveTo(m_prompt, *m_model,
                                     GridFileExportDialog::visibleColumns(*grdStats->horizontalHeader()), path, format);
    }
}

} // namespace corvane::ui

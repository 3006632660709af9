// The main window's list view: filter panel, grid header and its pop-up menu, sorting, in-line editing,
// column selector and the navigation keys.
#include "app/ColumnFit.h"
#include "app/ui/GridLayoutStore.h"
#include "app/ui/Tfrmmain.h"
#include "settings/Settings.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace corvane::ui {

void Tfrmmain::connectListView() {
    ListView &view = m_core.listView();
    connect(rdball, &QRadioButton::clicked, this, guarded([&view] { view.rdballClick(ListView::FilterChoice::All); }));
    connect(rdbfilter, &QRadioButton::clicked, this,
            guarded([&view] { view.rdballClick(ListView::FilterChoice::Include); }));
    connect(rdbnotfilter, &QRadioButton::clicked, this,
            guarded([&view] { view.rdballClick(ListView::FilterChoice::Exclude); }));
    // A filter edit is applied at the next idle moment, not on every keystroke.
    connect(edtfilter, &QLineEdit::textEdited, this, [this, &view](const QString &text) {
        m_core.runCommand([&] {
            view.edtfilterChange(text);
            rdbfilter->setChecked(true);
            QTimer::singleShot(0, this, guarded([&view] { view.DoIdle(); }));
        });
    });
    connect(edtnotfilter, &QLineEdit::textEdited, this, [this, &view](const QString &text) {
        m_core.runCommand([&] {
            view.edtnotfilterChange(text);
            rdbnotfilter->setChecked(true);
            QTimer::singleShot(0, this, guarded([&view] { view.DoIdle(); }));
        });
    });

    QHeaderView *header = dxDBGrid1->horizontalHeader();
    header->setSortIndicatorShown(false);
    // The header flips its own indicator on every click; the list's sort marks decide what it shows, so a
    // click that changes no order leaves the arrow where it was.
    connect(header, &QHeaderView::sectionClicked, this, [this, &view](int logical) {
        m_core.runCommand([&] { view.columnHeaderClick(logical, m_core.settings().LimitDBCache); });
        showSortMarks();
    });
    connect(&view, &ListView::sortMarksChanged, this, &Tfrmmain::showSortMarks);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this,
            [this](const QPoint &position) { m_core.runCommand([&] { headerPopup(position); }); });

    auto *first = new QAction(QStringLiteral("Go to First Record"), this);
    first->setObjectName(QStringLiteral("pukFirst"));
    first->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Home));
    connect(first, &QAction::triggered, this, guarded([this] { goToRow(0); }));
    auto *last = new QAction(QStringLiteral("Go to Last Record"), this);
    last->setObjectName(QStringLiteral("pukLast"));
    last->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_End));
    connect(last, &QAction::triggered, this, guarded([this] { goToRow(m_core.listModel().rowCount() - 1); }));
    dxDBGrid1->addAction(first);
    dxDBGrid1->addAction(last);
    for (QAction *a : {first, last}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }

    m_core.restoreLayout = [this] {
        const int grouped = GridLayoutStore::load(*dxDBGrid1, m_core.listView(), m_core.settings().LimitDBCache);
        groupByColumn(m_core.settings().LimitDBCache ? -1 : grouped);
        m_core.listView().restoreOrder();
        showSortMarks();
        fitColumns();
    };
    m_core.saveLayout = [this] {
        m_core.settings().ShowGroupPanel = pnlGroup->isVisibleTo(this);
        GridLayoutStore::save(*dxDBGrid1, m_core.listView(), m_core.settings().ShowGroupPanel, groupedColumn());
    };
    m_core.applyLoadedSettings = [this] {
        SetLoadAllRecords();
        action(QStringLiteral("mkAllowEditing"))->setChecked(m_core.settings().AllowEditing);
        mkAllowEditingClick();
    };
    connect(btnUngroup, &QPushButton::clicked, this, guarded([this] { groupByColumn(-1); }));
    groupByColumn(-1);
}

void Tfrmmain::goToRow(int row) {
    if (row < 0) {
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QModelIndex index = m_core.listModel().index(row, dxDBGrid1->horizontalHeader()->logicalIndex(0));
    dxDBGrid1->setCurrentIndex(index);
    dxDBGrid1->scrollTo(index);
    QApplication::restoreOverrideCursor();
}

void Tfrmmain::showSortMarks() {
    QHeaderView *header = dxDBGrid1->horizontalHeader();
    const ListView &view = m_core.listView();
    const QSignalBlocker quiet(header);
    for (int column = 0; column < 3; ++column) {
        if (view.sortMark(column) != 0) {
            // The list table orders ascending in either direction, so the arrow always points that way.
            header->setSortIndicatorShown(true);
            header->setSortIndicator(column, Qt::AscendingOrder);
            return;
        }
    }
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSortIndicatorShown(false);
}

void Tfrmmain::fitColumns() {
    QHeaderView *header = dxDBGrid1->horizontalHeader();
    const int available = dxDBGrid1->viewport()->width();
    if (available <= 0) {
        return;
    }
    QList<int> visible;
    QList<int> widths;
    QList<int> minimums;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical)) {
            visible.append(logical);
            widths.append(header->sectionSize(logical));
            // The caption with room for the sort arrow.
            minimums.append(header->sectionSizeHint(logical));
        }
    }
    const QList<int> fitted = ColumnFit::fit(widths, minimums, available);
    for (qsizetype i = 0; i < visible.size(); ++i) {
        header->resizeSection(visible.at(i), fitted.at(i));
    }
}

bool Tfrmmain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == dxDBGrid1->viewport() && event->type() == QEvent::Resize) {
        fitColumns();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tfrmmain::mkAllowEditingClick() {
    const bool editing = action(QStringLiteral("mkAllowEditing"))->isChecked();
    m_core.settings().AllowEditing = editing;
    m_core.listModel().setEditable(editing);
    dxDBGrid1->setSelectionBehavior(editing ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
    dxDBGrid1->setEditTriggers(editing ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                             QAbstractItemView::AnyKeyPressed
                                       : QAbstractItemView::NoEditTriggers);
}

void Tfrmmain::sortingMenuAboutToShow() {
    const ListView &view = m_core.listView();
    action(QStringLiteral("mkSortEmail"))->setChecked(view.sortMark(ListView::EmailColumn) != 0);
    action(QStringLiteral("mkSortCategory"))->setChecked(view.sortMark(ListView::CategoryColumn) != 0);
    action(QStringLiteral("mkSortBounces"))->setChecked(view.sortMark(ListView::BouncesColumn) != 0);
}

void Tfrmmain::headerPopup(const QPoint &position) {
    QHeaderView *header = dxDBGrid1->horizontalHeader();
    const int logical = header->logicalIndexAt(position);
    if (logical < 0) {
        return;
    }
    QMenu menu(this);
    QAction *sort = menu.addAction(QStringLiteral("Sort by this field"));
    sort->setCheckable(true);
    sort->setChecked(m_core.listView().sortMark(logical) == 1);
    QAction *remove = menu.addAction(QStringLiteral("&Remove This Column"));
    QAction *selector = menu.addAction(QStringLiteral("Column Selector..."));
    QAction *fit = menu.addAction(QStringLiteral("Best &Fit"));
    QAction *group = nullptr;
    if (pnlGroup->isVisibleTo(this) && !m_core.settings().LimitDBCache) {
        group = menu.addAction(QStringLiteral("Group by this column"));
    }
    QAction *chosen = menu.exec(header->mapToGlobal(position));
    if (chosen == sort) {
        m_core.listView().columnHeaderClick(logical, m_core.settings().LimitDBCache);
    } else if (chosen == remove) {
        header->setSectionHidden(logical, true);
        refreshColumnSelector();
        fitColumns();
    } else if (chosen == selector) {
        QAction *toggle = action(QStringLiteral("mkColumnSelector"));
        toggle->setChecked(!toggle->isChecked());
        mkColumnSelectorClick();
    } else if (chosen == fit) {
        dxDBGrid1->resizeColumnToContents(logical);
    } else if (chosen != nullptr && chosen == group) {
        groupByColumn(logical);
    }
}

void Tfrmmain::groupByColumn(int column) {
    const bool grouped = column >= 0 && !m_core.settings().LimitDBCache;
    m_grouped.setSource(grouped ? m_core.listView().table() : nullptr, grouped ? column : -1);
    tvGrouped->setVisible(grouped);
    dxDBGrid1->setVisible(!grouped);
    btnUngroup->setVisible(grouped);
    if (grouped) {
        lblGroup->setText(QStringLiteral("Grouped by: ") +
                          dxDBGrid1->model()->headerData(column, Qt::Horizontal).toString());
        for (int c = 0; c < m_grouped.columnCount(); ++c) {
            tvGrouped->setColumnHidden(c, dxDBGrid1->isColumnHidden(c));
            tvGrouped->setColumnWidth(c, dxDBGrid1->columnWidth(c));
        }
    } else {
        lblGroup->setText(QStringLiteral("Right-click a column header and choose \"Group by this column\""));
    }
}

void Tfrmmain::mkShowGroupPanelClick() {
    const bool show = action(QStringLiteral("mkShowGroupPanel"))->isChecked();
    pnlGroup->setVisible(show);
    m_core.settings().ShowGroupPanel = show;
}

void Tfrmmain::SetLoadAllRecords() {
    const bool limited = m_core.settings().LimitDBCache;
    // The grid always reads the list a page at a time; a limit keeps only that many records in memory.
    m_core.listModel().setCacheRows(limited ? m_core.settings().DBCacheSize : 0);
    QAction *panelItem = action(QStringLiteral("mkShowGroupPanel"));
    panelItem->setVisible(!limited);
    if (limited) {
        groupByColumn(-1);
        pnlGroup->hide();
    } else {
        pnlGroup->setVisible(m_core.settings().ShowGroupPanel);
    }
}

void Tfrmmain::mkColumnSelectorClick() {
    const bool wanted = action(QStringLiteral("mkColumnSelector"))->isChecked();
    if (!wanted) {
        if (m_columnSelector != nullptr) {
            m_columnSelector->hide();
        }
        return;
    }
    if (m_columnSelector == nullptr) {
        m_columnSelector = new QDialog(this, Qt::Tool);
        m_columnSelector->setWindowTitle(QStringLiteral("Customize"));
        auto *layout = new QVBoxLayout(m_columnSelector);
        layout->addWidget(new QLabel(QStringLiteral("Double-click a column to show it again:"), m_columnSelector));
        m_hiddenColumns = new QListWidget(m_columnSelector);
        layout->addWidget(m_hiddenColumns);
        connect(m_hiddenColumns, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
            m_core.runCommand([&] {
                dxDBGrid1->horizontalHeader()->setSectionHidden(item->data(Qt::UserRole).toInt(), false);
                refreshColumnSelector();
                fitColumns();
            });
        });
        // Closing the box by hand clears the menu's tick.
        connect(m_columnSelector, &QDialog::finished, this,
                [this] { action(QStringLiteral("mkColumnSelector"))->setChecked(false); });
    }
    refreshColumnSelector();
    m_columnSelector->show();
    m_columnSelector->raise();
}

void Tfrmmain::refreshColumnSelector() {
    if (m_hiddenColumns == nullptr) {
        return;
    }
    m_hiddenColumns->clear();
    const QAbstractItemModel *model = dxDBGrid1->model();
    for (int c = 0; c < model->columnCount(); ++c) {
        if (dxDBGrid1->isColumnHidden(c)) {
            auto *item = new QListWidgetItem(model->headerData(c, Qt::Horizontal).toString(), m_hiddenColumns);
            item->setData(Qt::UserRole, c);
        }
    }
}

} // namespace corvane::ui

// Saving and restoring the grid's columns.
#include "app/ui/GridLayoutStore.h"

#include "app/ListView.h"
#include "base/AppPaths.h"
#include "settings/SettingsStore.h"

#include <QHeaderView>
#include <QSettings>
#include <QSignalBlocker>
#include <QTableView>

namespace corvane::ui {

namespace {
QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// An integer value of the current group, or `fallback` when it is missing or not a number.
int readInt(const QSettings &settings, const QString &name, int fallback) {
    bool ok = false;
    const int value = settings.value(name).toString().toInt(&ok);
    return ok ? value : fallback;
}
} // namespace

int GridLayoutStore::shownWidth(QHeaderView &header, int logical) {
    if (!header.isSectionHidden(logical)) {
        return header.sectionSize(logical);
    }
    // A hidden section reports no size; showing it for a moment gives back the width it keeps.
    const QSignalBlocker quiet(&header);
    header.setUpdatesEnabled(false);
    header.setSectionHidden(logical, false);
    const int width = header.sectionSize(logical);
    header.setSectionHidden(logical, true);
    header.setUpdatesEnabled(true);
    return width;
}

QStringList GridLayoutStore::columnNames() {
    return {QStringLiteral("dxDBGrid1Item"),      QStringLiteral("dxDBGrid1Category"),
            QStringLiteral("dxDBGrid1Bounces"),   QStringLiteral("dxDBGrid1Comments"),
            QStringLiteral("dxDBGrid1Name"),      QStringLiteral("dxDBGrid1Salutation"),
            QStringLiteral("dxDBGrid1SendRights")};
}

void GridLayoutStore::save(QTableView &grid, const ListView &view, bool showGroupPanel, int groupedColumn) {
    // A settings file that cannot be read or parsed is never written over.
    if (!SettingsStore::storeIsSound()) {
        return;
    }
    const auto settings = AppPaths::openSettings();
    QHeaderView *header = grid.horizontalHeader();
    settings->setValue(QStringLiteral("ShowGroupPanel"), flag(showGroupPanel));
    settings->setValue(QStringLiteral("FlatStyle"), flag(true));
    settings->setValue(QStringLiteral("AutoWidth"), flag(true));
    settings->setValue(QStringLiteral("AutoPreview"), flag(false));
    const QStringList names = columnNames();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical < 0 || logical >= names.size()) {
            continue;
        }
        settings->beginGroup(names.at(logical));
        settings->setValue(QStringLiteral("Visible"), flag(!header->isSectionHidden(logical)));
        settings->setValue(QStringLiteral("Index"), QString::number(visual));
        settings->setValue(QStringLiteral("GroupIndex"),
                           logical == groupedColumn ? QStringLiteral("0") : QStringLiteral("-1"));
        const int width = shownWidth(*header, logical);
        if (width > 0) {
            settings->setValue(QStringLiteral("Width"), QString::number(width));
        }
        settings->setValue(QStringLiteral("Sorted"), QString::number(view.sortMark(logical)));
        settings->endGroup();
    }
    settings->sync();
}

int GridLayoutStore::load(QTableView &grid, ListView &view, bool limitDBCache) {
    int grouped = -1;
    const auto settings = AppPaths::openSettings();
    QHeaderView *header = grid.horizontalHeader();
    const QStringList names = columnNames();
    grid.setUpdatesEnabled(false);
    // Columns are taken in their order at the start; moving one does not change which comes next.
    QList<int> order;
    for (int visual = 0; visual < header->count(); ++visual) {
        order.append(header->logicalIndex(visual));
    }
    for (const int logical : order) {
        if (logical < 0 || logical >= names.size()) {
            continue;
        }
        settings->beginGroup(names.at(logical));
        const QString visible = settings->value(QStringLiteral("Visible")).toString();
        if (visible == QLatin1String("1") || visible == QLatin1String("0")) {
            header->setSectionHidden(logical, visible == QLatin1String("0"));
        }
        const int index = readInt(*settings, QStringLiteral("Index"), -1);
        if (index >= 0 && index < header->count()) {
            header->moveSection(header->visualIndex(logical), index);
        }
        if (!limitDBCache && readInt(*settings, QStringLiteral("GroupIndex"), -1) == 0) {
            grouped = logical;
        }
        const int width = readInt(*settings, QStringLiteral("Width"), -1);
        if (width > 0) {
            header->resizeSection(logical, width);
        }
        if (!limitDBCache && logical < 3) {
            const int sorted = readInt(*settings, QStringLiteral("Sorted"), -1);
            if (sorted >= 0 && sorted <= 2) {
                view.setSortMark(logical, sorted);
            }
        }
        settings->endGroup();
    }
    if (limitDBCache) {
        view.setSortMark(ListView::EmailColumn, 1);
    }
    grid.setUpdatesEnabled(true);
    return grouped;
}

} // namespace corvane::ui

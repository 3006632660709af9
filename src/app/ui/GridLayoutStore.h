// The grid's layout in the settings store: "ShowGroupPanel", "FlatStyle", "AutoWidth" and "AutoPreview" in
// the key, and one group per column with "Visible", "Index", "GroupIndex", "Width" and "Sorted".
#pragma once

#include <QStringList>

class QHeaderView;
class QTableView;

namespace corvane {
class ListView;
}

namespace corvane::ui {

class GridLayoutStore {
public:
    // The layout names of the grid's columns, in model order.
    static QStringList columnNames();

    // Writes the layout of `grid` (columns in their current order). Failures are ignored. A hidden column
    // is written with the width it will have when shown again, never 0.
    // `groupedColumn` is the grid column the list is grouped by, -1 for none.
    static void save(QTableView &grid, const ListView &view, bool showGroupPanel, int groupedColumn);

    // Restores the layout: for each column in its current order "Visible", "Index" (moving the column),
    // "Width" and, when record caching is not limited, "Sorted" (with it limited the "E-mail" column is
    // marked sorted instead). A missing or unreadable value keeps the column's current setting. Returns the
    // column whose "GroupIndex" is 0 (read only when caching is not limited), or -1.
    static int load(QTableView &grid, ListView &view, bool limitDBCache);

    // The width of section `logical`, also while it is hidden.
    static int shownWidth(QHeaderView &header, int logical);
};

} // namespace corvane::ui

// The grid's layout in the settings store: "ShowGroupPanel", "FlatStyle", "AutoWidth" and "AutoPreview" in
// the key, and one group per column with "Visible", "Index", "GroupIndex", "Width" and "Sorted".
#pragma once

#include <QStringList>

class QTableView;

namespace corvane {
class ListView;
}

namespace corvane::ui {

class GridLayoutStore {
public:
    // The layout names of the grid's columns, in model order.
    static QStringList columnNames();

    // Writes the layout of `grid` (columns in their current order). Failures are ignored.
    static void save(const QTableView &grid, const ListView &view, bool showGroupPanel);

    // Restores the layout: for each column in its current order "Visible", "Index" (moving the column),
    // "Width" and, when record caching is not limited, "Sorted" (with it limited the "E-mail" column is
    // marked sorted instead). A missing or unreadable value keeps the column's current setting.
    static void load(QTableView &grid, ListView &view, bool limitDBCache);
};

} // namespace corvane::ui

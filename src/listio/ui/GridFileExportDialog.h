// `SaveToFile` of the main window and the statistics window: asks for the worksheet or HTML file name, then
// writes what the grid shows (its visible columns in display order, every row) with the hourglass cursor.
#pragma once

#include "listio/GridFileExport.h"

#include <QList>
#include <QString>

class QAbstractItemModel;
class QFileDialog;
class QHeaderView;
class QTableView;
class QWidget;

namespace corvane {
class UserPrompt;
}

namespace corvane::ui {

class GridFileExportDialog {
public:
    // Asks for the file name (worksheet: filter "Microsoft Excel Worksheet (*.xls)", default extension xls,
    // default name "Brenmoor.xls"; HTML: "HTML File (*.htm *.html)", html, "Brenmoor.html"; both prompt
    // before overwriting). Cancelling ends it (false). Then writes the grid; a failure shows "An error was
    // encountered saving your file." (warning) and gives false.
    static bool SaveToFile(QWidget *parent, UserPrompt &prompt, GridFileExport::Format format, const QTableView &grid);
    static bool SaveToFile(QWidget *parent, UserPrompt &prompt, GridFileExport::Format format,
                           const QAbstractItemModel &model, const QList<int> &columns);

    // The grid's shown columns as model columns, in the order they are displayed.
    static QList<int> visibleColumns(const QHeaderView &header);
    static void configureFileDialog(QFileDialog &dialog, GridFileExport::Format format);
    // The writing step of SaveToFile, for a name already chosen. False (after the warning) on failure.
    static bool saveTo(UserPrompt &prompt, const QAbstractItemModel &model, const QList<int> &columns,
                       const QString &path, GridFileExport::Format format);
    static QString failureMessage() { return QStringLiteral("An error was encountered saving your file."); }
};

} // namespace corvane::ui

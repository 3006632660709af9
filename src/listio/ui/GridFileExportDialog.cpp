// The file dialogs and the failure message around the grid's worksheet and HTML export.
#include "listio/ui/GridFileExportDialog.h"

#include "base/BusyCursor.h"
#include "base/UserPrompt.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QTableView>

namespace corvane::ui {

QList<int> GridFileExportDialog::visibleColumns(const QHeaderView &header) {
    QList<int> columns;
    for (int visual = 0; visual < header.count(); ++visual) {
        const int logical = header.logicalIndex(visual);
        if (logical >= 0 && !header.isSectionHidden(logical)) {
            columns.append(logical);
        }
    }
    return columns;
}

void GridFileExportDialog::configureFileDialog(QFileDialog &dialog, GridFileExport::Format format) {
    const bool worksheet = format == GridFileExport::Format::Worksheet;
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilter(worksheet ? QStringLiteral("Microsoft Excel Worksheet (*.xls)")
                                   : QStringLiteral("HTML File (*.htm *.html)"));
    dialog.setDefaultSuffix(worksheet ? QStringLiteral("xls") : QStringLiteral("html"));
    dialog.selectFile(
        QDir::current().absoluteFilePath(worksheet ? QStringLiteral("Brenmoor.xls") : QStringLiteral("Brenmoor.html")));
}

bool GridFileExportDialog::saveTo(UserPrompt &prompt, const QAbstractItemModel &model, const QList<int> &columns,
                                  const QString &path, GridFileExport::Format format) {
    try {
        BusyCursor busy(prompt);
        GridFileExport::write(model, columns, path, format);
        return true;
    } catch (const std::exception &) {
        prompt.message(UserPrompt::Kind::Warning, failureMessage(), UserPrompt::Ok);
        return false;
    }
}

bool GridFileExportDialog::SaveToFile(QWidget *parent, UserPrompt &prompt, GridFileExport::Format format,
                                      const QAbstractItemModel &model, const QList<int> &columns) {
    QFileDialog dialog(parent);
    configureFileDialog(dialog, format);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    return saveTo(prompt, model, columns, dialog.selectedFiles().constFirst(), format);
}

bool GridFileExportDialog::SaveToFile(QWidget *parent, UserPrompt &prompt, GridFileExport::Format format,
                                      const QTableView &grid) {
    if (grid.model() == nullptr) {
        return false;
    }
    return SaveToFile(parent, prompt, format, *grid.model(), visibleColumns(*grid.horizontalHeader()));
}

} // namespace corvane::ui

// Writes what a grid shows (a table model's chosen columns in display order, with their headers and every
// row) as an Excel 97-2003 worksheet (.xls) or as a plain HTML table page. Used by the main window's list
// export and by the statistics window. Widget-free: the caller passes the model and the visible columns.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>

class QAbstractItemModel;

namespace corvane {

class GridFileExport {
public:
    enum class Format { Worksheet, Html };

    // Data rows per worksheet: with the header row they fill the 65,536 rows of an .xls sheet; longer
    // grids continue on further sheets ("Sheet2", ...), each with the header row again.
    static constexpr int kRowsPerSheet = 65535;

    // Writes the header texts and every row of `model` for the model columns `columns` (in that order;
    // indexes outside the model are left out) to `path` in `format`, replacing the file. The file is
    // written beside its final name and put in place only when complete, so a failure never leaves a half
    // file nor destroys the old one. A worksheet keeps at most its first 256 columns. Cell values are the
    // display texts; integers and decimals become numbers in a worksheet; a check-box column (no display
    // text, a check state) gives "True" or "False". Raises CorvaneError when the file cannot be written.
    static void write(const QAbstractItemModel &model, const QList<int> &columns, const QString &path, Format format);

    // The value written for one cell: the display value, or "True"/"False" for a check state.
    static QVariant cellValue(const QAbstractItemModel &model, int row, int column);
    // `text` folded to one line (LineText::oneLine), with &, <, >, " and ' written as HTML character references.
    static QString htmlEscaped(const QString &text);
};

} // namespace corvane

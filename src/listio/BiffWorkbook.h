// An Excel 97-2003 (BIFF8) workbook written record by record into its compound-file container: the
// workbook globals (fonts, cell formats, the sheet list), then each worksheet with its rows in blocks of 32
// (ROW records before the cells of the block), text cells as LABEL records and numbers as NUMBER records.
// Excel and LibreOffice open the result as an ordinary .xls file.
#pragma once

#include "listio/BiffCompoundFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>

class QFileDevice;

namespace corvane {

class BiffWorkbook {
public:
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;
    // The longest text a LABEL record can carry (its record must fit 8,224 bytes).
    static constexpr int kMaxTextLength = 4000;

    // Starts a workbook of the worksheets `sheetNames` (one or more; at most 31 characters of each are kept)
    // in `file`, which must be open for writing and empty, and writes the globals. Raises CorvaneError when
    // the file cannot be written.
    BiffWorkbook(QFileDevice &file, const QStringList &sheetNames);

    // Starts the next worksheet, of `rows` rows and `columns` columns (the dimensions recorded in the
    // sheet). The previous sheet must have been ended.
    void beginSheet(int rows, int columns);
    // Cells of the current sheet, rows in ascending order (cells of one row in any order). `bold` gives the
    // header format. Raises CorvaneError for a row or column outside the sheet or a row going backwards.
    void text(int row, int column, const QString &value, bool bold = false);
    void number(int row, int column, double value);
    void endSheet();
    // Ends the workbook and its container. Raises CorvaneError when not every sheet was written.
    void finish();

private:
    void record(quint16 type, const QByteArray &body);
    void globals(const QStringList &sheetNames);
    void cell(int row, int column);
    void flushBlock();

    BiffCompoundFile m_container;
    int m_sheetCount = 0;
    int m_sheet = -1;
    bool m_inSheet = false;
    QList<qint64> m_sheetPositionOffsets;
    int m_rows = 0;
    int m_columns = 0;
    // The block of up to 32 rows being gathered: its first row, each row's first and last column + 1, and
    // the cell records.
    int m_blockStart = -1;
    std::array<int, 32> m_firstColumn{};
    std::array<int, 32> m_endColumn{};
    QByteArray m_cells;
    QByteArray m_scratch;
};

} // namespace corvane

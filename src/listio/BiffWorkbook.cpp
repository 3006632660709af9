// The BIFF8 records of the worksheet export. Record layouts follow the Excel 97-2003 binary format: a
// record is a 16-bit type, a 16-bit body length and the body, all little-endian.
#include "listio/BiffWorkbook.h"

#include "base/CorvaneError.h"

#include <QtEndian>
#include <cstring>

namespace corvane {

namespace {

enum Record : quint16 {
    kEof = 0x000A,
    kCodePage = 0x0042,
    kWindow1 = 0x003D,
    kFont = 0x0031,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kBof = 0x0809,
    kDimensions = 0x0200,
    kWindow2 = 0x023E,
    kRow = 0x0208,
    kLabel = 0x0204,
    kNumber = 0x0203,
};

constexpr quint16 kCellXf = 15;
constexpr quint16 kHeaderXf = 16;

void add16(QByteArray &bytes, quint16 value) {
    char buffer[2];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, 2);
}

void add32(QByteArray &bytes, quint32 value) {
    char buffer[4];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, 4);
}

bool fitsLatin1(const QString &text) {
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) {
            return false;
        }
    }
    return true;
}

// The characters of a BIFF8 string after its length: the flags byte (0 one byte per character, 1 UTF-16)
// and the characters.
void addCharacters(QByteArray &bytes, const QString &text) {
    if (fitsLatin1(text)) {
        bytes.append('\0');
        for (const QChar c : text) {
            bytes.append(static_cast<char>(c.unicode()));
        }
    } else {
        bytes.append('\1');
        for (const QChar c : text) {
            add16(bytes, c.unicode());
        }
    }
}

QByteArray font(bool bold) {
    QByteArray body;
    add16(body, 200); // 10 points, in twips
    add16(body, 0);
    add16(body, 0x7FFF); // automatic colour
    add16(body, bold ? 700 : 400);
    add16(body, 0);
    body.append(4, '\0'); // underline, family, character set, reserved
    body.append('\5');
    addCharacters(body, QStringLiteral("Arial"));
    return body;
}

QByteArray xf(quint16 fontIndex, bool style, quint8 usedAttributes) {
    QByteArray body;
    add16(body, fontIndex);
    add16(body, 0);                       // format "General"
    add16(body, style ? 0xFFF5 : 0x0001); // locked; a style has parent 0xFFF
    body.append('\x20');                  // bottom aligned
    body.append(2, '\0');
    body.append(static_cast<char>(usedAttributes));
    body.append(8, '\0'); // no borders
    add16(body, 0x20C0);  // default pattern colours
    return body;
}

} // namespace

BiffWorkbook::BiffWorkbook(QFileDevice &file, const QStringList &sheetNames)
    : m_container(file), m_sheetCount(static_cast<int>(sheetNames.size())) {
    if (sheetNames.isEmpty()) {
        throw CorvaneError(QStringLiteral("A workbook needs at least one sheet"));
    }
    globals(sheetNames);
}

void BiffWorkbook::record(quint16 type, const QByteArray &body) {
    m_scratch.clear();
    add16(m_scratch, type);
    add16(m_scratch, static_cast<quint16>(body.size()));
    m_scratch.append(body);
    m_container.write(m_scratch);
}

void BiffWorkbook::globals(const QStringList &sheetNames) {
    QByteArray bof;
    add16(bof, 0x0600);
    add16(bof, 0x0005); // workbook globals
    add16(bof, 0x0DBB);
    add16(bof, 0x07CC);
    add32(bof, 0);
    add32(bof, 0x06);
    record(kBof, bof);

    QByteArray codePage;
    add16(codePage, 1200); // UTF-16
    record(kCodePage, codePage);

    QByteArray window;
    for (const quint16 value : {0x0168, 0x001E, 0x1D1E, 0x1860, 0x0038, 0, 0, 1, 0x0258}) {
        add16(window, value);
    }
    record(kWindow1, window);

    // Fonts 0 to 3 are the standard font (index 4 does not exist in BIFF); font 5 is the bold header font.
    for (int i = 0; i < 4; ++i) {
        record(kFont, font(false));
    }
    record(kFont, font(true));

    for (int i = 0; i < 15; ++i) {
        record(kXf, xf(0, true, 0xF4));
    }
    record(kXf, xf(0, false, 0));
    record(kXf, xf(5, false, 0x08));

    QByteArray style;
    add16(style, 0x8000); // built-in style on XF 0
    style.append('\0');   // "Normal"
    style.append('\xFF');
    record(kStyle, style);

    for (const QString &sheetName : sheetNames) {
        const QString name = sheetName.left(31);
        QByteArray sheet;
        add32(sheet, 0); // stream position of the sheet's BOF, patched when the sheet starts
        sheet.append(2, '\0');
        sheet.append(static_cast<char>(name.size()));
        addCharacters(sheet, name);
        m_sheetPositionOffsets.append(m_container.streamSize() + 4);
        record(kBoundSheet, sheet);
    }
    record(kEof, QByteArray());
}

void BiffWorkbook::beginSheet(int rows, int columns) {
    if (m_inSheet || m_sheet + 1 >= m_sheetCount) {
        throw CorvaneError(QStringLiteral("No further sheet was announced"));
    }
    if (rows < 0 || rows > kMaxRows || columns < 0 || columns > kMaxColumns) {
        throw CorvaneError(QStringLiteral("A worksheet holds at most 65,536 rows and 256 columns"));
    }
    ++m_sheet;
    m_inSheet = true;
    m_rows = rows;
    m_columns = columns;
    m_blockStart = -1;
    m_cells.clear();

    QByteArray position;
    add32(position, static_cast<quint32>(m_container.streamSize()));
    m_container.patch(m_sheetPositionOffsets.at(m_sheet), position);

    QByteArray bof;
    add16(bof, 0x0600);
    add16(bof, 0x0010); // worksheet
    add16(bof, 0x0DBB);
    add16(bof, 0x07CC);
    add32(bof, 0);
    add32(bof, 0x06);
    record(kBof, bof);

    QByteArray dimensions;
    add32(dimensions, 0);
    add32(dimensions, static_cast<quint32>(rows));
    add16(dimensions, 0);
    add16(dimensions, static_cast<quint16>(columns));
    add16(dimensions, 0);
    record(kDimensions, dimensions);

    QByteArray window;
    add16(window, m_sheet == 0 ? 0x06B6 : 0x00B6); // grid lines, headings, zeros; the first sheet selected
    add16(window, 0);
    add16(window, 0);
    add32(window, 0x40);
    add16(window, 0);
    add16(window, 0);
    add32(window, 0);
    record(kWindow2, window);
}

void BiffWorkbook::cell(int row, int column) {
    if (!m_inSheet || row < 0 || row >= m_rows || column < 0 || column >= m_columns) {
        throw CorvaneError(QStringLiteral("Cell outside the worksheet"));
    }
    if (m_blockStart >= 0 && row < m_blockStart) {
        throw CorvaneError(QStringLiteral("Worksheet rows must be written in order"));
    }
    if (m_blockStart >= 0 && row >= m_blockStart + 32) {
        flushBlock();
    }
    if (m_blockStart < 0) {
        m_blockStart = row - row % 32;
        m_firstColumn.fill(0);
        m_endColumn.fill(0);
    }
    const int slot = row - m_blockStart;
    if (m_endColumn[slot] == 0 || column < m_firstColumn[slot]) {
        m_firstColumn[slot] = column;
    }
    m_endColumn[slot] = std::max(m_endColumn[slot], column + 1);
}

void BiffWorkbook::text(int row, int column, const QString &value, bool bold) {
    cell(row, column);
    const QString cut = value.left(kMaxTextLength);
    const bool latin1 = fitsLatin1(cut);
    const int bodySize = 9 + static_cast<int>(cut.size()) * (latin1 ? 1 : 2);
    add16(m_cells, kLabel);
    add16(m_cells, static_cast<quint16>(bodySize));
    add16(m_cells, static_cast<quint16>(row));
    add16(m_cells, static_cast<quint16>(column));
    add16(m_cells, bold ? kHeaderXf : kCellXf);
    add16(m_cells, static_cast<quint16>(cut.size()));
    addCharacters(m_cells, cut);
}

void BiffWorkbook::number(int row, int column, double value) {
    cell(row, column);
    add16(m_cells, kNumber);
    add16(m_cells, 14);
    add16(m_cells, static_cast<quint16>(row));
    add16(m_cells, static_cast<quint16>(column));
    add16(m_cells, kCellXf);
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char buffer[8];
    qToLittleEndian(bits, buffer);
    m_cells.append(buffer, 8);
}

void BiffWorkbook::flushBlock() {
    if (m_blockStart < 0) {
        return;
    }
    QByteArray rows;
    for (int slot = 0; slot < 32; ++slot) {
        if (m_endColumn[slot] == 0) {
            continue;
        }
        add16(rows, kRow);
        add16(rows, 16);
        add16(rows, static_cast<quint16>(m_blockStart + slot));
        add16(rows, static_cast<quint16>(m_firstColumn[slot]));
        add16(rows, static_cast<quint16>(m_endColumn[slot]));
        add16(rows, 0x00FF); // default height
        add32(rows, 0);
        add16(rows, 0x0100);
        add16(rows, kCellXf);
    }
    m_container.write(rows);
    m_container.write(m_cells);
    m_cells.clear();
    m_blockStart = -1;
}

void BiffWorkbook::endSheet() {
    if (!m_inSheet) {
        throw CorvaneError(QStringLiteral("No worksheet was started"));
    }
    flushBlock();
    record(kEof, QByteArray());
    m_inSheet = false;
}

void BiffWorkbook::finish() {
    if (m_inSheet || m_sheet + 1 != m_sheetCount) {
        throw CorvaneError(QStringLiteral("The workbook's sheets were not all written"));
    }
    m_container.finish(QStringLiteral("Workbook"));
}

} // namespace corvane

// The grid's worksheet and HTML export, checked by reading the files back: the worksheet through an
// independent compound-file and BIFF8 reader (FAT and DIFAT chains followed, records decoded), the HTML page
// for its table and its escaping.
#include "base/CorvaneError.h"
#include "listio/GridFileExport.h"

#include <QAbstractTableModel>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cstring>
#include <map>

using namespace corvane;

namespace {

// A grid of generated cells: column 0 text, column 1 integers, column 2 a check box, column 3 long text
// (so that large grids need many allocation-table sectors).
class GeneratedModel : public QAbstractTableModel {
public:
    GeneratedModel(int rows, QList<QStringList> fixed = {}) : m_rows(rows), m_fixed(std::move(fixed)) {}
    int rowCount(const QModelIndex & = QModelIndex()) const override { return m_rows; }
    int columnCount(const QModelIndex & = QModelIndex()) const override { return 4; }
    QVariant data(const QModelIndex &index, int role) const override {
        if (index.row() < m_fixed.size()) {
            return role == Qt::DisplayRole ? QVariant(m_fixed.at(index.row()).value(index.column())) : QVariant();
        }
        switch (index.column()) {
        case 0:
            return role == Qt::DisplayRole ? QVariant(QStringLiteral("user%1@example.org").arg(index.row()))
                                           : QVariant();
        case 1:
            return role == Qt::DisplayRole ? QVariant(index.row() % 1000) : QVariant();
        case 2:
            return role == Qt::CheckStateRole ? QVariant(index.row() % 2 ? Qt::Checked : Qt::Unchecked) : QVariant();
        default:
            return role == Qt::DisplayRole ? QVariant(QStringLiteral("comment %1 ").arg(index.row()).repeated(4))
                                           : QVariant();
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
            return {};
        }
        static const char *names[] = {"E-mail", "Bounce Count", "Can Send", "Comments"};
        return QString::fromLatin1(names[section]);
    }

private:
    int m_rows;
    QList<QStringList> m_fixed;
};

quint16 u16(const QByteArray &b, qint64 at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32(const QByteArray &b, qint64 at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

struct Sheet {
    QString name;
    int dimensionRows = 0;
    int dimensionColumns = 0;
    std::map<std::pair<int, int>, QVariant> cells;
};

struct Workbook {
    quint32 difatSectors = 0;
    QList<Sheet> sheets;
};

// Reads a compound file's "Workbook" stream by following the allocation chains, then the sheets named in
// the globals. Fails the running test on any structural fault.
Workbook readWorkbook(const QString &path) {
    Workbook book;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QTest::qFail("cannot open the worksheet", __FILE__, __LINE__);
        return book;
    }
    const QByteArray data = file.readAll();
    const QByteArray signature = QByteArray::fromHex("D0CF11E0A1B11AE1");
    if (data.size() < 1024 || data.left(8) != signature || u16(data, 30) != 9 || u16(data, 28) != 0xFFFE ||
        (data.size() - 512) % 512 != 0) {
        QTest::qFail("not a compound file of 512-byte sectors", __FILE__, __LINE__);
        return book;
    }
    auto sector = [&](quint32 n) { return data.mid(512 + qint64(n) * 512, 512); };
    // FAT sector numbers: 109 in the header, the rest in the DIFAT chain.
    const quint32 fatCount = u32(data, 44);
    QList<quint32> fatSectors;
    for (int i = 0; i < 109 && quint32(fatSectors.size()) < fatCount; ++i) {
        fatSectors.append(u32(data, 76 + i * 4));
    }
    book.difatSectors = u32(data, 72);
    quint32 difat = u32(data, 68);
    for (quint32 d = 0; d < book.difatSectors; ++d) {
        const QByteArray s = sector(difat);
        for (int i = 0; i < 127 && quint32(fatSectors.size()) < fatCount; ++i) {
            fatSectors.append(u32(s, i * 4));
        }
        difat = u32(s, 508);
    }
    QByteArray fat;
    for (const quint32 s : fatSectors) {
        fat += sector(s);
    }
    auto chain = [&](quint32 start, qint64 size) {
        QByteArray out;
        quint32 n = start;
        while (n != 0xFFFFFFFE && out.size() < size + 512) {
            out += sector(n);
            n = u32(fat, qint64(n) * 4);
        }
        return out.left(size);
    };
    const QByteArray directory = chain(u32(data, 48), 512);
    QByteArray stream;
    for (int e = 0; e < 4; ++e) {
        const QByteArray entry = directory.mid(e * 128, 128);
        const QString name =
            QString::fromUtf16(reinterpret_cast<const char16_t *>(entry.constData()), u16(entry, 64) / 2 - 1);
        if (entry.at(66) == 2 && name == QStringLiteral("Workbook")) {
            stream = chain(u32(entry, 116), u32(entry, 120));
        }
    }
    if (stream.size() < 4096) {
        QTest::qFail("no Workbook stream of at least 4096 bytes", __FILE__, __LINE__);
        return book;
    }
    auto string = [&](qint64 at, int length, qint64 *end) {
        const bool wide = stream.at(at) & 1;
        QString text;
        for (int i = 0; i < length; ++i) {
            text += wide ? QChar(u16(stream, at + 1 + i * 2)) : QChar(uchar(stream.at(at + 1 + i)));
        }
        *end = at + 1 + length * (wide ? 2 : 1);
        return text;
    };
    // Globals: BOF, ..., BOUNDSHEET per sheet, EOF.
    QList<std::pair<quint32, QString>> sheetPlaces;
    qint64 at = 0;
    if (u16(stream, 0) != 0x0809 || u16(stream, 4) != 0x0600 || u16(stream, 6) != 0x0005) {
        QTest::qFail("the stream does not start with the BIFF8 globals", __FILE__, __LINE__);
        return book;
    }
    for (;;) {
        const quint16 type = u16(stream, at);
        const quint16 length = u16(stream, at + 2);
        if (type == 0x0085) {
            qint64 end = 0;
            sheetPlaces.append({u32(stream, at + 4), string(at + 11, uchar(stream.at(at + 10)), &end)});
        }
        at += 4 + length;
        if (type == 0x000A) {
            break;
        }
    }
    for (const auto &[place, name] : sheetPlaces) {
        Sheet sheet;
        sheet.name = name;
        at = place;
        if (u16(stream, at) != 0x0809 || u16(stream, at + 6) != 0x0010) {
            QTest::qFail("a sheet position does not hold a worksheet BOF", __FILE__, __LINE__);
            return book;
        }
        for (;;) {
            const quint16 type = u16(stream, at);
            const quint16 length = u16(stream, at + 2);
            const qint64 body = at + 4;
            if (type == 0x0200) {
                sheet.dimensionRows = int(u32(stream, body + 4));
                sheet.dimensionColumns = u16(stream, body + 10);
            } else if (type == 0x0204) {
                qint64 end = 0;
                sheet.cells[{u16(stream, body), u16(stream, body + 2)}] = string(body + 8, u16(stream, body + 6), &end);
                if (end != body + length) {
                    QTest::qFail("a LABEL record's length does not match its text", __FILE__, __LINE__);
                }
            } else if (type == 0x0203) {
                double value = 0;
                const quint64 bits = qFromLittleEndian<quint64>(stream.constData() + body + 6);
                std::memcpy(&value, &bits, 8);
                sheet.cells[{u16(stream, body), u16(stream, body + 2)}] = value;
            }
            at = body + length;
            if (type == 0x000A) {
                break;
            }
        }
        book.sheets.append(sheet);
    }
    return book;
}

} // namespace

class TestGridFileExport : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_tmp;

private slots:
    void worksheetCellsAndColumns_data() {
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<QStringList>("headers");
        QTest::newRow("all in model order")
            << QList<int>{0, 1, 2, 3} << QStringList{"E-mail", "Bounce Count", "Can Send", "Comments"};
        QTest::newRow("moved and hidden") << QList<int>{2, 0} << QStringList{"Can Send", "E-mail"};
        QTest::newRow("unknown column left out") << QList<int>{1, 9, -1} << QStringList{"Bounce Count"};
    }
    void worksheetCellsAndColumns() {
        QFETCH(QList<int>, columns);
        QFETCH(QStringList, headers);
        const QList<QStringList> fixed{{QStringLiteral("Zoë <ö> \u4E2D\u6587"), QString(), QString(), QString()}};
        GeneratedModel model(40, fixed);
        const QString path = m_tmp.filePath(QStringLiteral("cells.xls"));
        GridFileExport::write(model, columns, path, GridFileExport::Format::Worksheet);
        const Workbook book = readWorkbook(path);
        QCOMPARE(book.sheets.size(), 1);
        const Sheet &sheet = book.sheets.first();
        QCOMPARE(sheet.name, QStringLiteral("Sheet1"));
        QCOMPARE(sheet.dimensionRows, 41);
        QCOMPARE(sheet.dimensionColumns, headers.size());
        for (int c = 0; c < headers.size(); ++c) {
            QCOMPARE(sheet.cells.at({0, c}).toString(), headers.at(c));
        }
        QList<int> kept;
        for (const int column : columns) {
            if (column >= 0 && column < 4) {
                kept.append(column);
            }
        }
        for (int r = 0; r < 40; ++r) {
            for (int c = 0; c < kept.size(); ++c) {
                const auto found = sheet.cells.find({r + 1, c});
                const QVariant expected = GridFileExport::cellValue(model, r, kept.at(c));
                if (expected.toString().isEmpty()) {
                    QVERIFY(found == sheet.cells.end());
                    continue;
                }
                QVERIFY2(found != sheet.cells.end(), qPrintable(QStringLiteral("row %1 col %2").arg(r).arg(c)));
                QCOMPARE(found->second.typeId(),
                         expected.typeId() == QMetaType::Int ? QMetaType::Double : QMetaType::QString);
                QCOMPARE(found->second.toString(), expected.toString());
            }
        }
        if (kept.first() == 0) {
            QCOMPARE(sheet.cells.at({1, 0}).toString(), QStringLiteral("Zoë <ö> \u4E2D\u6587"));
        }
        if (kept.first() == 2) {
            QCOMPARE(sheet.cells.at({2, 0}).toString(), QStringLiteral("True"));
            QCOMPARE(sheet.cells.at({3, 0}).toString(), QStringLiteral("False"));
        }
    }

    // 131,075 rows: three sheets, each with the header row; the stream needs more allocation-table sectors
    // than the header lists, so the DIFAT chain is used.
    void worksheetSplitsIntoSheets() {
        const int rows = 2 * GridFileExport::kRowsPerSheet + 5;
        GeneratedModel model(rows);
        const QString path = m_tmp.filePath(QStringLiteral("large.xls"));
        GridFileExport::write(model, {0, 1, 3}, path, GridFileExport::Format::Worksheet);
        const Workbook book = readWorkbook(path);
        QVERIFY(book.difatSectors > 0);
        QCOMPARE(book.sheets.size(), 3);
        const int counts[] = {GridFileExport::kRowsPerSheet, GridFileExport::kRowsPerSheet, 5};
        int modelRow = 0;
        for (int s = 0; s < 3; ++s) {
            const Sheet &sheet = book.sheets.at(s);
            QCOMPARE(sheet.name, QStringLiteral("Sheet%1").arg(s + 1));
            QCOMPARE(sheet.dimensionRows, counts[s] + 1);
            QCOMPARE(sheet.cells.size(), size_t(3 * (counts[s] + 1)));
            QCOMPARE(sheet.cells.at({0, 2}).toString(), QStringLiteral("Comments"));
            for (int r = 1; r <= counts[s]; ++r, ++modelRow) {
                QCOMPARE(sheet.cells.at({r, 0}).toString(), QStringLiteral("user%1@example.org").arg(modelRow));
                QCOMPARE(sheet.cells.at({r, 1}).toInt(), modelRow % 1000);
            }
        }
        QCOMPARE(modelRow, rows);
    }

    void emptyGridGivesHeaderOnly_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("worksheet") << int(GridFileExport::Format::Worksheet);
        QTest::newRow("html") << int(GridFileExport::Format::Html);
    }
    void emptyGridGivesHeaderOnly() {
        QFETCH(int, format);
        GeneratedModel model(0);
        const QString path = m_tmp.filePath(QStringLiteral("empty.%1").arg(format));
        GridFileExport::write(model, {0, 1}, path, GridFileExport::Format(format));
        if (GridFileExport::Format(format) == GridFileExport::Format::Worksheet) {
            const Workbook book = readWorkbook(path);
            QCOMPARE(book.sheets.size(), 1);
            QCOMPARE(book.sheets.first().cells.size(), size_t(2));
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            QVERIFY(html.contains(QStringLiteral("<th>E-mail</th><th>Bounce Count</th>")));
            QVERIFY(!html.contains(QStringLiteral("<td")));
        }
    }

    void htmlTableEscapesText() {
        const QList<QStringList> fixed{{QStringLiteral("a<b>&\"c\"'d'"), QString(), QString(), QStringLiteral("Zoë")}};
        GeneratedModel model(3, fixed);
        const QString path = m_tmp.filePath(QStringLiteral("page & co.html"));
        GridFileExport::write(model, {3, 0, 2}, path, GridFileExport::Format::Html);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QVERIFY(html.startsWith(QStringLiteral("<!DOCTYPE html>\r\n")));
        QVERIFY(html.contains(QStringLiteral("<meta charset=\"utf-8\">")));
        QVERIFY(html.contains(QStringLiteral("<title>page &amp; co</title>")));
        QVERIFY(html.contains(QStringLiteral("<tr><th>Comments</th><th>E-mail</th><th>Can Send</th></tr>")));
        QVERIFY(html.contains(
            QStringLiteral("<tr><td>Zoë</td><td>a&lt;b&gt;&amp;&quot;c&quot;&#39;d&#39;</td><td></td></tr>")));
        QVERIFY(html.contains(QStringLiteral("<td>user1@example.org</td><td>True</td>")));
        QCOMPARE(html.count(QStringLiteral("<tr>")), 4);
        QCOMPARE(html.count(QStringLiteral("</td>")), 9);
        QVERIFY(html.endsWith(QStringLiteral("</table>\r\n</body>\r\n</html>\r\n")));
    }

    void unwritablePathRaisesAndKeepsNothing_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("worksheet") << int(GridFileExport::Format::Worksheet);
        QTest::newRow("html") << int(GridFileExport::Format::Html);
    }
    void unwritablePathRaisesAndKeepsNothing() {
        QFETCH(int, format);
        GeneratedModel model(3);
        const QString path = m_tmp.filePath(QStringLiteral("missing/dir/out.file"));
        QVERIFY_THROWS_EXCEPTION(CorvaneError, GridFileExport::write(model, {0}, path, GridFileExport::Format(format)));
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestGridFileExport)
#include "tst_gridfileexport.moc"

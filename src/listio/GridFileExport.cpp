// The grid's worksheet and HTML export: walks the model once, row by row, writing through a buffered file
// that replaces the target only when complete.
#include "listio/GridFileExport.h"

#include "base/AtomicFile.h"
#include "base/CorvaneError.h"
#include "base/LineText.h"
#include "base/ProtectedFiles.h"
#include "listio/BiffWorkbook.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>

namespace corvane {

namespace {

QString cannotWrite(const QString &path) {
    return QStringLiteral("Unable to write to the file, ") + path;
}

bool isNumber(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

QString asText(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODate);
    default:
        return value.toString();
    }
}

QString headerText(const QAbstractItemModel &model, int column) {
    return model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

void writeWorksheet(const QAbstractItemModel &model, const QList<int> &columns, QFileDevice &file) {
    const QList<int> kept = columns.mid(0, BiffWorkbook::kMaxColumns);
    const int rows = model.rowCount();
    const int sheets = std::max(1, (rows + GridFileExport::kRowsPerSheet - 1) / GridFileExport::kRowsPerSheet);
    QStringList names;
    for (int i = 0; i < sheets; ++i) {
        names.append(QStringLiteral("Sheet%1").arg(i + 1));
    }
    BiffWorkbook book(file, names);
    const int columnCount = static_cast<int>(kept.size());
    for (int sheet = 0; sheet < sheets; ++sheet) {
        const int first = sheet * GridFileExport::kRowsPerSheet;
        const int count = std::min(GridFileExport::kRowsPerSheet, rows - first);
        book.beginSheet(count + 1, columnCount);
        for (int c = 0; c < columnCount; ++c) {
            book.text(0, c, headerText(model, kept.at(c)), true);
        }
        for (int r = 0; r < count; ++r) {
            for (int c = 0; c < columnCount; ++c) {
                const QVariant value = GridFileExport::cellValue(model, first + r, kept.at(c));
                if (isNumber(value)) {
                    book.number(r + 1, c, value.toDouble());
                } else {
                    const QString text = asText(value);
                    if (!text.isEmpty()) {
                        book.text(r + 1, c, text);
                    }
                }
            }
        }
        book.endSheet();
    }
    book.finish();
}

void put(QFileDevice &file, QByteArray &buffer, bool force) {
    if (buffer.size() >= 1 << 16 || (force && !buffer.isEmpty())) {
        if (file.write(buffer) != buffer.size()) {
            throw CorvaneError(cannotWrite(file.fileName()));
        }
        buffer.clear();
    }
}

void writeHtml(const QAbstractItemModel &model, const QList<int> &columns, const QString &path, QFileDevice &file) {
    QByteArray out;
    out.reserve(1 << 17);
    out += "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"utf-8\">\r\n<title>";
    out += GridFileExport::htmlEscaped(QFileInfo(path).completeBaseName()).toUtf8();
    out +=
        "</title>\r\n</head>\r\n<body>\r\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\r\n<thead>\r\n<tr>";
    for (const int column : columns) {
        out += "<th>";
        out += GridFileExport::htmlEscaped(headerText(model, column)).toUtf8();
        out += "</th>";
    }
    out += "</tr>\r\n</thead>\r\n<tbody>\r\n";
    const int rows = model.rowCount();
    for (int r = 0; r < rows; ++r) {
        out += "<tr>";
        for (const int column : columns) {
            const QVariant value = GridFileExport::cellValue(model, r, column);
            out += isNumber(value) ? "<td align=\"right\">" : "<td>";
            out += GridFileExport::htmlEscaped(asText(value)).toUtf8();
            out += "</td>";
        }
        out += "</tr>\r\n";
        put(file, out, false);
    }
    out += "</tbody>\r\n</table>\r\n</body>\r\n</html>\r\n";
    put(file, out, true);
}

} // namespace

QVariant GridFileExport::cellValue(const QAbstractItemModel &model, int row, int column) {
    const QModelIndex index = model.index(row, column);
    const QVariant display = model.data(index, Qt::DisplayRole);
    if (display.isValid()) {
        return display;
    }
    const QVariant check = model.data(index, Qt::CheckStateRole);
    if (check.isValid()) {
        return check.toInt() == Qt::Unchecked ? QStringLiteral("False") : QStringLiteral("True");
    }
    return QString();
}

QString GridFileExport::htmlEscaped(const QString &text) {
    QString escaped = LineText::oneLine(text).toHtmlEscaped();
    escaped.replace(QLatin1Char('\''), QStringLiteral("&#39;"));
    return escaped;
}

void GridFileExport::write(const QAbstractItemModel &model, const QList<int> &columns, const QString &path,
                           Format format) {
    QList<int> shown;
    for (const int column : columns) {
        if (column >= 0 && column < model.columnCount()) {
            shown.append(column);
        }
    }
    if (ProtectedFiles::isProtected(path)) {
        throw CorvaneError(ProtectedFiles::refusal(path));
    }
    AtomicFile file(path);
    if (!file.open()) {
        throw CorvaneError(cannotWrite(path));
    }
    if (format == Format::Worksheet) {
        writeWorksheet(model, shown, file.device());
    } else {
        writeHtml(model, shown, path, file.device());
    }
    if (!file.commit()) {
        throw CorvaneError(cannotWrite(path));
    }
}

} // namespace corvane

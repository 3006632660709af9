// Plain-text printing of the export lines.
#include "listio/ui/ListExportPrinter.h"

#include "base/CorvaneError.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace corvane::ui {

namespace {

// `line` cut into pieces no wider than `width`, each as long as fits (at least one character).
QStringList wrapped(const QString &line, const QFontMetrics &metrics, int width) {
    QStringList pieces;
    QString rest = line;
    while (metrics.horizontalAdvance(rest) > width && rest.size() > 1) {
        qsizetype low = 1;
        qsizetype high = rest.size() - 1;
        while (low < high) {
            const qsizetype middle = (low + high + 1) / 2;
            if (metrics.horizontalAdvance(rest.left(middle)) <= width) {
                low = middle;
            } else {
                high = middle - 1;
            }
        }
        pieces.append(rest.left(low));
        rest = rest.mid(low);
    }
    pieces.append(rest);
    return pieces;
}

// One print job: every page of the lines, or those of the printer's page range.
void printJob(QPrinter &printer, const QStringList &lines) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        throw CorvaneError(QStringLiteral("The printer could not be started"));
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int width = std::max(1, printer.width());
    const int height = std::max(1, printer.height());
    const int lineHeight = std::max(1, metrics.lineSpacing());
    const int linesPerPage = std::max(1, height / lineHeight);
    const bool ranged = printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0;
    const int fromPage = ranged ? printer.fromPage() : 1;
    const int toPage = ranged && printer.toPage() >= fromPage ? printer.toPage() : INT_MAX;

    int page = 1;
    int row = 0;
    bool pageStarted = false;
    auto place = [&](const QString &text) {
        if (row == linesPerPage) {
            row = 0;
            ++page;
        }
        if (page >= fromPage && page <= toPage) {
            if (row == 0 && pageStarted && !printer.newPage()) {
                throw CorvaneError(QStringLiteral("The printer refused a new page"));
            }
            pageStarted = true;
            painter.drawText(0, row * lineHeight + metrics.ascent(), text);
        }
        ++row;
    };
    for (const QString &line : lines) {
        if (page > toPage) {
            break;
        }
        for (const QString &piece : wrapped(line, metrics, width)) {
            place(piece);
        }
    }
    if (!painter.end()) {
        throw CorvaneError(QStringLiteral("The print job could not be finished"));
    }
}

} // namespace

void ListExportPrinter::printOnto(QPrinter &printer, const QStringList &lines, const QString &heading) {
    const int copies = std::max(1, printer.copyCount());
    printer.setDocName(heading);
    printer.setCopyCount(1);
    for (int copy = 0; copy < copies; ++copy) {
        printJob(printer, lines);
    }
}

void ListExportPrinter::print(QWidget *parent, const QStringList &lines, const QString &heading) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(heading);
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    printOnto(printer, lines, heading);
}

} // namespace corvane::ui

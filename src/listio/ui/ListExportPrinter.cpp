// Plain-text printing of the export lines.
#include "listio/ui/ListExportPrinter.h"

#include "base/CorvaneError.h"

#include <QFontDatabase>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

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

} // namespace

ListExportPrinter::ListExportPrinter(QWidget *parent)
    : m_parent(parent), m_owned(std::make_unique<QPrinter>(QPrinter::HighResolution)), m_printer(m_owned.get()) {}

ListExportPrinter::ListExportPrinter(QPrinter &printer) : m_printer(&printer) {}

ListExportPrinter::~ListExportPrinter() {
    abortCopy();
}

bool ListExportPrinter::choose(const QString &heading) {
    m_printer->setDocName(heading);
    if (m_owned) {
        QPrintDialog dialog(m_printer, m_parent);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
        dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
        dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
    }
    // Each copy is a job of its own, so the printer itself prints one.
    m_copies = std::max(1, m_printer->copyCount());
    m_printer->setCopyCount(1);
    return true;
}

void ListExportPrinter::beginCopy(const QString &heading) {
    m_printer->setDocName(heading);
    if (!m_painter.begin(m_printer)) {
        throw CorvaneError(QStringLiteral("The printer could not be started"));
    }
    m_font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_font.setPointSize(10);
    m_painter.setFont(m_font);
    m_metrics.emplace(m_font, m_printer);
    m_width = std::max(1, m_printer->width());
    m_lineHeight = std::max(1, m_metrics->lineSpacing());
    m_widestLatin1 = 1;
    for (char16_t c = 0x20; c < 0x100; ++c) {
        if (c < 0x7F || c >= 0xA0) {
            m_widestLatin1 = std::max(m_widestLatin1, m_metrics->horizontalAdvance(QChar(c)));
        }
    }
    const bool ranged = m_printer->printRange() == QPrinter::PageRange && m_printer->fromPage() > 0;
    m_flow.emplace(std::max(1, m_printer->height()) / m_lineHeight, ranged ? m_printer->fromPage() : 1,
                   ranged ? m_printer->toPage() : INT_MAX);
}

bool ListExportPrinter::addLine(const QString &line) {
    // A short line of Latin-1 characters (all in the printing font) fits without being measured.
    const bool fits = line.size() * m_widestLatin1 <= m_width &&
                      std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c.unicode() < 0x100; });
    for (const QString &piece : fits ? QStringList{line} : wrapped(line, *m_metrics, m_width)) {
        const PrintPageFlow::Place place = m_flow->next();
        if (!place.drawn) {
            continue;
        }
        if (place.newPage && !m_printer->newPage()) {
            throw CorvaneError(QStringLiteral("The printer refused a new page"));
        }
        m_painter.drawText(0, place.row * m_lineHeight + m_metrics->ascent(), piece);
    }
    return !m_flow->finished();
}

void ListExportPrinter::endCopy() {
    m_flow.reset();
    if (!m_painter.end()) {
        throw CorvaneError(QStringLiteral("The print job could not be finished"));
    }
}

void ListExportPrinter::abortCopy() noexcept {
    m_flow.reset();
    if (m_painter.isActive()) {
        m_printer->abort();
        m_painter.end();
    }
}

} // namespace corvane::ui

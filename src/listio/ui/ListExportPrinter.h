// Printing the lines of the list export: the print dialog (printer, page range, copies), then the lines as
// plain text as they come, page after page, once per copy, each copy its own print job titled with the print
// heading. Only the page being drawn is held.
#pragma once

#include "listio/ListPrintTarget.h"
#include "listio/PrintPageFlow.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace corvane::ui {

class ListExportPrinter : public ListPrintTarget {
public:
    // Prints on a printer chosen in the print dialog over `parent`.
    explicit ListExportPrinter(QWidget *parent);
    // Prints on `printer` as it is set up (its page range and copy count honoured); choose() asks nothing.
    explicit ListExportPrinter(QPrinter &printer);
    ~ListExportPrinter() override;

    bool choose(const QString &heading) override;
    int copies() const override { return m_copies; }
    void beginCopy(const QString &heading) override;
    // Lines wider than the page are continued on the next line.
    bool addLine(const QString &line) override;
    void endCopy() override;
    void abortCopy() noexcept override;

private:
    QWidget *m_parent = nullptr;
    std::unique_ptr<QPrinter> m_owned;
    QPrinter *m_printer = nullptr;
    int m_copies = 1;
    QPainter m_painter;
    QFont m_font;
    std::optional<QFontMetrics> m_metrics;
    std::optional<PrintPageFlow> m_flow;
    int m_width = 1;
    int m_lineHeight = 1;
    int m_widestLatin1 = 1; // the widest printable Latin-1 character
};

} // namespace corvane::ui

// Printing the lines of the list export: the print dialog (printer, page range, copies), then the lines as
// plain text, page after page, once per copy, each copy its own print job titled with the print heading.
#pragma once

#include <QStringList>

class QPrinter;
class QWidget;

namespace corvane::ui {

class ListExportPrinter {
public:
    // Asks for the printer; does nothing when the person cancels; otherwise prints with printOnto().
    // Raises CorvaneError when printing fails.
    static void print(QWidget *parent, const QStringList &lines, const QString &heading);

    // Prints `lines` on `printer` (its page range honoured) as many times as its copy count asks (0 counts
    // as 1), each copy one job named `heading`. Lines wider than the page are continued on the next line.
    // Raises CorvaneError when the printer cannot be started or refuses a page.
    static void printOnto(QPrinter &printer, const QStringList &lines, const QString &heading);
};

} // namespace corvane::ui

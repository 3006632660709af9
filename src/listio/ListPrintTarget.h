// Where the print form of the list export sends its lines: one line at a time, each copy its own job, so
// that printing a list of any length holds no more than the page being drawn. The printer behind it (the
// print dialog and QPrinter) lives in the window layer; the tests record the lines.
#pragma once

#include <QString>

namespace corvane {

class ListPrintTarget {
public:
    virtual ~ListPrintTarget() = default;

    // Asks for the printer and the number of copies, once before any line. False when the person cancels:
    // nothing is printed.
    virtual bool choose(const QString &heading) = 0;
    // The copies asked for in choose(), at least 1.
    virtual int copies() const = 0;
    // Starts one copy as a print job titled `heading`. Raises CorvaneError when the printer cannot be started.
    virtual void beginCopy(const QString &heading) = 0;
    // Prints one line after the previous one. False once the lines are past the last page wanted, so the
    // rest need not be read. Raises CorvaneError when the printer refuses a page.
    virtual bool addLine(const QString &line) = 0;
    // Finishes the copy's job. Raises CorvaneError when it cannot be finished.
    virtual void endCopy() = 0;
    // Throws the unfinished copy away (a cancelled or stopped run). Never raises.
    virtual void abortCopy() noexcept = 0;
};

} // namespace corvane

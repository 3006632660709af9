// A print target for tests: records the lines of each copy, can decline the choice, stop wanting lines after
// a number of them, or fail at a given line.
#pragma once

#include "base/CorvaneError.h"
#include "listio/ListPrintTarget.h"

#include <QStringList>

namespace corvane::test {

class RecordingPrintTarget : public ListPrintTarget {
public:
    bool choose(const QString &heading) override {
        chosenHeading = heading;
        return accept;
    }
    int copies() const override { return copyCount; }
    void beginCopy(const QString &heading) override {
        jobTitles.append(heading);
        jobs.append(QStringList());
    }
    bool addLine(const QString &line) override {
        if (jobs.last().size() == failAtLine) {
            throw CorvaneError(QStringLiteral("printer gone"));
        }
        jobs.last().append(line);
        return jobs.last().size() != wantedLines;
    }
    void endCopy() override { ++finished; }
    void abortCopy() noexcept override { ++aborted; }

    bool accept = true;    // the answer to choose()
    int copyCount = 1;     // what copies() says
    int wantedLines = -1;  // addLine() says "no more" after this many lines of a copy
    int failAtLine = -1;   // addLine() raises instead of taking this line (0-based) of a copy
    QString chosenHeading; // as given to choose()
    QStringList jobTitles; // one per beginCopy()
    QList<QStringList> jobs;
    int finished = 0;
    int aborted = 0;
};

} // namespace corvane::test

// Fitting the grid's columns to its width: the visible columns keep their proportions and share the width,
// and none becomes narrower than its caption needs.
#pragma once

#include <QList>

namespace corvane {

class ColumnFit {
public:
    // Widths for columns whose current widths are `widths` and whose captions need `minimums` (same
    // length), so that together they fill `available` pixels: each column gets its share of the width in
    // proportion to its current width, but never less than its minimum; the rounding rest goes to the last
    // column. When even the minimums do not fit, the minimums are returned (the grid then scrolls).
    // Non-positive current widths count as the minimum.
    static QList<int> fit(const QList<int> &widths, const QList<int> &minimums, int available);
};

} // namespace corvane

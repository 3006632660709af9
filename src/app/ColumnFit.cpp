// Proportional sharing of the grid's width among its visible columns.
#include "app/ColumnFit.h"

#include <algorithm>
#include <vector>

namespace corvane {

QList<int> ColumnFit::fit(const QList<int> &widths, const QList<int> &minimums, int available) {
    const qsizetype n = std::min(widths.size(), minimums.size());
    QList<int> result;
    result.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        result.append(0);
    }
    qint64 needed = 0;
    for (qsizetype i = 0; i < n; ++i) {
        needed += std::max(0, minimums.at(i));
    }
    if (n == 0 || needed >= available) {
        for (qsizetype i = 0; i < n; ++i) {
            result[i] = std::max(0, minimums.at(i));
        }
        return result;
    }
    // Columns held at their minimum drop out of the sharing; repeat until the rest all stay above theirs.
    std::vector<bool> held(static_cast<size_t>(n), false);
    for (bool changed = true; changed;) {
        changed = false;
        qint64 weight = 0;
        qint64 space = available;
        for (qsizetype i = 0; i < n; ++i) {
            if (held[static_cast<size_t>(i)]) {
                space -= std::max(0, minimums.at(i));
            } else {
                weight += std::max(widths.at(i), std::max(1, minimums.at(i)));
            }
        }
        for (qsizetype i = 0; i < n; ++i) {
            const int minimum = std::max(0, minimums.at(i));
            if (held[static_cast<size_t>(i)]) {
                result[i] = minimum;
                continue;
            }
            const qint64 own = std::max(widths.at(i), std::max(1, minimums.at(i)));
            result[i] = weight > 0 ? static_cast<int>(own * space / weight) : minimum;
            if (result.at(i) < minimum) {
                held[static_cast<size_t>(i)] = true;
                changed = true;
            }
        }
    }
    qint64 total = 0;
    for (const int width : std::as_const(result)) {
        total += width;
    }
    result[n - 1] += static_cast<int>(available - total);
    return result;
}

} // namespace corvane

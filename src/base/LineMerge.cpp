// Three-way merging of line lists.
#include "base/LineMerge.h"

#include <QHash>

namespace corvane {

QStringList LineMerge::merge(const QStringList &baseline, const QStringList &current, const QStringList &onDisk) {
    if (onDisk == baseline) {
        return current;
    }
    // Positive: added this many times; negative: removed.
    QHash<QString, qsizetype> change;
    for (const QString &line : current) {
        ++change[line];
    }
    for (const QString &line : baseline) {
        --change[line];
    }
    QStringList merged;
    merged.reserve(onDisk.size());
    for (const QString &line : onDisk) {
        const auto it = change.find(line);
        if (it != change.end() && it.value() < 0) {
            ++it.value();
            continue;
        }
        merged.append(line);
    }
    for (const QString &line : current) {
        const auto it = change.find(line);
        if (it.value() > 0) {
            --it.value();
            merged.append(line);
        }
    }
    return merged;
}

} // namespace corvane

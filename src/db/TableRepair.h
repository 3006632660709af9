// Repair of one damaged table file: every row that can still be read is copied into a fresh file, which
// then takes the damaged file's place; the damaged file is kept beside it as <name>.damaged-<n>, numbered
// on from the highest number already there, so that no earlier copy is ever replaced.
//
// Rows are read first through SQLite in key order, stepping over unreadable stretches of the table; when
// anything could not be read that way, every page of the file is then searched for further rows
// (PageSalvage). A row found both ways is copied once. Rows keep their keys, and the auto-increment
// counter never goes back, so keys are not reused after a repair.
#pragma once

#include "db/TableSchema.h"

#include <QString>
#include <functional>

namespace corvane {

class TableRepair {
public:
    using Progress = std::function<void(int percent)>;

    struct Result {
        qint64 rows = 0;      // rows in the repaired file
        bool damaged = false; // SQLite could not read the whole table; the pages were searched
        QString keptAs;       // where the file as it was before the repair now is
    };

    // Repairs `file`, which must exist and must not be open. `progress` receives 0..100. Raises CorvaneError
    // when the fresh file cannot be written or put in place; the damaged file is then left where it was.
    static Result repair(const QString &file, const TableSchema &schema, const Progress &progress);

    // The name under which the next damaged copy of `file` is kept: <file>.damaged-<n>, n one above the
    // highest number in use (1 for the first), none of its files existing.
    static QString damagedName(const QString &file);
};

} // namespace corvane

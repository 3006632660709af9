// How SQLite failures become Corvane's table-engine errors. Every failure of the table engine is a
// CorvaneError whose code says which of three classes it belongs to:
//
//   damaged file            SQLITE_NOTADB (the header is not a database)        -> 8961 (header damaged)
//                           SQLITE_CORRUPT_INDEX (an index b-tree is damaged)  -> 8965 (index damaged)
//                           any other SQLITE_CORRUPT, a failed integrity check -> 8962 (file damaged)
//   held by another user    SQLITE_BUSY or SQLITE_LOCKED while a table is being
//                           opened, after the busy retries                     -> 11013
//   anything else           SQLite's extended result code itself (for example 14 for SQLITE_CANTOPEN,
//                           5 for SQLITE_BUSY after the retries of a later write, 2067 for a unique key)
//
// Codes that SQLite never produces and that Corvane adds for its own checks: 8708 (the record was deleted
// by another user since it was read) and 10259 (the record was changed by another user), both raised only
// with strict change detection on. None of these numbers is a possible SQLite extended result code.
#pragma once

#include "base/CorvaneError.h"

#include <QString>

struct sqlite3;

namespace corvane {

class EngineError {
public:
    static constexpr int HeaderDamaged = 8961;
    static constexpr int FileDamaged = 8962;
    static constexpr int IndexDamaged = 8965;
    static constexpr int HeldByAnotherUser = 11013;
    static constexpr int RecordDeleted = 8708;
    static constexpr int RecordChanged = 10259;

    // True for every code that means "the table's file is damaged": 8711, 8961, 8962, 8963, 8965, 9217,
    // 9218, 9998, 10023 and 10029.
    static bool isDamage(int code);
    // True for the SQLite result codes (primary or extended) of a lock that could not be had.
    static bool isBusy(int sqliteCode);
    // The Corvane code of an SQLite result code (primary or extended), per the table above, outside opening.
    static int codeFor(int sqliteCode);

    // The error for result `rc` of an operation on `db`: SQLite's own message, then `context` in
    // parentheses when given. A damage code is noted beside the file (DamageNote), so that its next opening
    // runs the full check.
    static CorvaneError fromConnection(sqlite3 *db, int rc, const QString &context);
    // The error raised when `file` is held by another copy of the program.
    static CorvaneError heldByAnotherUser(const QString &file);
};

} // namespace corvane

// The layouts the list table has had, recognised from the columns in its file, and the rebuilds that bring
// an older one up to date without losing a row:
//   1.0  Item, Category, Bounces, Comments
//   1.1  Index, then the fields of 1.0
//   2.0  Index, Item, Category, Bounces, Comments, Name, Salutation, SendRights (the current layout)
// Files written before Corvane had its own collation declare the text fields that ignore letter case with
// SQLite's NOCASE, which folds A-Z only; opening such a file rebuilds its table with CORVANECASE.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class SqliteDatabase;
class TableSchema;

class TableLayout {
public:
    enum class Version { Missing, V10, V11, V20, Unknown };

    // The layout of a table with these columns (names compared ignoring letter case).
    static Version detect(const QStringList &columns);
    // The layout of tblML in `db`. Raises CorvaneError when the file cannot be read.
    static Version detect(SqliteDatabase &db);
    static QString name(Version version);

    // Layout 1.0 -> 1.1: rebuilds tblML with the auto-increment Index in front, numbering the rows in their
    // stored order, with the indexes ByCategory, ByBounce and ByItem. A table already at 1.1 or later is
    // left alone. One transaction: on failure nothing changes and CorvaneError is raised (also for a missing
    // or unrecognised table).
    static void upgradeTo11(SqliteDatabase &db);
    // Layout 1.1 -> 2.0: rebuilds tblML with Name and Salutation empty and SendRights true for every row,
    // keeping each row's Index (a missing or repeated Index gets a new number) and giving the table the
    // current indexes. A table already at 2.0 is left alone. One transaction: on failure nothing changes and
    // CorvaneError is raised (also for a missing or unrecognised table, and for a 1.0 table).
    static void upgradeTo20(SqliteDatabase &db);

    // True when the table of `schema` in `db` declares each text field with the collation `schema` gives it
    // and has each of `schema`'s indexes with its fields, their collations and its uniqueness. The table
    // must have `schema`'s fields. Raises CorvaneError when the file cannot be read.
    static bool collationsCurrent(SqliteDatabase &db, const TableSchema &schema);
    // Rebuilds the table of `schema` in `db` with `schema`'s collations and indexes unless they are
    // current, keeping every row with its key and the auto-increment counter. One transaction: a failure
    // (or a killed process) leaves the table as it was; raises CorvaneError.
    static void upgradeCollations(SqliteDatabase &db, const TableSchema &schema);
};

} // namespace corvane

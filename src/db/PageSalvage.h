// Last-resort reading of a damaged SQLite table file: walks every page of the file (with the committed
// frames of its WAL laid over them), and reads the rows of every table leaf page whose records have
// exactly the fields of the expected table. It finds the rows of intact pages even when the file header,
// the schema or the inner pages of the tree that lead to them are destroyed. Pages on the free list (when
// the header still names it) are skipped; Corvane's files are written with secure_delete, so freed pages
// hold no stale rows either. A row too long to fit in its page (never one of Corvane's rows with a
// 4096-byte page) is not read.
#pragma once

#include "db/TableRow.h"
#include "db/TableSchema.h"

#include <QString>
#include <functional>

namespace corvane {

class PageSalvage {
public:
    // Receives each row found: rowid and every field in the stored form (text or integer; the
    // auto-increment field carries the rowid).
    using RowSink = std::function<void(const TableRow &row)>;
    using Progress = std::function<void(int percent)>;

    // Scans `file` for rows of `schema`'s table. Returns the number of rows passed to `sink`. Raises
    // CorvaneError when the file cannot be read at all.
    static qint64 scan(const QString &file, const TableSchema &schema, const RowSink &sink, const Progress &progress);
};

} // namespace corvane

// The recipient set of a forwarded member post: the distinct addresses of the list (letter case ignored as
// the list table's collation ignores it), or of one category, in address order, read from the table's
// current content with one query however large the list is.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class SqliteTable;

class ForwardingRecipientSet {
public:
    // Every distinct address of `tblML` when `category` is empty, else of the entries whose category equals
    // it (letter case ignored), sorted as the table sorts addresses. Of addresses that differ only in letter
    // case the spelling of the oldest entry is given. The table's view (filter, order, current row) is neither
    // used nor moved. Raises CorvaneError when the table cannot be read.
    static QStringList build(SqliteTable &tblML, const QString &category);
};

} // namespace corvane

// One grouped, ordered query over the list table for the recipients of a forwarded post.
#include "requests/ForwardingRecipientSet.h"

#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"

namespace corvane {

QStringList ForwardingRecipientSet::build(SqliteTable &tblML, const QString &category) {
    // Item and Category carry Corvane's letter-case collation, so the equality, the grouping and the order ignore
    // letter case exactly as every other comparison with the list does. The bare Item of a group with
    // min(rowid) comes from the row holding that minimum: the oldest entry's spelling.
    const QString table = TableSchema::quote(tblML.schema().tableName);
    QString sql = QStringLiteral("SELECT \"Item\", min(rowid) FROM ") + table;
    if (!category.isEmpty())
        sql += QStringLiteral(" WHERE \"Category\" = ?1");
    sql += QStringLiteral(" GROUP BY \"Item\" ORDER BY \"Item\"");

    SqliteStatement query(tblML.database().handle(), sql);
    const StatementReset reset(query);
    if (!category.isEmpty())
        query.bindText(1, category);
    QStringList addresses;
    while (query.step())
        addresses.append(query.columnText(0));
    return addresses;
}

} // namespace corvane

// One row of a table as read: its SQLite rowid (the key by which it is found again) and its field values
// in field order, each as its field's kind (QString, int, bool or QDate).
#pragma once

#include <QVariantList>

namespace corvane {

struct TableRow {
    qint64 rowid = 0;
    QVariantList values;
};

} // namespace corvane

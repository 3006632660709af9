// Recognising and rebuilding older layouts of the list table.
#include "db/TableLayout.h"

#include "base/CorvaneError.h"
#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"
#include "db/TableSchema.h"

#include <QMap>
#include <sqlite3.h>

namespace corvane {

namespace {
const QString ListTable = QStringLiteral("tblML");

QString rebuildName(const TableSchema &target) {
    return target.tableName + QStringLiteral("_rebuild");
}

bool sameNames(const QStringList &columns, const QStringList &expected) {
    if (columns.size() != expected.size()) {
        return false;
    }
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).compare(expected.at(i), Qt::CaseInsensitive) != 0) {
            return false;
        }
    }
    return true;
}

int indexOfName(const QStringList &names, const QString &name) {
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QStringList fieldNames(const TableSchema &schema) {
    QStringList names;
    for (const TableSchema::Field &field : schema.fields) {
        names.append(field.name);
    }
    return names;
}

// Layout 1.1: the current table without the three fields of 2.0.
const TableSchema &layout11() {
    static const TableSchema schema = [] {
        TableSchema s = TableSchema::listTable();
        s.fields = s.fields.mid(0, 5);
        return s;
    }();
    return schema;
}

// The auto-increment counter of `table`, or 0 when it has none.
qint64 sequenceOf(SqliteDatabase &db, const QString &table) {
    if (db.queryInt(QStringLiteral("SELECT count(*) FROM sqlite_schema WHERE name = 'sqlite_sequence'")) == 0) {
        return 0;
    }
    SqliteStatement query(db.handle(), QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?1"));
    StatementReset guard(query);
    query.bindText(1, table);
    return query.step() ? query.columnInt(0) : 0;
}

// Raises the auto-increment counter of `table` to at least `sequence`.
void keepSequence(SqliteDatabase &db, const QString &table, qint64 sequence) {
    if (sequence <= 0 || sequenceOf(db, table) >= sequence) {
        return;
    }
    SqliteStatement update(db.handle(), QStringLiteral("UPDATE sqlite_sequence SET seq = ?1 WHERE name = ?2"));
    update.bindInt(1, sequence);
    update.bindText(2, table);
    update.execute();
    if (db.changes() == 0) {
        SqliteStatement insert(db.handle(), QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)"));
        insert.bindText(1, table);
        insert.bindInt(2, sequence);
        insert.execute();
    }
}

// The collation SQLite reports for `column` of `table` ("BINARY" when none is declared), upper-cased.
QString columnCollation(SqliteDatabase &db, const QString &table, const QString &column) {
    const char *type = nullptr;
    const char *collation = nullptr;
    const QByteArray tableName = table.toUtf8();
    const QByteArray columnName = column.toUtf8();
    const int rc = sqlite3_table_column_metadata(db.handle(), nullptr, tableName.constData(), columnName.constData(),
                                                 &type, &collation, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK || collation == nullptr) {
        return QString();
    }
    return QString::fromUtf8(collation).toUpper();
}

QString expectedCollation(const TableSchema::Field &field) {
    return field.noCase ? QString::fromLatin1(SqliteDatabase::CaseCollation) : QStringLiteral("BINARY");
}

// True when `table` has the index `index` with exactly its fields, their collations and its uniqueness.
bool hasIndex(SqliteDatabase &db, const TableSchema &schema, const TableSchema::Index &index) {
    SqliteStatement list(db.handle(), QStringLiteral("SELECT \"unique\" FROM pragma_index_list(?1) WHERE name = ?2"));
    StatementReset listGuard(list);
    list.bindText(1, schema.tableName);
    list.bindText(2, index.name);
    if (!list.step() || (list.columnInt(0) != 0) != index.unique) {
        return false;
    }
    SqliteStatement columns(
        db.handle(), QStringLiteral("SELECT name, coll FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno"));
    StatementReset columnsGuard(columns);
    columns.bindText(1, index.name);
    int position = 0;
    while (columns.step()) {
        if (position >= index.fields.size()) {
            return false;
        }
        const int field = schema.fieldIndex(index.fields.at(position++));
        if (field < 0 || columns.columnText(0).compare(schema.fields.at(field).name, Qt::CaseInsensitive) != 0 ||
            columns.columnText(1).toUpper() != expectedCollation(schema.fields.at(field))) {
            return false;
        }
    }
    return position == index.fields.size();
}

// Copies every row of `target`'s table into a new table of `target`'s layout, row by row in stored order,
// and puts it in the old one's place, with `target`'s indexes. Fields the old table lacks take `added`'s
// value or their default. The auto-increment counter never goes back. One transaction.
void rebuild(SqliteDatabase &db, const TableSchema &target, const QMap<QString, QVariant> &added) {
    const QString table = target.tableName;
    const QString rebuilt = rebuildName(target);
    const QStringList source = db.columnNames(table);
    db.begin();
    try {
        const qint64 sequence = sequenceOf(db, table);
        db.exec(QStringLiteral("DROP TABLE IF EXISTS ") + TableSchema::quote(rebuilt));
        db.exec(target.createTableSql(rebuilt));
        QList<int> sourceColumn;
        QStringList selected{QStringLiteral("rowid")};
        for (const TableSchema::Field &field : target.fields) {
            const int at = indexOfName(source, field.name);
            sourceColumn.append(at < 0 ? -1 : static_cast<int>(selected.size()));
            if (at >= 0) {
                selected.append(TableSchema::quote(source.at(at)));
            }
        }
        SqliteStatement read(db.handle(), QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                              .arg(selected.join(QStringLiteral(", ")), TableSchema::quote(table)));
        QStringList params;
        for (int i = 1; i <= target.fields.size(); ++i) {
            params.append(QLatin1Char('?') + QString::number(i));
        }
        SqliteStatement insert(
            db.handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                             .arg(TableSchema::quote(rebuilt), target.columnList(), params.join(QStringLiteral(", "))));
        const int key = target.autoIncrementField();
        StatementReset readGuard(read);
        while (read.step()) {
            for (int i = 0; i < target.fields.size(); ++i) {
                const TableSchema::Field &field = target.fields.at(i);
                QVariant value =
                    sourceColumn.at(i) < 0 ? added.value(field.name) : read.columnValue(sourceColumn.at(i));
                if (i == key) {
                    const qint64 number = value.toLongLong();
                    insert.bind(i + 1, number >= 1 && number <= INT32_MAX ? QVariant(number) : QVariant());
                } else {
                    insert.bind(i + 1, TableSchema::storableOrDefault(field, value));
                }
            }
            try {
                insert.execute();
            } catch (const CorvaneError &error) {
                // A repeated Index: the row keeps its data under a new number.
                if (key < 0 || (error.code() & 0xff) != SQLITE_CONSTRAINT) {
                    throw;
                }
                insert.bindNull(key + 1);
                insert.execute();
            }
        }
        read.reset();
        db.exec(QStringLiteral("DROP TABLE ") + TableSchema::quote(table));
        db.exec(
            QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(TableSchema::quote(rebuilt), TableSchema::quote(table)));
        db.exec(target.createIndexesSql());
        keepSequence(db, table, sequence);
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}
} // namespace

TableLayout::Version TableLayout::detect(const QStringList &columns) {
    if (columns.isEmpty()) {
        return Version::Missing;
    }
    const QStringList current = fieldNames(TableSchema::listTable());
    if (sameNames(columns, current)) {
        return Version::V20;
    }
    if (sameNames(columns, current.mid(0, 5))) {
        return Version::V11;
    }
    if (sameNames(columns, current.mid(1, 4))) {
        return Version::V10;
    }
    return Version::Unknown;
}

TableLayout::Version TableLayout::detect(SqliteDatabase &db) {
    return detect(db.columnNames(ListTable));
}

QString TableLayout::name(Version version) {
    switch (version) {
    case Version::Missing:
        return QStringLiteral("no table");
    case Version::V10:
        return QStringLiteral("1.0");
    case Version::V11:
        return QStringLiteral("1.1");
    case Version::V20:
        return QStringLiteral("2.0");
    case Version::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

void TableLayout::upgradeTo11(SqliteDatabase &db) {
    const Version version = detect(db);
    if (version == Version::V11 || version == Version::V20) {
        return;
    }
    if (version != Version::V10) {
        throw CorvaneError(
            QStringLiteral("%1 does not hold a list table of a known layout (%2)").arg(db.path(), name(version)));
    }
    rebuild(db, layout11(), {});
}

bool TableLayout::collationsCurrent(SqliteDatabase &db, const TableSchema &schema) {
    for (const TableSchema::Field &field : schema.fields) {
        if (field.kind == TableSchema::Kind::Text &&
            columnCollation(db, schema.tableName, field.name) != expectedCollation(field)) {
            return false;
        }
    }
    for (const TableSchema::Index &index : schema.indexes) {
        if (!hasIndex(db, schema, index)) {
            return false;
        }
    }
    return true;
}

void TableLayout::upgradeCollations(SqliteDatabase &db, const TableSchema &schema) {
    if (!collationsCurrent(db, schema)) {
        rebuild(db, schema, {});
    }
}

void TableLayout::upgradeTo20(SqliteDatabase &db) {
    const Version version = detect(db);
    if (version == Version::V20) {
        return;
    }
    if (version != Version::V11) {
        throw CorvaneError(
            QStringLiteral("%1 does not hold a list table of layout 1.1 (%2)").arg(db.path(), name(version)));
    }
    rebuild(db, TableSchema::listTable(),
            {{QStringLiteral("Name"), QString()},
             {QStringLiteral("Salutation"), QString()},
             {QStringLiteral("SendRights"), true}});
}

} // namespace corvane

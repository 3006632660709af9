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
const QString RebuildTable = QStringLiteral("tblML_rebuild");

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

// Copies every row of tblML into a new table of `target`'s layout, row by row in stored order, and puts it
// in tblML's place. Fields the old table lacks take `added`'s value or their default.
void rebuild(SqliteDatabase &db, const TableSchema &target, const QMap<QString, QVariant> &added) {
    const QStringList source = db.columnNames(ListTable);
    db.begin();
    try {
        db.exec(QStringLiteral("DROP TABLE IF EXISTS ") + TableSchema::quote(RebuildTable));
        db.exec(target.createTableSql(RebuildTable));
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
                                              .arg(selected.join(QStringLiteral(", ")), TableSchema::quote(ListTable)));
        QStringList params;
        for (int i = 1; i <= target.fields.size(); ++i) {
            params.append(QLatin1Char('?') + QString::number(i));
        }
        SqliteStatement insert(db.handle(), QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                .arg(TableSchema::quote(RebuildTable), target.columnList(),
                                                     params.join(QStringLiteral(", "))));
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
        db.exec(QStringLiteral("DROP TABLE ") + TableSchema::quote(ListTable));
        db.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2")
                    .arg(TableSchema::quote(RebuildTable), TableSchema::quote(ListTable)));
        db.exec(target.createIndexesSql());
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

// Corvane's three table definitions and the value rules of their fields.
#include "db/TableSchema.h"

#include "base/CorvaneError.h"
#include "db/SqliteDatabase.h"

#include <QDate>

namespace corvane {

namespace {
using Field = TableSchema::Field;
using Kind = TableSchema::Kind;

Field text(const QString &name, int width, bool noCase = false) {
    return Field{name, Kind::Text, width, QString(), false, noCase};
}
Field integer(const QString &name) {
    return Field{name, Kind::Integer, 0, 0, false, false};
}

QString truncated(const QString &text, int width) {
    if (width <= 0 || text.size() <= width) {
        return text;
    }
    int cut = width;
    if (text.at(cut - 1).isHighSurrogate()) {
        --cut;
    }
    return text.left(cut);
}

QString sqlLiteral(const QVariant &value) {
    if (value.isNull()) {
        return QStringLiteral("NULL");
    }
    if (value.typeId() == QMetaType::QString) {
        QString escaped = value.toString();
        escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
        return QLatin1Char('\'') + escaped + QLatin1Char('\'');
    }
    return QString::number(value.toLongLong());
}
} // namespace

int TableSchema::fieldIndex(const QString &name) const {
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

int TableSchema::autoIncrementField() const {
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).kind == Kind::AutoIncrement) {
            return i;
        }
    }
    return -1;
}

QString TableSchema::quote(const QString &identifier) {
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString TableSchema::createTableSql(const QString &name) const {
    QStringList columns;
    for (const Field &field : fields) {
        QString column = quote(field.name);
        switch (field.kind) {
        case Kind::AutoIncrement:
            // The key is a 32-bit number; the check refuses a row once the numbers are used up.
            column += QStringLiteral(" INTEGER PRIMARY KEY AUTOINCREMENT CHECK (%1 BETWEEN 1 AND 2147483647)")
                          .arg(quote(field.name));
            break;
        case Kind::Text:
        case Kind::Date:
            column += QStringLiteral(" TEXT");
            break;
        case Kind::Integer:
        case Kind::Boolean:
            column += QStringLiteral(" INTEGER");
            break;
        }
        if (field.kind != Kind::AutoIncrement) {
            column += QStringLiteral(" NOT NULL");
            if (!field.required) {
                column += QStringLiteral(" DEFAULT ") + sqlLiteral(storable(field, field.fallback));
            }
        }
        if (field.noCase) {
            column += QStringLiteral(" COLLATE ") + QLatin1String(SqliteDatabase::CaseCollation);
        }
        columns.append(column);
    }
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(quote(name.isEmpty() ? tableName : name), columns.join(QStringLiteral(", ")));
}

QString TableSchema::createIndexesSql() const {
    QString sql;
    for (const Index &index : indexes) {
        QStringList columns;
        for (const QString &field : index.fields) {
            columns.append(quote(field));
        }
        sql += QStringLiteral("CREATE %1INDEX %2 ON %3 (%4);")
                   .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), quote(index.name), quote(tableName),
                        columns.join(QStringLiteral(", ")));
    }
    return sql;
}

QString TableSchema::columnList() const {
    QStringList columns;
    for (const Field &field : fields) {
        columns.append(quote(field.name));
    }
    return columns.join(QStringLiteral(", "));
}

QVariant TableSchema::storable(const Field &field, const QVariant &value) {
    const QVariant given = value.isNull() ? field.fallback : value;
    switch (field.kind) {
    case Kind::Text:
        return truncated(given.toString(), field.width);
    case Kind::Boolean:
        return given.isNull() ? QVariant() : QVariant(given.toBool() ? 1 : 0);
    case Kind::AutoIncrement:
    case Kind::Integer: {
        if (given.isNull()) {
            return QVariant();
        }
        bool ok = false;
        const qint64 number = given.toLongLong(&ok);
        if (!ok || number < INT32_MIN || number > INT32_MAX) {
            throw CorvaneError(
                QStringLiteral("'%1' is not a valid value for the field %2").arg(given.toString(), field.name));
        }
        return QVariant(number);
    }
    case Kind::Date: {
        if (given.isNull()) {
            return QVariant();
        }
        const QDate date =
            given.typeId() == QMetaType::QDate ? given.toDate() : QDate::fromString(given.toString(), Qt::ISODate);
        if (!date.isValid()) {
            throw CorvaneError(
                QStringLiteral("'%1' is not a valid date for the field %2").arg(given.toString(), field.name));
        }
        return date.toString(Qt::ISODate);
    }
    }
    return given;
}

QVariant TableSchema::storableOrDefault(const Field &field, const QVariant &value) {
    try {
        return storable(field, value);
    } catch (const CorvaneError &) {
        return storable(field, QVariant());
    }
}

QVariant TableSchema::readable(const Field &field, const QVariant &stored) {
    switch (field.kind) {
    case Kind::Text:
        return stored.isNull() ? QString(QLatin1String("")) : stored.toString();
    case Kind::Boolean:
        return stored.toLongLong() != 0;
    case Kind::AutoIncrement:
    case Kind::Integer:
        return static_cast<int>(stored.toLongLong());
    case Kind::Date:
        return QDate::fromString(stored.toString(), Qt::ISODate);
    }
    return stored;
}

// The list table. Index is the table's rowid, so the unique primary index on Index;Item needs no index of
// its own. Item and Category carry Corvane's collation CORVANECASE: their indexes, the orders by them and
// every comparison with them ignore letter case, of every letter and not of A-Z alone. ByBounce orders numbers, for
// which letter case means nothing. Every index ends in the rowid, which orders equal values and lets a walk resume from
// any row.
const TableSchema &TableSchema::listTable() {
    static const TableSchema schema{QStringLiteral("tblML"),
                                    {Field{QStringLiteral("Index"), Kind::AutoIncrement, 0, QVariant(), false, false},
                                     text(QStringLiteral("Item"), 80, true), text(QStringLiteral("Category"), 80, true),
                                     integer(QStringLiteral("Bounces")), text(QStringLiteral("Comments"), 80),
                                     text(QStringLiteral("Name"), 50), text(QStringLiteral("Salutation"), 25),
                                     Field{QStringLiteral("SendRights"), Kind::Boolean, 0, false, false, false}},
                                    {{QStringLiteral("ByCategory"), {QStringLiteral("Category")}, false},
                                     {QStringLiteral("ByBounce"), {QStringLiteral("Bounces")}, false},
                                     {QStringLiteral("ByItem"), {QStringLiteral("Item")}, false}},
                                    QStringLiteral("Item")};
    return schema;
}

// The statistics table: one row per day, Date stored as yyyy-MM-dd text, which orders by date.
const TableSchema &TableSchema::statsTable() {
    static const TableSchema schema{QStringLiteral("tblStats"),
                                    {Field{QStringLiteral("Date"), Kind::Date, 0, QVariant(), true, false},
                                     integer(QStringLiteral("Subscribes")), integer(QStringLiteral("Unsubscribes")),
                                     integer(QStringLiteral("Bounces")), text(QStringLiteral("Notes"), 200)},
                                    {{QStringLiteral("tblStatsIndex1"), {QStringLiteral("Date")}, true}},
                                    QStringLiteral("Date")};
    return schema;
}

// The in-memory recipient table: its unique key on Email ignores letter case, so an address already present
// in any letter case is refused. Its Salutation is narrower than the list table's; longer ones are cut.
const TableSchema &TableSchema::tempTable() {
    static const TableSchema schema{QStringLiteral("TempTable"),
                                    {text(QStringLiteral("Email"), 80, true), text(QStringLiteral("Name"), 50),
                                     text(QStringLiteral("Salutation"), 20)},
                                    {{QStringLiteral("TempTableIndex1"), {QStringLiteral("Email")}, true}},
                                    QString()};
    return schema;
}

} // namespace corvane

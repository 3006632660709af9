// The definitions of Corvane's tables: field names, kinds, widths and defaults, indexes, default order and
// the SQL that creates them. The list table tblML, the statistics table tblStats and the in-memory
// recipient table tblTemp ("TempTable") are defined here and nowhere else.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace corvane {

class TableSchema {
public:
    enum class Kind { AutoIncrement, Text, Integer, Boolean, Date };

    struct Field {
        QString name;
        Kind kind = Kind::Text;
        int width = 0;     // characters, for text fields
        QVariant fallback; // value of a field that a new row does not set
        bool required = false;
        bool noCase = false; // compared and ordered ignoring letter case (collation CORVANECASE)
    };

    struct Index {
        QString name;
        QStringList fields;
        bool unique = false;
    };

    QString tableName;
    QList<Field> fields;
    QList<Index> indexes;
    QString defaultOrder; // field names separated by ";"

    // The position of `name` among the fields (letter case ignored), or -1.
    int fieldIndex(const QString &name) const;
    // The auto-increment field's position, or -1 when the table has none.
    int autoIncrementField() const;

    // CREATE TABLE for this table named `name` (the table's own name when empty).
    QString createTableSql(const QString &name = QString()) const;
    // CREATE INDEX statements for the indexes, each followed by ";".
    QString createIndexesSql() const;
    // The quoted column list "a","b",... of every field.
    QString columnList() const;

    // `value` as it is stored in `field`: text truncated to the field's width (a surrogate pair is never
    // split), integers and booleans as numbers, dates as yyyy-MM-dd, null as the field's fallback. Raises
    // CorvaneError when the value cannot be stored in the field (an integer field given "abc").
    static QVariant storable(const Field &field, const QVariant &value);
    // storable(), but a value the field cannot hold gives the field's default instead of failing: for
    // copying rows out of old or damaged files, where one odd value must not cost the whole row.
    static QVariant storableOrDefault(const Field &field, const QVariant &value);
    // A stored value read back as the field's kind: QString, int, bool or QDate.
    static QVariant readable(const Field &field, const QVariant &stored);

    static QString quote(const QString &identifier);

    static const TableSchema &listTable();
    static const TableSchema &statsTable();
    static const TableSchema &tempTable();
};

} // namespace corvane

// A row filter of a table as an SQL condition with bound values, never with typed text pasted into the
// SQL. Category filters keep the rows whose category begins with any of a list of prefixes (include mode)
// or with none of them (exclude mode), letter case ignored.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace corvane {

class TableFilter {
public:
    enum class Mode { Include, Exclude };

    // No condition: every row passes.
    TableFilter() = default;

    // Rows whose `field` begins (letter case ignored) with any of `prefixes` (Include) or with none of them
    // (Exclude). Each prefix is matched literally: no character has a special meaning. The test is a range
    // of the field's collation (prefix <= value < LetterCase::prefixEnd(prefix)), which an index on the field
    // serves. An empty list gives no condition.
    static TableFilter prefixes(const QString &field, Mode mode, const QStringList &prefixes);
    // The category filter of the list view: `text` split at "," with each item trimmed and empty items
    // dropped ("news" -> news*, "a, b" -> a* and b*), on the field Category.
    static TableFilter categories(Mode mode, const QString &text);
    // Rows whose `field` equals `value` (text ignoring letter case; a null value keeps the rows without one).
    static TableFilter equals(const QString &field, const QVariant &value);
    // Rows that both `first` and `second` keep.
    static TableFilter both(const TableFilter &first, const TableFilter &second);
    // Splits a comma-separated filter text into trimmed, non-empty items.
    static QStringList splitList(const QString &text);

    bool isEmpty() const { return m_sql.isEmpty(); }
    // The field the condition tests; empty when there is none, or when it tests several.
    QString field() const { return m_field; }
    // The condition, with "?" placeholders, to be combined with AND; empty when there is none.
    QString sql() const { return m_sql; }
    // The same condition written so that no index serves it (the column behind a unary "+"), for a walk
    // that follows another index's order and tests each row: the same placeholders and values as sql().
    QString scanSql() const { return m_scanSql; }
    // The values for the placeholders, in order.
    QVariantList values() const { return m_values; }

private:
    QString m_field;
    QString m_sql;
    QString m_scanSql;
    QVariantList m_values;
};

} // namespace corvane

// The list view grouped by one column: one top row per distinct value of that field in the table's current
// view (filter in force, letter case ignored), showing the value and its number of entries, with the
// entries of each group as child rows read a page at a time when the group is opened.
#pragma once

#include "db/TableRow.h"

#include <QAbstractItemModel>
#include <QPointer>
#include <vector>

namespace corvane {

class SqliteTable;

class GroupedListModel : public QAbstractItemModel {
    Q_OBJECT

public:
    static constexpr int kPageSize = 500;

    explicit GroupedListModel(QObject *parent = nullptr);

    // Groups `table` by the grid column `column` (0 E-mail ... 6 Can Send); a null table or a column of -1
    // shows nothing.
    void setSource(SqliteTable *table, int column);
    int groupColumn() const { return m_column; }
    // Reads the groups again (after a change of the table, its order or its filter).
    void refresh();

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The number of entries in group `group`, and its value.
    qint64 groupCount(int group) const;
    QVariant groupValue(int group) const;
    // The entry shown in child row `row` of group `group` (empty when not read yet).
    TableRow entryAt(int group, int row) const;

private:
    struct Group {
        QVariant value;
        qint64 count = 0;
        std::vector<TableRow> entries;
    };

    QString whereClause() const;

    QPointer<SqliteTable> m_table;
    int m_column = -1;
    std::vector<Group> m_groups;
};

} // namespace corvane

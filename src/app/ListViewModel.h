// The main window's grid data: the list table's current view (order and filter) as a table model that
// reads rows a page at a time, so a list of a million entries never sits in memory or in widgets.
#pragma once

#include "db/SqliteTable.h"
#include "db/TableRow.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <algorithm>
#include <functional>
#include <list>
#include <map>

namespace corvane {

class ListViewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kPageSize = 256;
    // Pages kept in memory unless a record cache size is set.
    static constexpr int kMaxPages = 64;

    explicit ListViewModel(QObject *parent = nullptr);

    // Shows `table` (null: nothing). The model follows the table's order, filter, posts and deletions.
    void setTable(SqliteTable *table);
    SqliteTable *table() const { return m_table; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // In-line editing: the entry of the row is found by its Index, the field written and posted at once.
    // False (and the entry unchanged) when editing is off, the address check refuses a new address, or the
    // table refuses the value.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // Limits the rows kept in memory to about `rows` (at least four pages); 0 restores the default.
    void setCacheRows(int rows) { m_maxPages = rows > 0 ? std::max(4, (rows + kPageSize - 1) / kPageSize) : kMaxPages; }
    int maxPages() const { return m_maxPages; }

    // The check of an address typed into the E-mail column: returns false to refuse it (having told the
    // person why); a refused edit leaves the entry unchanged. Unset, every address is taken.
    void setAddressCheck(std::function<bool(const QString &address)> check) { m_addressCheck = std::move(check); }

    // Whether cells can be edited in place.
    void setEditable(bool editable) { m_editable = editable; }
    bool editable() const { return m_editable; }

    // The entry shown in `row` (its fields in table order), read from the cache or the table; an empty row
    // when the row does not exist or cannot be read.
    TableRow rowAt(int row) const;
    // The row showing the entry whose Index is `key`, counted through the view's index (no page is read);
    // -1 when the view does not show it or it cannot be counted.
    int rowOfKey(int key) const;
    // How many pages were read from the table since the last refresh (for tests and benchmarks).
    int pagesRead() const { return m_pagesRead; }

    // Reads the count again and forgets every cached row.
    void refresh();
    // While not following (a modal job works on the table), changes of the table are not shown; following
    // again reads the view anew.
    void setFollowing(bool following);
    bool following() const { return m_following; }
    // The list table posted a change: a post of this model's own edit keeps the rows in place.
    void tablePosted();

private:
    const QList<TableRow> *page(qint64 number) const;

    QPointer<SqliteTable> m_table;
    int m_count = 0;
    mutable std::map<qint64, QList<TableRow>> m_pages;
    mutable std::list<qint64> m_recent;
    mutable int m_pagesRead = 0;
    bool m_editable = false;
    bool m_following = true;
    int m_maxPages = kMaxPages;
    // The row being posted by setData, or -1.
    int m_postingRow = -1;
    int m_postingColumn = -1;
    std::function<bool(const QString &)> m_addressCheck;
};

} // namespace corvane

// The daily statistics as an editable table: every row of tblStats, ordered by date, with the three counters
// and the notes editable and each change posted to the table at once; inserting a new day, deleting a day
// after asking, the totals over all days and the points of the chart of the three counts over time. The
// statistics window and the command line show the table through it.
#pragma once

#include "base/UserPrompt.h"
#include "db/SqliteTable.h"
#include "db/TableRow.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QList>
#include <QPointF>
#include <QPointer>

namespace corvane {

class StatisticsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The columns, in the order of the table's fields.
    enum Column { DateColumn, SubscribesColumn, UnsubscribesColumn, BouncesColumn, NotesColumn, ColumnCount };

    struct Totals {
        qint64 subscribes = 0;
        qint64 unsubscribes = 0;
        qint64 bounces = 0;
    };

    static constexpr int kNotesWidth = 200;

    // The model reads `tblStats` only when reload() is called. Failures of edits, insertions and deletions
    // are reported through `prompt`.
    StatisticsModel(UserPrompt &prompt, SqliteTable &tblStats, QObject *parent = nullptr);

    // Reads every row of the table again, ordered by date. Raises CorvaneError when the table cannot be
    // read; the model is then empty.
    void reload();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    // Display and edit roles: the date as a QDate, the counters as int, the notes as text.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Column headings are the field names; row headings are empty.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Every column but the date is editable.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Writes one counter (a whole number from 0 to 2147483647) or the notes (cut to 200 characters) into the
    // row's record and posts it. False, with nothing changed, for the date column, an index out of range or
    // a value that is not such a number. A table failure is shown as a warning, the pending edit is
    // discarded, the rows are read again and the result is false.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // The date of `row`, or an invalid date.
    QDate dateAt(int row) const;
    // The row showing `date`, or -1.
    int rowOf(const QDate &date) const;

    // The date a new row gets: `today` when no row has it, otherwise the first later day without a row,
    // so that a new row never repeats a date.
    QDate newRowDate(const QDate &today = QDate::currentDate()) const;
    // Appends the row of newRowDate(today) with the three counters at 0 and no notes and returns its row.
    // A table failure is shown as a warning, the rows are read again and the result is -1.
    int InsertRecord(const QDate &today = QDate::currentDate());
    // Asks "Delete this record?" (Yes/No) and deletes the row's record on Yes. True when it was deleted.
    // A table failure is shown as a warning, the rows are read again and the result is false.
    bool DeleteRecord(int row);

    // The sums of the three counters over every row.
    Totals totals() const;
    // One point per row, in date order, of the counter in `column` (Subscribes, Unsubscribes or Bounces):
    // x is the start of the day in local time in milliseconds since the epoch, y the count. Empty for any
    // other column.
    QList<QPointF> chartPoints(int column) const;

signals:
    // The rows or any count changed: the totals and the chart must be shown again.
    void countsChanged();

private:
    void sortRows();
    void onTableChanged();
    void reportFailure(const QString &message);
    void locateRow(int row);

    UserPrompt &m_prompt;
    QPointer<SqliteTable> m_table;
    QList<TableRow> m_rows;
    // True while this model itself changes the table, so that its own posts do not read the rows again.
    bool m_changing = false;
};

} // namespace corvane

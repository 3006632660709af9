// The editable model of the daily statistics over tblStats.
#include "db/StatisticsModel.h"

#include "base/CorvaneError.h"

#include <QDateTime>
#include <algorithm>
#include <limits>
#include <sqlite3.h>

namespace corvane {

namespace {
QDate rowDate(const TableRow &row) {
    return row.values.value(StatisticsModel::DateColumn).toDate();
}

bool isCounter(int column) {
    return column == StatisticsModel::SubscribesColumn || column == StatisticsModel::UnsubscribesColumn ||
           column == StatisticsModel::BouncesColumn;
}
} // namespace

StatisticsModel::StatisticsModel(UserPrompt &prompt, SqliteTable &tblStats, QObject *parent)
    : QAbstractTableModel(parent), m_prompt(prompt), m_table(&tblStats) {
    connect(&tblStats, &SqliteTable::afterPost, this, &StatisticsModel::onTableChanged);
    connect(&tblStats, &SqliteTable::afterDelete, this, &StatisticsModel::onTableChanged);
    connect(&tblStats, &SqliteTable::viewChanged, this, &StatisticsModel::onTableChanged);
    connect(&tblStats, &SqliteTable::afterOpen, this, &StatisticsModel::onTableChanged);
    connect(&tblStats, &SqliteTable::afterClose, this, &StatisticsModel::onTableChanged);
}

void StatisticsModel::reload() {
    beginResetModel();
    m_rows.clear();
    try {
        if (m_table && m_table->isOpen()) {
            const qint64 count = m_table->recordCount();
            m_rows = m_table->rowsAt(0, static_cast<int>(std::min<qint64>(count, std::numeric_limits<int>::max())));
            sortRows();
        }
    } catch (...) {
        m_rows.clear();
        endResetModel();
        emit countsChanged();
        throw;
    }
    endResetModel();
    emit countsChanged();
}

void StatisticsModel::sortRows() {
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [](const TableRow &a, const TableRow &b) { return rowDate(a) < rowDate(b); });
}

// A change that this model did not make (another part of the program counting, the table closing): the rows
// are read again; a failure to read them is shown and leaves the model empty.
void StatisticsModel::onTableChanged() {
    if (m_changing) {
        return;
    }
    try {
        reload();
    } catch (const CorvaneError &e) {
        reportFailure(e.message());
    }
}

void StatisticsModel::reportFailure(const QString &message) {
    m_prompt.message(UserPrompt::Kind::Warning, message, UserPrompt::Ok);
}

int StatisticsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int StatisticsModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant StatisticsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= ColumnCount) {
        return QVariant();
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return m_rows.at(index.row()).values.value(index.column());
    }
    if (role == Qt::TextAlignmentRole && isCounter(index.column())) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant StatisticsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !m_table || section < 0 || section >= ColumnCount) {
        return QVariant();
    }
    return m_table->schema().fields.at(section).name;
}

Qt::ItemFlags StatisticsModel::flags(const QModelIndex &index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    const Qt::ItemFlags base = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    return index.column() == DateColumn ? base : base | Qt::ItemIsEditable;
}

// Moves the table to the record shown in `row`. Raises CorvaneError when it is no longer there.
void StatisticsModel::locateRow(int row) {
    if (!m_table) {
        throw CorvaneError(QStringLiteral("The statistics table is not open"));
    }
    if (!m_table->gotoRowid(m_rows.at(row).rowid)) {
        throw CorvaneError(
            QStringLiteral("%1: the record was deleted by another user").arg(m_table->schema().tableName));
    }
}

bool StatisticsModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (!index.isValid() || index.row() >= m_rows.size() || (role != Qt::EditRole && role != Qt::DisplayRole) ||
        index.column() <= DateColumn || index.column() >= ColumnCount) {
        return false;
    }
    QVariant stored;
    if (isCounter(index.column())) {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        if (!ok || number < 0 || number > std::numeric_limits<qint32>::max()) {
            return false;
        }
        stored = static_cast<int>(number);
    } else {
        stored = value.toString().left(kNotesWidth);
    }
    if (m_rows.at(index.row()).values.value(index.column()) == stored) {
        return true;
    }
    m_changing = true;
    try {
        locateRow(index.row());
        m_table->setField(index.column(), stored);
        m_table->post();
        m_rows[index.row()] = m_table->currentRow();
        m_changing = false;
    } catch (const CorvaneError &e) {
        if (m_table) {
            m_table->cancel();
        }
        m_changing = false;
        reportFailure(e.message());
        onTableChanged();
        return false;
    }
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    if (isCounter(index.column())) {
        emit countsChanged();
    }
    return true;
}

QDate StatisticsModel::dateAt(int row) const {
    return row >= 0 && row < m_rows.size() ? rowDate(m_rows.at(row)) : QDate();
}

int StatisticsModel::rowOf(const QDate &date) const {
    const auto found = std::lower_bound(m_rows.cbegin(), m_rows.cend(), date,
                                        [](const TableRow &row, const QDate &d) { return rowDate(row) < d; });
    return found != m_rows.cend() && rowDate(*found) == date ? static_cast<int>(found - m_rows.cbegin()) : -1;
}

QDate StatisticsModel::newRowDate(const QDate &today) const {
    QDate date = today;
    while (rowOf(date) >= 0) {
        date = date.addDays(1);
    }
    return date;
}

int StatisticsModel::InsertRecord(const QDate &today) {
    if (!m_table) {
        reportFailure(QStringLiteral("The statistics table is not open"));
        return -1;
    }
    const QDate date = newRowDate(today);
    TableRow added;
    m_changing = true;
    try {
        m_table->appendRecord({date, 0, 0, 0, QString()});
        added = m_table->currentRow();
        m_changing = false;
    } catch (const CorvaneError &e) {
        m_changing = false;
        // Another copy of the program sharing the database may have added the day meanwhile.
        reportFailure((e.code() & 0xff) == SQLITE_CONSTRAINT
                          ? QStringLiteral("There is already a record for %1.").arg(date.toString(Qt::ISODate))
                          : e.message());
        onTableChanged();
        return -1;
    }
    const auto at = std::upper_bound(m_rows.cbegin(), m_rows.cend(), date,
                                     [](const QDate &d, const TableRow &row) { return d < rowDate(row); });
    const int position = static_cast<int>(at - m_rows.cbegin());
    beginInsertRows(QModelIndex(), position, position);
    m_rows.insert(position, added);
    endInsertRows();
    emit countsChanged();
    return position;
}

bool StatisticsModel::DeleteRecord(int row) {
    if (row < 0 || row >= m_rows.size()) {
        return false;
    }
    if (m_prompt.message(UserPrompt::Kind::Confirmation, QStringLiteral("Delete this record?"),
                         UserPrompt::Yes | UserPrompt::No) != UserPrompt::Yes) {
        return false;
    }
    m_changing = true;
    try {
        locateRow(row);
        m_table->deleteRecord();
        m_changing = false;
    } catch (const CorvaneError &e) {
        m_changing = false;
        reportFailure(e.message());
        onTableChanged();
        return false;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    emit countsChanged();
    return true;
}

StatisticsModel::Totals StatisticsModel::totals() const {
    Totals sums;
    for (const TableRow &row : m_rows) {
        sums.subscribes += row.values.value(SubscribesColumn).toInt();
        sums.unsubscribes += row.values.value(UnsubscribesColumn).toInt();
        sums.bounces += row.values.value(BouncesColumn).toInt();
    }
    return sums;
}

QList<QPointF> StatisticsModel::chartPoints(int column) const {
    QList<QPointF> points;
    if (!isCounter(column)) {
        return points;
    }
    points.reserve(m_rows.size());
    for (const TableRow &row : m_rows) {
        points.append(QPointF(static_cast<qreal>(rowDate(row).startOfDay().toMSecsSinceEpoch()),
                              row.values.value(column).toInt()));
    }
    return points;
}

} // namespace corvane

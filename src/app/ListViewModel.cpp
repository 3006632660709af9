// Lazily paged table model over the list table.
#include "app/ListViewModel.h"

#include "db/SqliteTable.h"

#include <algorithm>

namespace corvane {

namespace {
// Grid columns: captions and the list table's field positions (field 0 is the key, Index).
struct Column {
    const char *caption;
    int field;
};
constexpr Column kColumns[] = {
    {"E-mail", 1},    {"List Category", 2}, {"Bounce Count", 3}, {"Comments", 4},
    {"Full Name", 5}, {"First Name", 6},    {"Can Send", 7},
};
constexpr int kSendRightsColumn = 6;
} // namespace

ListViewModel::ListViewModel(QObject *parent) : QAbstractTableModel(parent) {}

void ListViewModel::setTable(SqliteTable *table) {
    if (m_table != nullptr) {
        disconnect(m_table, nullptr, this, nullptr);
    }
    m_table = table;
    if (table != nullptr) {
        connect(table, &SqliteTable::viewChanged, this, &ListViewModel::refresh);
        connect(table, &SqliteTable::afterPost, this, &ListViewModel::tablePosted);
        connect(table, &SqliteTable::afterDelete, this, &ListViewModel::refresh);
        connect(table, &SqliteTable::afterOpen, this, &ListViewModel::refresh);
        connect(table, &SqliteTable::afterClose, this, &ListViewModel::refresh);
    }
    refresh();
}

void ListViewModel::setFollowing(bool following) {
    m_following = following;
    if (following) {
        refresh();
    }
}

void ListViewModel::refresh() {
    if (!m_following) {
        return;
    }
    beginResetModel();
    m_pages.clear();
    m_recent.clear();
    m_pagesRead = 0;
    m_count = 0;
    if (m_table != nullptr && m_table->isOpen()) {
        try {
            m_count = static_cast<int>(std::min<qint64>(m_table->recordCount(), INT_MAX));
        } catch (const std::exception &) {
            m_count = 0;
        }
    }
    endResetModel();
}

void ListViewModel::tablePosted() {
    // Address, category and bounce count decide the order and the filter: the view is read again.
    if (m_postingRow < 0 || m_postingColumn <= 2) {
        refresh();
        return;
    }
    // Our own edit: read that row's page again, keeping the view where it is.
    const qint64 number = m_postingRow / kPageSize;
    m_pages.erase(number);
    m_recent.remove(number);
    emit dataChanged(index(m_postingRow, 0), index(m_postingRow, columnCount() - 1));
}

Qt::ItemFlags ListViewModel::flags(const QModelIndex &index) const {
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid()) {
        result |= index.column() == kSendRightsColumn ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    }
    return result;
}

bool ListViewModel::setData(const QModelIndex &index, const QVariant &value, int role) {
    if (!m_editable || !index.isValid() || m_table == nullptr || !m_table->isOpen()) {
        return false;
    }
    const bool check = index.column() == kSendRightsColumn;
    if ((check && role != Qt::CheckStateRole) || (!check && role != Qt::EditRole)) {
        return false;
    }
    const TableRow row = rowAt(index.row());
    if (row.values.isEmpty()) {
        return false;
    }
    const QVariant stored = check ? QVariant(value.toInt() == Qt::Checked) : value;
    // An address typed over an entry's address passes the same check as "Update E-mail Address...".
    const int itemField = kColumns[0].field;
    if (index.column() == 0 && m_addressCheck && itemField < row.values.size() &&
        stored.toString() != row.values.at(itemField).toString() && !m_addressCheck(stored.toString())) {
        return false;
    }
    m_postingRow = index.row();
    m_postingColumn = index.column();
    bool posted = false;
    try {
        if (m_table->locate(QStringLiteral("Index"), row.values.at(0), false)) {
            m_table->setField(kColumns[index.column()].field, stored);
            m_table->post();
            posted = true;
        }
    } catch (const std::exception &) {
        try {
            m_table->cancel();
        } catch (const std::exception &) {
        }
    }
    m_postingRow = -1;
    return posted;
}

int ListViewModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_count;
}

int ListViewModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : static_cast<int>(std::size(kColumns));
}

const QList<TableRow> *ListViewModel::page(qint64 number) const {
    auto found = m_pages.find(number);
    if (found != m_pages.end()) {
        m_recent.remove(number);
        m_recent.push_front(number);
        return &found->second;
    }
    if (m_table == nullptr || !m_table->isOpen()) {
        return nullptr;
    }
    QList<TableRow> rows;
    try {
        // Next to a cached page a page is a keyset seek from it; the rest are found by position, counted from
        // whichever end of the view is nearer.
        const qint64 lastPage = m_count > 0 ? (m_count - 1) / kPageSize : 0;
        const auto before = m_pages.find(number - 1);
        const auto after = m_pages.find(number + 1);
        if (before != m_pages.end() && before->second.size() == kPageSize) {
            rows = m_table->rowsAfter(before->second.last(), kPageSize);
        } else if (after != m_pages.end() && !after->second.isEmpty()) {
            rows = m_table->rowsBefore(after->second.first(), kPageSize);
        } else if (number == lastPage) {
            rows = m_table->rowsFromEnd(0, static_cast<int>(m_count - number * kPageSize));
        } else if (number * kPageSize > m_count / 2) {
            // In the second half of the view: count back from the end instead of over every row in front.
            rows = m_table->rowsFromEnd(m_count - (number + 1) * kPageSize, kPageSize);
        } else {
            rows = m_table->rowsAt(number * kPageSize, kPageSize);
        }
    } catch (const std::exception &) {
        return nullptr;
    }
    ++m_pagesRead;
    while (!m_recent.empty() && static_cast<int>(m_pages.size()) >= m_maxPages) {
        m_pages.erase(m_recent.back());
        m_recent.pop_back();
    }
    m_recent.push_front(number);
    return &(m_pages[number] = std::move(rows));
}

TableRow ListViewModel::rowAt(int row) const {
    if (row < 0 || row >= m_count) {
        return {};
    }
    const QList<TableRow> *rows = page(row / kPageSize);
    const int offset = row % kPageSize;
    if (rows == nullptr || offset >= rows->size()) {
        return {};
    }
    return rows->at(offset);
}

int ListViewModel::rowOfKey(int key) const {
    if (m_table == nullptr || !m_table->isOpen()) {
        return -1;
    }
    try {
        const qint64 position = m_table->positionOf(key);
        return position >= 0 && position < m_count ? static_cast<int>(position) : -1;
    } catch (const CorvaneError &) {
        return -1;
    }
}

QVariant ListViewModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.column() >= columnCount()) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::CheckStateRole && role != Qt::EditRole) {
        return {};
    }
    const TableRow row = rowAt(index.row());
    const int field = kColumns[index.column()].field;
    if (field >= row.values.size()) {
        return {};
    }
    const QVariant value = row.values.at(field);
    if (index.column() == kSendRightsColumn) {
        if (role == Qt::CheckStateRole) {
            return value.toBool() ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    }
    return role == Qt::CheckStateRole ? QVariant() : value;
}

QVariant ListViewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kColumns[section].caption);
}

} // namespace corvane

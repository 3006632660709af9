// Grouped list view model: group counts with one GROUP BY query, each group's entries in keyset pages.
#include "app/GroupedListModel.h"

#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"

namespace corvane {

namespace {
// Grid columns: captions and the list table's field positions (field 0 is the key, Index).
constexpr const char *kCaptions[] = {"E-mail",    "List Category", "Bounce Count", "Comments",
                                     "Full Name", "First Name",    "Can Send"};
constexpr int kColumnCount = 7;
constexpr quintptr kTopLevel = 0;

const QString CaseCollation = QStringLiteral(" COLLATE ") + QLatin1String(SqliteDatabase::CaseCollation);

QString quoted(const QString &name) {
    return QLatin1Char('"') + name + QLatin1Char('"');
}
} // namespace

GroupedListModel::GroupedListModel(QObject *parent) : QAbstractItemModel(parent) {}

void GroupedListModel::setSource(SqliteTable *table, int column) {
    if (m_table != nullptr) {
        disconnect(m_table, nullptr, this, nullptr);
    }
    m_table = table;
    m_column = column;
    if (table != nullptr) {
        for (auto signal : {&SqliteTable::viewChanged, &SqliteTable::afterPost, &SqliteTable::afterDelete,
                            &SqliteTable::afterOpen, &SqliteTable::afterClose}) {
            connect(table, signal, this, &GroupedListModel::refresh);
        }
    }
    refresh();
}

QString GroupedListModel::whereClause() const {
    if (!m_table->filtered() || m_table->filter().isEmpty()) {
        return {};
    }
    return QStringLiteral(" WHERE (") + m_table->filter().sql() + QLatin1Char(')');
}

void GroupedListModel::refresh() {
    beginResetModel();
    m_groups.clear();
    if (m_table != nullptr && m_table->isOpen() && m_column >= 0 && m_column < kColumnCount) {
        try {
            const QString field = quoted(m_table->schema().fields.at(m_column + 1).name);
            SqliteStatement query(m_table->database().handle(),
                                  QStringLiteral("SELECT ") + field + QStringLiteral(", COUNT(*) FROM ") +
                                      quoted(m_table->schema().tableName) + whereClause() +
                                      QStringLiteral(" GROUP BY ") + field + CaseCollation +
                                      QStringLiteral(" ORDER BY ") + field + CaseCollation);
            int parameter = 1;
            for (const QVariant &value : m_table->filtered() ? m_table->filter().values() : QVariantList()) {
                query.bind(parameter++, value);
            }
            while (query.step()) {
                m_groups.push_back({query.columnValue(0), query.columnInt(1), {}});
            }
        } catch (const std::exception &) {
            m_groups.clear();
        }
    }
    endResetModel();
}

QModelIndex GroupedListModel::index(int row, int column, const QModelIndex &parent) const {
    if (row < 0 || column < 0 || column >= kColumnCount) {
        return {};
    }
    if (!parent.isValid()) {
        return row < static_cast<int>(m_groups.size()) ? createIndex(row, column, kTopLevel) : QModelIndex();
    }
    if (parent.internalId() != kTopLevel) {
        return {};
    }
    return createIndex(row, column, static_cast<quintptr>(parent.row()) + 1);
}

QModelIndex GroupedListModel::parent(const QModelIndex &child) const {
    if (!child.isValid() || child.internalId() == kTopLevel) {
        return {};
    }
    return createIndex(static_cast<int>(child.internalId() - 1), 0, kTopLevel);
}

int GroupedListModel::rowCount(const QModelIndex &parent) const {
    if (!parent.isValid()) {
        return static_cast<int>(m_groups.size());
    }
    if (parent.internalId() != kTopLevel || parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(m_groups.at(parent.row()).entries.size());
}

int GroupedListModel::columnCount(const QModelIndex &) const {
    return kColumnCount;
}

bool GroupedListModel::hasChildren(const QModelIndex &parent) const {
    if (!parent.isValid()) {
        return !m_groups.empty();
    }
    return parent.internalId() == kTopLevel && parent.column() == 0 && m_groups.at(parent.row()).count > 0;
}

bool GroupedListModel::canFetchMore(const QModelIndex &parent) const {
    if (!parent.isValid() || parent.internalId() != kTopLevel) {
        return false;
    }
    const Group &group = m_groups.at(parent.row());
    return static_cast<qint64>(group.entries.size()) < group.count;
}

void GroupedListModel::fetchMore(const QModelIndex &parent) {
    if (!canFetchMore(parent) || m_table == nullptr || !m_table->isOpen()) {
        return;
    }
    Group &group = m_groups.at(parent.row());
    QList<TableRow> rows;
    try {
        // Each page continues from the last entry read (a keyset page), so walking a large group costs
        // the same for every page instead of skipping more rows each time.
        const TableFilter part = TableFilter::equals(m_table->schema().fields.at(m_column + 1).name, group.value);
        rows = m_table->rowsOfPart(part, group.count, group.entries.empty() ? TableRow() : group.entries.back(),
                                   kPageSize);
    } catch (const std::exception &) {
        return;
    }
    if (rows.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(group.entries.size());
    beginInsertRows(parent, first, first + static_cast<int>(rows.size()) - 1);
    for (TableRow &row : rows) {
        group.entries.push_back(std::move(row));
    }
    endInsertRows();
}

QVariant GroupedListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        return {};
    }
    if (index.internalId() == kTopLevel) {
        if (index.column() != 0) {
            return {};
        }
        const Group &group = m_groups.at(index.row());
        return QString::fromUtf8(kCaptions[m_column]) + QStringLiteral(" : ") + group.value.toString() +
               QStringLiteral(" (") + QString::number(group.count) +
               (group.count == 1 ? QStringLiteral(" entry)") : QStringLiteral(" entries)"));
    }
    const TableRow row = entryAt(static_cast<int>(index.internalId() - 1), index.row());
    if (index.column() + 1 >= row.values.size()) {
        return {};
    }
    const QVariant value = row.values.at(index.column() + 1);
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    }
    return value;
}

QVariant GroupedListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount) {
        return QAbstractItemModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kCaptions[section]);
}

qint64 GroupedListModel::groupCount(int group) const {
    return group >= 0 && group < static_cast<int>(m_groups.size()) ? m_groups.at(group).count : 0;
}

QVariant GroupedListModel::groupValue(int group) const {
    return group >= 0 && group < static_cast<int>(m_groups.size()) ? m_groups.at(group).value : QVariant();
}

TableRow GroupedListModel::entryAt(int group, int row) const {
    if (group < 0 || group >= static_cast<int>(m_groups.size())) {
        return {};
    }
    const auto &entries = m_groups.at(group).entries;
    return row >= 0 && row < static_cast<int>(entries.size()) ? entries.at(row) : TableRow();
}

} // namespace corvane

// Filter, count line, sorting and member cache of the main window's list view.
#include "app/ListView.h"

#include "base/BusyCursor.h"
#include "base/UserPrompt.h"
#include "db/SqliteTable.h"
#include "db/TableFilter.h"

#include <QMap>

namespace corvane {

namespace {
const char *const kSortFields[] = {"Item", "Category", "Bounces"};
} // namespace

ListView::ListView(UserPrompt &prompt, QObject *parent) : QObject(parent), m_prompt(prompt) {}

void ListView::setTable(SqliteTable *table) {
    if (m_table != nullptr) {
        disconnect(m_table, nullptr, this, nullptr);
    }
    m_table = table;
    if (table != nullptr) {
        connect(table, &SqliteTable::afterPost, this, &ListView::emptyCache);
        connect(table, &SqliteTable::afterDelete, this, &ListView::emptyCache);
        connect(table, &SqliteTable::afterOpen, this, &ListView::emptyCache);
    }
    emptyCache();
    m_model.setTable(table);
}

void ListView::rdballClick(FilterChoice choice) {
    m_choice = choice;
    UpdateDisplay();
}

void ListView::edtfilterChange(const QString &text) {
    m_include = text;
    m_choice = FilterChoice::Include;
    m_pending = true;
}

void ListView::edtnotfilterChange(const QString &text) {
    m_exclude = text;
    m_choice = FilterChoice::Exclude;
    m_pending = true;
}

void ListView::DoIdle() {
    if (m_pending) {
        UpdateDisplay();
    }
}

void ListView::UpdateDisplay() {
    m_pending = false;
    try {
        SetFilter(m_choice == FilterChoice::Include, m_include, m_exclude, m_choice == FilterChoice::Exclude);
        const qint64 count = (m_table != nullptr && m_table->isOpen()) ? m_table->recordCount() : 0;
        QString text = QStringLiteral("  ") + QString::number(count) + QStringLiteral(" Records");
        if (m_choice != FilterChoice::All) {
            text += QStringLiteral(" Displayed");
        }
        m_countText = text;
        emit countTextChanged(m_countText);
    } catch (const std::exception &) {
        // The count line keeps its previous text.
    }
    emit displayUpdated();
}

void ListView::SetFilter(bool includeOn, const QString &includeText, const QString &excludeText, bool excludeOn) {
    if (m_table == nullptr || !m_table->isOpen()) {
        return;
    }
    BusyCursor busy(m_prompt);
    if (includeOn && !includeText.isEmpty()) {
        m_table->setFilter(TableFilter::categories(TableFilter::Mode::Include, includeText));
        m_table->setFiltered(true);
    } else if (excludeOn && !excludeText.isEmpty()) {
        m_table->setFilter(TableFilter::categories(TableFilter::Mode::Exclude, excludeText));
        m_table->setFiltered(true);
    } else {
        m_table->setFiltered(false);
    }
}

void ListView::newformpreparation(bool on) {
    m_prepared = on;
    if (on) {
        if (m_table != nullptr && m_table->isOpen()) {
            try {
                m_table->setFiltered(false);
            } catch (const std::exception &) {
                // The modal window still opens; it sees the table as it is.
            }
        }
        m_model.setFollowing(false);
        return;
    }
    m_model.setFollowing(true);
    rdballClick(m_choice);
}

int ListView::sortMark(int column) const {
    return column >= 0 && column < 3 ? m_marks[column] : 0;
}

void ListView::setSortMark(int column, int mark) {
    if (column >= 0 && column < 3) {
        m_marks[column] = mark;
        emit sortMarksChanged();
    }
}

void ListView::restoreOrder() {
    try {
        for (int column = 0; column < 3; ++column) {
            if (m_marks[column] != 0) {
                applyOrder(column, m_marks[column]);
                return;
            }
        }
        applyOrder(EmailColumn, 1);
    } catch (const std::exception &) {
        // The table keeps its order.
    }
}

void ListView::applyOrder(int column, int mark) {
    if (m_table == nullptr || !m_table->isOpen()) {
        return;
    }
    m_table->setIndexFieldNames(mark == 0 ? QString() : QString::fromLatin1(kSortFields[column]));
}

void ListView::columnHeaderClick(int column, bool limitDBCache) {
    if (!limitDBCache) {
        return;
    }
    if (column < 0 || column >= 3) {
        m_prompt.beep();
        return;
    }
    BusyCursor busy(m_prompt);
    for (int other = 0; other < 3; ++other) {
        if (other != column) {
            m_marks[other] = 0;
        }
    }
    const int mark = m_marks[column] == 1 ? 0 : 1;
    try {
        applyOrder(column, mark);
        m_marks[column] = mark;
    } catch (const std::exception &) {
        // A failed sort leaves the previous order.
    }
    emit sortMarksChanged();
}

void ListView::sortMenuChoice(int column, bool limitDBCache) {
    if (limitDBCache) {
        columnHeaderClick(column, true);
        return;
    }
    if (column < 0 || column >= 3) {
        return;
    }
    const int mark = m_marks[column] == 2 ? 1 : 2;
    for (int other = 0; other < 3; ++other) {
        m_marks[other] = 0;
    }
    try {
        applyOrder(column, mark);
        m_marks[column] = mark;
    } catch (const std::exception &) {
    }
    emit sortMarksChanged();
}

void ListView::LoadCacheEntries(const QString &category) {
    const QString wanted = category.toUpper();
    if (!m_cachedGroup.isEmpty() &&
        (m_cachedGroup == wanted || (wanted.isEmpty() && m_cachedGroup == QLatin1String("ALL")))) {
        return;
    }
    m_cachedGroup.clear();
    m_cache.clear();
    if (m_table == nullptr || !m_table->isOpen()) {
        return;
    }
    ++m_cacheWalks;
    try {
        // Sorted, without duplicates that differ only in letter case.
        QMap<QString, QString> addresses;
        const int item = m_table->fieldIndex(QStringLiteral("Item"));
        const int cat = m_table->fieldIndex(QStringLiteral("Category"));
        for (m_table->first(); !m_table->eof(); m_table->next()) {
            if (wanted.isEmpty() || m_table->field(cat).toString().toUpper() == wanted) {
                const QString address = m_table->field(item).toString();
                const QString key = address.toLower();
                if (!addresses.contains(key)) {
                    addresses.insert(key, address);
                }
            }
        }
        m_cache = addresses.values();
        m_cachedGroup = wanted.isEmpty() ? QStringLiteral("ALL") : wanted;
    } catch (const std::exception &) {
        m_cache.clear();
        m_cachedGroup.clear();
    }
}

} // namespace corvane

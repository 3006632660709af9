// The main window's list view without widgets: the filter panel's state and the category filter it puts on
// the list table, the count line, the pending refresh applied at the next idle moment, the preparation
// around modal windows, the sort marks of the three sortable columns, and the member cache.
#pragma once

#include "app/ListViewModel.h"

#include <QObject>
#include <QStringList>

namespace corvane {

class UserPrompt;
class SqliteTable;

class ListView : public QObject {
    Q_OBJECT

public:
    enum class FilterChoice { All, Include, Exclude };
    // The sortable grid columns, in grid order.
    enum SortColumn { EmailColumn = 0, CategoryColumn = 1, BouncesColumn = 2 };

    explicit ListView(UserPrompt &prompt, QObject *parent = nullptr);

    // Shows `table` (null: nothing); keeps the filter panel's state.
    void setTable(SqliteTable *table);
    SqliteTable *table() const { return m_table; }
    ListViewModel &model() { return m_model; }

    // A radio button of the filter panel was chosen: refresh at once.
    void rdballClick(FilterChoice choice);
    // A filter field was edited: its radio button is chosen and the refresh waits for the next idle moment.
    void edtfilterChange(const QString &text);
    void edtnotfilterChange(const QString &text);
    FilterChoice filterChoice() const { return m_choice; }
    QString filterText() const { return m_include; }
    QString notFilterText() const { return m_exclude; }
    bool refreshPending() const { return m_pending; }
    // The idle handler: refreshes when a refresh is pending.
    void DoIdle();

    // Re-applies the filter and sets the count line ("  N Records", and " Displayed" while a filter radio
    // button is chosen). Errors leave the count line as it was.
    void UpdateDisplay();
    QString countText() const { return m_countText; }

    // Puts the category filter on the list table: include text when `includeOn` and not empty, else the
    // exclude text when `excludeOn` and not empty, else no filter. Raises CorvaneError on a table failure.
    void SetFilter(bool includeOn, const QString &includeText, const QString &excludeText, bool excludeOn);

    // Before (true) a modal window that works on the list: drops the filter, so the grid shows every entry,
    // and then stops the grid following the table. After (false): the grid follows again and the filter is
    // re-applied.
    void newformpreparation(bool on);
    bool prepared() const { return m_prepared; }

    // Sort marks (0 none, 1 first direction, 2 second direction) of the three sortable columns.
    int sortMark(int column) const;
    // A click on a column header while record caching is limited: the three sortable columns order the
    // table by their field, a second click removes the order; the others beep. Does nothing when caching is
    // not limited.
    void columnHeaderClick(int column, bool limitDBCache);
    // View, "Sorting": the header click while caching is limited; otherwise the column's mark toggles
    // between 1 and 2 (the grid orders by the column either way).
    void sortMenuChoice(int column, bool limitDBCache);
    // Restores a stored sort mark without clicking (grid layout); restoreOrder() then orders the table by
    // the first marked column, or by address when none is marked.
    void setSortMark(int column, int mark);
    void restoreOrder();

    // Fills the member cache with the addresses of `category` (all addresses for ""), unless it already holds
    // them. Errors leave the cache empty.
    void LoadCacheEntries(const QString &category);
    QString edtCachedGroup() const { return m_cachedGroup; }
    QStringList lbCache() const { return m_cache; }
    // How many times the cache walked the table (for tests).
    int cacheWalks() const { return m_cacheWalks; }

signals:
    void countTextChanged(const QString &text);
    // The view was refreshed; the caption follows.
    void displayUpdated();
    void sortMarksChanged();

private:
    void applyOrder(int column, int mark);
    void emptyCache() { m_cachedGroup.clear(); }

    UserPrompt &m_prompt;
    SqliteTable *m_table = nullptr;
    ListViewModel m_model;
    FilterChoice m_choice = FilterChoice::All;
    QString m_include;
    QString m_exclude;
    bool m_pending = false;
    bool m_prepared = false;
    QString m_countText;
    int m_marks[3] = {0, 0, 0};
    QString m_cachedGroup;
    QStringList m_cache;
    int m_cacheWalks = 0;
};

} // namespace corvane

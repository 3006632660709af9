// The batch frame of the list maintenance commands.
#include "listio/ListMaintenanceFrame.h"

#include "base/ProgressWindow.h"
#include "base/UserPrompt.h"
#include "db/SqliteTable.h"

namespace corvane {

ListMaintenanceFrame::ListMaintenanceFrame(SqliteTable &table, UserPrompt &prompt, const std::function<void()> &freeze,
                                           const std::function<void()> &thaw, bool primaryOrder)
    : m_table(table), m_prompt(prompt), m_thaw(thaw) {
    m_prompt.setBusy(true);
    try {
        if (freeze) {
            freeze();
        }
        m_wasFiltered = m_table.filtered();
        if (m_wasFiltered) {
            m_table.setFiltered(false);
        }
        m_order = m_table.indexFieldNames();
        if (primaryOrder && !m_order.isEmpty()) {
            m_orderChanged = true;
            m_table.setIndexFieldNames(QString());
        }
    } catch (...) {
        restore();
        throw;
    }
}

ListMaintenanceFrame::~ListMaintenanceFrame() {
    restore();
}

void ListMaintenanceFrame::restore() noexcept {
    if (m_restored) {
        return;
    }
    m_restored = true;
    if (m_table.isOpen()) {
        try {
            if (m_orderChanged) {
                m_table.setIndexFieldNames(m_order);
            }
        } catch (...) {
            // The order is only a view of the table; the entries are unaffected.
        }
        try {
            if (m_wasFiltered) {
                m_table.setFiltered(true);
            }
        } catch (...) {
            // As in the list view's own refresh, a filter that cannot be applied leaves every entry shown.
        }
    }
    try {
        if (m_thaw) {
            m_thaw();
        }
    } catch (...) {
        // The window repaints at the next refresh.
    }
    ProgressWindow::hideprogress(m_prompt);
    m_prompt.setBusy(false);
}

} // namespace corvane

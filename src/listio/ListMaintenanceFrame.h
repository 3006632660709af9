// The batch frame around a list maintenance command: busy cursor, the window's freeze and thaw hooks, the
// category filter off while the command runs, optionally the table in its primary order (order of
// insertion), and at the end, on every exit path, order and filter restored, the window thawed, the
// progress window hidden and the cursor restored.
#pragma once

#include <QString>
#include <functional>

namespace corvane {

class SqliteTable;
class UserPrompt;

class ListMaintenanceFrame {
public:
    // Sets up the frame; `primaryOrder` switches the table to key order for a walk over every entry.
    // Raises CorvaneError when the filter or order cannot be changed; what was set up is then undone.
    ListMaintenanceFrame(SqliteTable &table, UserPrompt &prompt, const std::function<void()> &freeze,
                         const std::function<void()> &thaw, bool primaryOrder);
    // Restores everything; failures of the restoration are swallowed (the command has already reported its
    // own), so a restoration problem never hides the command's outcome.
    ~ListMaintenanceFrame();
    ListMaintenanceFrame(const ListMaintenanceFrame &) = delete;
    ListMaintenanceFrame &operator=(const ListMaintenanceFrame &) = delete;

    // Restores now instead of at destruction (idempotent).
    void restore() noexcept;

private:
    SqliteTable &m_table;
    UserPrompt &m_prompt;
    std::function<void()> m_thaw;
    bool m_wasFiltered = false;
    bool m_orderChanged = false;
    QString m_order;
    bool m_restored = false;
};

} // namespace corvane

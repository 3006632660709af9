// Holds a table's whole-table lock for one pass over the table and releases it on every exit path. Call
// release() at the end of a pass that succeeded, so that a failure to commit is reported; the destructor
// releases quietly when a pass ends with an exception.
#pragma once

#include "db/SqliteTable.h"

namespace corvane {

class TableLock {
public:
    // Takes the lock. Raises CorvaneError when it cannot be had (another user's lock after the retries).
    explicit TableLock(SqliteTable &table) : m_table(table) { m_table.lockTable(); }
    ~TableLock() {
        if (m_held) {
            try {
                m_table.unlockTable();
            } catch (...) {
                // The pass is already failing; its own exception is the one reported.
            }
        }
    }
    TableLock(const TableLock &) = delete;
    TableLock &operator=(const TableLock &) = delete;

    // Releases the lock, committing the pass. Raises CorvaneError when the changes could not be saved.
    void release() {
        if (m_held) {
            m_held = false;
            m_table.unlockTable();
        }
    }

private:
    SqliteTable &m_table;
    bool m_held = true;
};

} // namespace corvane

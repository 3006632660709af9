// The pause of a database file's memory mapping during a whole-file walk.
#include "db/MappingPause.h"

#include "base/CorvaneError.h"
#include "db/SqliteDatabase.h"

namespace corvane {

MappingPause::MappingPause(SqliteDatabase &db) noexcept : m_db(db) {
    try {
        m_size = m_db.queryInt(QStringLiteral("PRAGMA mmap_size"));
        if (m_size > 0) {
            m_db.exec(QStringLiteral("PRAGMA mmap_size=0"));
        }
    } catch (const std::exception &) {
        m_size = 0;
    }
}

MappingPause::~MappingPause() {
    if (m_size > 0) {
        try {
            m_db.exec(QStringLiteral("PRAGMA mmap_size=%1").arg(m_size));
        } catch (const std::exception &) {
            // The file is read through the page cache until it is opened again.
        }
    }
}

} // namespace corvane

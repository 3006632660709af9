// Keeps a database file unmapped while a walk reads all of it: every mapped page read stays resident until
// the file is closed, so a walk over a large list would otherwise grow the program by the file's size. The
// mapping comes back when the pause ends. Failures only cost memory, so they are ignored.
#pragma once

#include <QtGlobal>

namespace corvane {

class SqliteDatabase;

class MappingPause {
public:
    explicit MappingPause(SqliteDatabase &db) noexcept;
    ~MappingPause();
    MappingPause(const MappingPause &) = delete;
    MappingPause &operator=(const MappingPause &) = delete;

private:
    SqliteDatabase &m_db;
    qint64 m_size = 0;
};

} // namespace corvane

// What the settings store needs of the list database: the flush that precedes every save, and the
// database values it persists (the current path, exclusive opening, strict change detection).
#pragma once

#include <QString>

namespace corvane {

class DatabaseLink {
public:
    virtual ~DatabaseLink() = default;

    // Flushes the tables to disk. Raises CorvaneError on failure.
    virtual void SaveDatabase() = 0;

    // The directory text with which the database was last opened successfully, exactly as passed in.
    virtual QString currentDBPath() const = 0;
    virtual void setCurrentDBPath(const QString &path) = 0;

    // Settings that take effect at the next opening.
    virtual bool DBExclusive() const = 0;
    virtual void setDBExclusive(bool exclusive) = 0;
    virtual bool StrictChangeDetection() const = 0;
    virtual void setStrictChangeDetection(bool strict) = 0;
};

} // namespace corvane

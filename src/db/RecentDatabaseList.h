// The list of recently opened database directories behind the "Recent Databases" menu: most recent first,
// at most ten, each directory once (letter case ignored), kept in "recent.txt" in the application
// directory, one directory per line.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class RecentDatabaseList {
public:
    static constexpr int MaximumEntries = 10;

    const QStringList &entries() const { return m_entries; }

    // Puts `dir` at the top. An entry equal to it ignoring letter case is removed first (the new text
    // wins); when ten or more entries remain the oldest goes. An empty text changes nothing. Returns true
    // when the list changed.
    bool add(const QString &dir);

    // Replaces the list with the file's first ten non-empty lines. Raises CorvaneError when the file cannot
    // be read.
    void load(const QString &file);
    // Writes the list to `file`, replacing it. Raises CorvaneError when it cannot be written.
    void save(const QString &file) const;

    // "recent.txt" in the application directory.
    static QString defaultFile();

private:
    QStringList m_entries;
};

} // namespace corvane

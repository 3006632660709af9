// The recent-databases list and its file.
#include "db/RecentDatabaseList.h"

#include "base/AppPaths.h"
#include "base/LineText.h"
#include "base/TextFile.h"

namespace corvane {

bool RecentDatabaseList::add(const QString &dir) {
    if (dir.isEmpty()) {
        return false;
    }
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        if (m_entries.at(i).compare(dir, Qt::CaseInsensitive) == 0) {
            m_entries.removeAt(i);
        }
    }
    while (m_entries.size() >= MaximumEntries) {
        m_entries.removeLast();
    }
    m_entries.prepend(dir);
    return true;
}

void RecentDatabaseList::load(const QString &file) {
    QStringList entries;
    for (const QString &line : TextFile::readLines(file)) {
        const QString dir = line.trimmed();
        if (!dir.isEmpty() && entries.size() < MaximumEntries) {
            entries.append(dir);
        }
    }
    m_entries = entries;
}

void RecentDatabaseList::save(const QString &file) const {
    // A directory whose name cannot stand on one line is left out rather than written as another name.
    QStringList entries = m_entries;
    entries.removeIf([](const QString &dir) { return !LineText::isOneLine(dir); });
    TextFile::writeLines(file, entries);
}

QString RecentDatabaseList::defaultFile() {
    return AppPaths::applicationDirectory() + QStringLiteral("recent.txt");
}

} // namespace corvane

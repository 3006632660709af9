// The files no export, back-up or text file may be written over while they are in use: the table files of an
// open database and their journals. The list database registers its files when it opens them; every writer
// asks before it creates its output. Paths are compared after resolving links and "..", names without regard to
// letter case (the database finds its files that way too).
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class ProtectedFiles {
public:
    // The journals SQLite keeps beside a database file, protected with it.
    static QStringList journalSuffixes();

    // Protects `files` (and their journals) for `owner`, replacing what `owner` protected before.
    static void protect(const void *owner, const QStringList &files);
    // Drops the protection `owner` holds.
    static void release(const void *owner);

    // True when writing `path` would write over a protected file. Never raises.
    static bool isProtected(const QString &path);
    // "Unable to write to the file, " + path + ": it belongs to the open database".
    static QString refusal(const QString &path);
};

} // namespace corvane

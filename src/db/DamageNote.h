// Remembers that an operation on a table file met damage, so that the next opening of that file runs the
// full structural check (and, through it, offers the repair) instead of every opening paying for a check
// that is linear in the size of the list. The note is a small file beside the table file.
#pragma once

#include <QString>

namespace corvane {

class DamageNote {
public:
    // The note's file for the table file `path`: the path with ".check" appended.
    static QString notePath(const QString &path);
    // Writes the note for `path` with `reason` as its text. Never raises: a note that cannot be written
    // only means that the damage is found again by the next operation that meets it.
    static void note(const QString &path, const QString &reason) noexcept;
    static bool noted(const QString &path);
    // Removes the note after a check found the file sound (or a repair rebuilt it). Never raises.
    static void clear(const QString &path) noexcept;
};

} // namespace corvane

// Merging one copy's changes to a list of lines into the list as another copy has left it on disk. The changes
// are counted per line text: a line the copy now holds more often than when it read the file was added, one it
// holds less often was removed. Used for the files several copies of Corvane change at once (rule lists, the
// errors list).
#pragma once

#include <QStringList>

namespace corvane {

class LineMerge {
public:
    // `onDisk` with the changes from `baseline` (what this copy read) to `current` (what it holds now): each
    // added line is appended once per addition, in the order of `current`; each removed line loses that many of
    // its occurrences in `onDisk` (the first ones; those another copy already removed are not removed twice).
    // When `onDisk` still equals `baseline`, `current` itself, so that its order is kept.
    static QStringList merge(const QStringList &baseline, const QStringList &current, const QStringList &onDisk);
};

} // namespace corvane

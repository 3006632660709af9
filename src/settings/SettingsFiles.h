// The ten rule and text files of the application directory: which part of Settings each one holds, and the
// orders in which they are loaded and saved. A file's built-in contents are what a new Settings holds.
#pragma once

#include "settings/Settings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace corvane {

class SettingsFiles {
public:
    struct File {
        QString name;
        // A list (rule lists, categories) merges line by line with what another copy saved meanwhile; a free
        // text is taken whole, this copy's edit winning over the other's.
        bool isList = true;
        // The lines to write for the current state.
        std::function<QStringList(const Settings &)> lines;
        // Replaces the held contents with `lines` (sorted lists sort them).
        std::function<void(Settings &, const QStringList &)> assign;

        // Puts the built-in contents back, as when the file does not exist.
        void restoreBuiltIn(Settings &settings) const;
    };

    // The files in the order Loadentries reads them.
    static const std::vector<File> &loadOrder();
    // The files in the order SaveEntries writes them.
    static const std::vector<const File *> &saveOrder();
};

} // namespace corvane

// One folder of the mail store as the harvesting dialog's tree shows it: its display name, whether it holds
// contacts, and its sub-folders.
#pragma once

#include <QString>
#include <vector>

namespace corvane {

struct HarvestFolderNode {
    QString name;
    bool contacts = false;
    std::vector<HarvestFolderNode> children;

    // The tree's text: the name, followed by "*" for a contacts folder.
    QString text() const { return contacts ? name + QLatin1Char('*') : name; }
};

} // namespace corvane

// The folders at one level of the mail store (the namespace's stores or a folder's sub-folders), 1-based and
// by name, and the creation of a new one.
#pragma once

#include "mailstore/MailFolder.h"

#include <optional>
#include <vector>

namespace corvane {

class MailFolders {
public:
    // `folders` in their order; `parent` is the folder they belong to, none at the namespace level.
    MailFolders(std::vector<MailFolder> folders, std::optional<MailFolder> parent);

    int Count() const { return static_cast<int>(m_folders.size()); }
    // Folder `index` (1-based). Raises when there is no such folder.
    MailFolder Item(int index) const;
    // The folder named `name`, ignoring letter case. Raises when there is none.
    MailFolder Item(const QString &name) const;
    // Creates the folder `name` at this level and adds it to the list. Raises at the namespace level (stores
    // are configured, not created) and as MailFolder::addFolder().
    MailFolder Add(const QString &name);

private:
    std::vector<MailFolder> m_folders;
    std::optional<MailFolder> m_parent;
};

} // namespace corvane

// Lookup and creation of the folders at one level.
#include "mailstore/MailFolders.h"

#include "base/CorvaneError.h"

namespace corvane {

MailFolders::MailFolders(std::vector<MailFolder> folders, std::optional<MailFolder> parent)
    : m_folders(std::move(folders)), m_parent(std::move(parent)) {}

MailFolder MailFolders::Item(int index) const {
    if (index < 1 || index > Count())
        throw CorvaneError(QStringLiteral("There is no folder %1; there are %2.").arg(index).arg(Count()));
    return m_folders[static_cast<size_t>(index - 1)];
}

MailFolder MailFolders::Item(const QString &name) const {
    for (const MailFolder &folder : m_folders) {
        if (folder.name().compare(name, Qt::CaseInsensitive) == 0)
            return folder;
    }
    throw CorvaneError(QStringLiteral("The folder \"%1\" does not exist.").arg(name));
}

MailFolder MailFolders::Add(const QString &name) {
    if (!m_parent)
        throw CorvaneError(QStringLiteral("A mail store cannot be added here; it is chosen in the settings."));
    MailFolder folder = m_parent->addFolder(name);
    m_folders.push_back(folder);
    return folder;
}

} // namespace corvane

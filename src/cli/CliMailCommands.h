// corvane-cli commands on the mail store.
#pragma once

#include <QStringList>

namespace corvane {

struct CliContext;
class MailFolders;

class CliMailCommands {
public:
    // folders: the mail store's folder tree, one folder per line, indented by level, with its number of
    // items and of unread items ("contacts" for a contacts folder). Returns 0, 1 when the store cannot be
    // read, 2 for unexpected arguments.
    static int folders(CliContext &context, const QStringList &arguments);

    static QString usage();

private:
    static void printFolders(CliContext &context, const MailFolders &folders, int level);
};

} // namespace corvane

// The harvest command of corvane-cli.
#include "cli/CliHarvestCommand.h"

#include "app/Tfrmmain.h"
#include "base/LineText.h"
#include "cli/CliContext.h"
#include "listio/FileFolderHarvest.h"
#include "listio/OutlookHarvest.h"
#include "requests/PromptSenderMethodAsker.h"
#include "settings/Settings.h"

namespace corvane {

namespace {

// Whether the folder at `path` in `tree` holds contacts; false when the path is not in the tree.
bool holdsContacts(const std::vector<HarvestFolderNode> &tree, const QStringList &path) {
    const std::vector<HarvestFolderNode> *level = &tree;
    const HarvestFolderNode *found = nullptr;
    for (const QString &name : path) {
        found = nullptr;
        for (const HarvestFolderNode &node : *level) {
            if (node.name.compare(OutlookHarvest::folderName(name), Qt::CaseInsensitive) == 0) {
                found = &node;
                break;
            }
        }
        if (found == nullptr)
            return false;
        level = &found->children;
    }
    return found != nullptr && found->contacts;
}

} // namespace

QString CliHarvestCommand::usage() {
    return QStringLiteral(
        "  harvest (--folder NAME [--from] [--recipients] [--bodies] | --contacts | --files DIR [--all-files])\n"
        "                        print the addresses found, one per line (NAME: sub-folders separated by /)\n");
}

int CliHarvestCommand::harvest(CliContext &context, const QStringList &arguments) {
    QString folder;
    QString directory;
    bool contacts = false;
    bool allFiles = false;
    OutlookHarvest::Options options{false, false, false};
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if ((arg == QLatin1String("--folder") || arg == QLatin1String("--files")) && i + 1 < arguments.size()) {
            (arg == QLatin1String("--folder") ? folder : directory) = arguments.at(++i);
        } else if (arg == QLatin1String("--from")) {
            options.from = true;
        } else if (arg == QLatin1String("--recipients")) {
            options.recipients = true;
        } else if (arg == QLatin1String("--bodies")) {
            options.bodies = true;
        } else if (arg == QLatin1String("--contacts")) {
            contacts = true;
        } else if (arg == QLatin1String("--all-files")) {
            allFiles = true;
        } else {
            context.fail(QStringLiteral("harvest: unexpected argument ") + LineText::visible(arg));
            return 2;
        }
    }
    const int sources = (folder.isEmpty() ? 0 : 1) + (directory.isEmpty() ? 0 : 1) + (contacts ? 1 : 0);
    const bool ticks = options.from || options.recipients || options.bodies;
    if (sources != 1 || (ticks && folder.isEmpty()) || (allFiles && directory.isEmpty())) {
        context.fail(QStringLiteral("usage:\n") + usage());
        return 2;
    }

    Settings &settings = context.main.settings();
    QStringList lines;
    bool failed = false;
    QString summary;
    if (!directory.isEmpty()) {
        FileFolderHarvest files(settings, context.prompt);
        const FileFolderHarvest::Result result = files.scan(directory, FileFolderHarvest::maskOf(allFiles ? 1 : 0));
        failed = result.outcome != FileFolderHarvest::Outcome::Completed;
        lines = result.lines;
        summary = QStringLiteral("%1 files read, %2 could not be read").arg(result.files).arg(result.failedFiles);
    } else {
        const int method = settings.GetSenderAddressMethod;
        const bool alwaysShow = settings.AlwaysShowSenderError;
        PromptSenderMethodAsker asker(context.prompt);
        OutlookHarvest mail(settings, context.prompt, asker);
        OutlookHarvest::Result result;
        if (contacts) {
            result = mail.harvestContacts();
        } else {
            const QStringList path = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
            if (!ticks)
                options.from = true;
            // The tree tells whether the folder holds contacts; without it (the store is unreachable, which
            // the person was told) there is nothing to scan.
            if (const std::optional<OutlookHarvest::Folders> tree = mail.loadFolders())
                result = mail.ProcessSelectedFolder(path, holdsContacts(tree->tree, path), options);
            else
                result.outcome = OutlookHarvest::Outcome::Unreachable;
        }
        failed = result.outcome != OutlookHarvest::Outcome::Completed;
        lines = result.lines;
        summary = QStringLiteral("%1 items read").arg(result.items);
        if (settings.GetSenderAddressMethod != method || settings.AlwaysShowSenderError != alwaysShow)
            context.settingsChanged = true;
    }
    for (const QString &line : lines)
        context.print(LineText::oneLine(line));
    context.fail(QStringLiteral("harvest: %1 addresses found, %2%3")
                     .arg(lines.size())
                     .arg(summary, failed ? QStringLiteral(" (stopped)") : QString()));
    return failed ? 1 : 0;
}

} // namespace corvane

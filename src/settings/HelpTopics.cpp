// The table of help pages.
#include "settings/HelpTopics.h"

#include <QCoreApplication>
#include <QDir>

namespace corvane {

const std::vector<HelpTopics::Topic> &HelpTopics::topics() {
    static const std::vector<Topic> table = {
        {kContents, QStringLiteral("index.html"), QStringLiteral("Corvane Help")},
        {203, QStringLiteral("manual-entry.html"), QStringLiteral("Manually entering entries")},
        {204, QStringLiteral("folder-harvest.html"), QStringLiteral("Scanning mail folders for addresses")},
        {205, QStringLiteral("file-harvest.html"), QStringLiteral("Scanning file folders for addresses")},
        {206, QStringLiteral("import.html"), QStringLiteral("Importing entries")},
        {208, QStringLiteral("export-print.html"), QStringLiteral("Exporting and printing the list")},
        {210, QStringLiteral("sending.html"), QStringLiteral("Sending a message to the list")},
        {302, QStringLiteral("options-general.html"), QStringLiteral("Options: General")},
        {303, QStringLiteral("options-scanning.html"), QStringLiteral("Options: Scanning")},
        {304, QStringLiteral("options-categories.html"), QStringLiteral("Options: List Categories")},
        {305, QStringLiteral("options-sending.html"), QStringLiteral("Options: Sending Mail")},
        {306, QStringLiteral("options-acknowledge.html"), QStringLiteral("Options: Acknowledge")},
        {307, QStringLiteral("options-user-sending.html"), QStringLiteral("Options: User Sending")},
        {308, QStringLiteral("options-delivery-failure.html"), QStringLiteral("Options: Delivery Failure")},
        {309, QStringLiteral("options-exceptions.html"), QStringLiteral("Options: Exceptions")},
        {310, QStringLiteral("options-synonyms.html"), QStringLiteral("Options: Synonyms")},
        {311, QStringLiteral("options-signature.html"), QStringLiteral("Options: Signature")},
        {312, QStringLiteral("advanced-settings.html"), QStringLiteral("Advanced Settings")},
    };
    return table;
}

QString HelpTopics::pageFor(int context) {
    for (const Topic &topic : topics()) {
        if (topic.context == context) {
            return topic.file;
        }
    }
    return topics().front().file;
}

QString HelpTopics::helpDirectory() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help"));
}

} // namespace corvane

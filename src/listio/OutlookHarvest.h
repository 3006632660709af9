// Gathering addresses from the mail store (the work behind "Scan Outlook Folders for Addresses..." and
// "Scan Outlook Contacts for Addresses..."): the folder tree below the root folder, and the scan of one folder
// (ProcessSelectedFolder) into the harvest's result lines: the senders read by the configured retrieval method,
// the recipients and the addresses written in the bodies of its messages, or the addresses of its contacts.
// Nothing is written to the list here; the lines go to the "Enter Addresses" dialog.
#pragma once

#include "listio/HarvestFolderNode.h"
#include "requests/SenderRetrieval.h"

#include <QStringList>
#include <optional>
#include <vector>

namespace corvane {

class HarvestList;
class MailFolder;
class MailItems;
class SenderMethodAsker;
class Settings;
class UserPrompt;

class OutlookHarvest {
public:
    // What to read from each message; a contacts scan reads the contacts' addresses instead.
    struct Options {
        bool from = true;
        bool recipients = false;
        bool bodies = false;
    };

    // How a scan ended.
    enum class Outcome {
        // Every item was read; `lines` holds what was found (possibly nothing).
        Completed,
        // The person confirmed Cancel in the progress window; nothing is handed on.
        Cancelled,
        // The store, the root folder or a folder of the path could not be opened (the person was told).
        Unreachable,
    };

    struct Result {
        Outcome outcome = Outcome::Completed;
        QStringList lines;
        int items = 0;
    };

    // The folder tree and where the contacts folder is.
    struct Folders {
        std::vector<HarvestFolderNode> tree;
        // The name of the first top-level folder holding contacts; empty when there is none.
        QString contactsFolder;
    };

    // Every argument must outlive the harvest. The sender-retrieval question may change
    // GetSenderAddressMethod and AlwaysShowSenderError in `settings`.
    OutlookHarvest(Settings &settings, UserPrompt &prompt, SenderMethodAsker &asker);

    // Loads the tree of every folder below the root folder, all depths, sorted by name (ignoring letter case)
    // at every level, with the progress "Retrieving Outlook Folders" per top-level folder. When the store or
    // the root folder cannot be reached, warns and returns none.
    std::optional<Folders> loadFolders();

    // Scans the folder reached from the root folder through `path` (top-level name first; each name may end
    // with the tree's "*", which is ignored), its items from the last down to the first. `contactMode`
    // reads contacts, otherwise the parts of each message `options` asks for. A folder that cannot be opened
    // is told to the person; a failing item or recipient is skipped silently; a failing sender method asks
    // the sender-retrieval question. Uses the prompt's cancel flag. Never raises.
    Result ProcessSelectedFolder(const QStringList &path, bool contactMode, const Options &options);

    // The contacts command: finds the contacts folder (warning "Your Contacts folder could not be found"
    // without one) and scans it in contact mode.
    Result harvestContacts();

    // Turns a tree text (name with an optional trailing "*") back into the folder's name.
    static QString folderName(const QString &text);

    static QString rootErrorText();
    static QString noAddressesText() { return QStringLiteral("No e-mail addresses were found in specified folder"); }

private:
    // The root folder named by RootFolder ("<Root>": the first top-level folder). Raises when the store or
    // the folder cannot be opened.
    MailFolder openRoot() const;
    void scanMessage(int index, const MailItems &items, HarvestList &found, const Options &options);
    static HarvestFolderNode node(const MailFolder &folder, int depth);

    Settings &m_settings;
    UserPrompt &m_prompt;
    SenderRetrieval m_senders;
};

} // namespace corvane

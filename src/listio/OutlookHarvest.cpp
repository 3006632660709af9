// The mail-store harvest: the folder tree and the scan of one folder into result lines.
#include "listio/OutlookHarvest.h"

#include "base/BusyCursor.h"
#include "base/ProgressWindow.h"
#include "base/UserPrompt.h"
#include "listio/AddressExtraction.h"
#include "listio/HarvestList.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailItems.h"
#include "mailstore/MailNamespace.h"
#include "mailstore/MailStoreApplication.h"
#include "mailstore/SafeMailItem.h"
#include "send/MailStoreSettings.h"
#include "settings/Settings.h"

#include <algorithm>

namespace corvane {

namespace {

// Folders nest no deeper than this in the tree; a deeper store is shown cut off there.
constexpr int kMaxFolderDepth = 64;
// The values of GetSenderAddressMethod whose address may come from the Reply-To recipients.
constexpr int kDynamicMethod = 1;
constexpr int kReplyRecipientsMethod = 3;

void sortTree(std::vector<HarvestFolderNode> &nodes) {
    std::stable_sort(nodes.begin(), nodes.end(), [](const HarvestFolderNode &a, const HarvestFolderNode &b) {
        return QString::compare(a.text(), b.text(), Qt::CaseInsensitive) < 0;
    });
    for (HarvestFolderNode &child : nodes)
        sortTree(child.children);
}

// The lines of a body as the hidden text box holds them: split at CR LF, LF or CR.
QStringList bodyLines(const QString &body) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = body.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = body.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(body.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && body.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(body.mid(start));
    return lines;
}

// Whether `address` holds "@" after its first character.
bool hasAt(const QString &address) {
    return address.indexOf(QLatin1Char('@')) > 0;
}

} // namespace

OutlookHarvest::OutlookHarvest(Settings &settings, UserPrompt &prompt, SenderMethodAsker &asker)
    : m_settings(settings), m_prompt(prompt), m_senders(settings, asker) {}

QString OutlookHarvest::rootErrorText() {
    return QStringLiteral("Error accessing your Outlook Root Folder.  You may need to amend your settings under "
                          "'File|Options, Advanced..'");
}

QString OutlookHarvest::folderName(const QString &text) {
    return text.endsWith(QLatin1Char('*')) ? text.chopped(1) : text;
}

MailFolder OutlookHarvest::openRoot() const {
    const MailStoreApplication application = MailStoreSettings::application(m_settings);
    const MailNamespace names = application.GetNameSpace(QStringLiteral("MAPI"));
    const QString rootName = m_settings.RootFolder;
    return (rootName.isEmpty() || rootName == QLatin1String("<Root>")) ? names.Folders(1) : names.Folders(rootName);
}

HarvestFolderNode OutlookHarvest::node(const MailFolder &folder, int depth) {
    HarvestFolderNode result;
    result.name = folder.name();
    result.contacts = folder.DefaultItemType() == MailFolder::ContactItemType;
    if (depth < kMaxFolderDepth) {
        const MailFolders children = folder.Folders();
        for (int i = 1; i <= children.Count(); ++i)
            result.children.push_back(node(children.Item(i), depth + 1));
    }
    return result;
}

std::optional<OutlookHarvest::Folders> OutlookHarvest::loadFolders() {
    BusyCursor busy(m_prompt);
    const QString caption = QStringLiteral("Retrieving Outlook Folders");
    ProgressWindow::showprogress(m_prompt, true, 0, 100, caption, false);
    const auto failed = [this]() -> std::optional<Folders> {
        ProgressWindow::hideprogress(m_prompt);
        m_prompt.message(UserPrompt::Kind::Warning, rootErrorText(), UserPrompt::Ok);
        return std::nullopt;
    };
    Folders folders;
    try {
        const MailFolders top = openRoot().Folders();
        const int n = top.Count();
        for (int c = 1; c <= n; ++c) {
            ProgressWindow::showprogress(m_prompt, true, c, n, caption, false);
            folders.tree.push_back(node(top.Item(c), 1));
            if (folders.contactsFolder.isEmpty() && folders.tree.back().contacts)
                folders.contactsFolder = folders.tree.back().name;
        }
    } catch (const std::exception &) {
        return failed();
    }
    sortTree(folders.tree);
    ProgressWindow::hideprogress(m_prompt);
    return folders;
}

void OutlookHarvest::scanMessage(int index, const MailItems &items, HarvestList &found, const Options &options) {
    const std::shared_ptr<MailItem> item = items.Item(index);
    SafeMailItem safe;
    if (m_settings.UseRedemption)
        safe.setItem(item);
    if (options.from) {
        // A reply-to address (the ReplyRecipients method, also the dynamic method's second step) counts only
        // when it holds "@" after its first character.
        const int method = m_settings.GetSenderAddressMethod;
        const SenderRetrieval::Sender sender = m_senders.retrieve(item, m_settings.UseRedemption ? &safe : nullptr);
        if ((method != kDynamicMethod && method != kReplyRecipientsMethod) || hasAt(sender.address))
            found.addNameAndAddress(sender.name, sender.address);
    }
    if (options.recipients) {
        const MailRecipients recipients = item->Recipients();
        for (int r = recipients.Count(); r >= 1; --r) {
            try {
                const MailRecipient &recipient = recipients.Item(r);
                const QString address = recipient.Address();
                if (hasAt(address))
                    found.addNameAndAddress(recipient.name(), address);
            } catch (const std::exception &) {
            }
        }
    }
    if (options.bodies) {
        QStringList addresses;
        const QStringList exceptions = m_settings.AddressExceptions.items();
        AddressExtraction::extractemailaddresses(bodyLines(item->body()), addresses, &exceptions);
        for (const QString &address : addresses)
            found.add(address);
    }
}

OutlookHarvest::Result OutlookHarvest::ProcessSelectedFolder(const QStringList &path, bool contactMode,
                                                             const Options &options) {
    Result result;
    if (path.isEmpty())
        return result;
    BusyCursor busy(m_prompt);
    struct HideProgress {
        UserPrompt &prompt;
        ~HideProgress() { ProgressWindow::hideprogress(prompt); }
    } hide{m_prompt};

    std::optional<MailFolder> folder;
    try {
        folder = openRoot();
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Warning, rootErrorText(), UserPrompt::Ok);
        result.outcome = Outcome::Unreachable;
        return result;
    }
    for (const QString &text : path) {
        const QString name = folderName(text);
        try {
            folder = folder->Folders(name);
        } catch (const std::exception &) {
            m_prompt.message(UserPrompt::Kind::Warning,
                             QStringLiteral("The folder, ") + name + QStringLiteral(", could not be opened"),
                             UserPrompt::Ok);
            result.outcome = Outcome::Unreachable;
            return result;
        }
    }

    HarvestList found;
    const QString caption = QStringLiteral("Scanning Entries from ") + folder->name();
    try {
        const MailItems items = folder->Items();
        const int count = items.Count();
        int shownPercent = -1;
        for (int index = count; index >= 1; --index) {
            const int position = count - index;
            const int percent = static_cast<int>(qint64(position) * 100 / count);
            if (percent != shownPercent || position % 32 == 0) {
                shownPercent = percent;
                ProgressWindow::showprogress(m_prompt, true, position, count, caption, true);
            }
            if (m_prompt.cancelRequested()) {
                result.outcome = Outcome::Cancelled;
                result.items = position;
                return result;
            }
            try {
                if (contactMode) {
                    const std::shared_ptr<ContactItem> contact = items.Contact(index);
                    const QString address = contact->Email1Address();
                    if (address.contains(QLatin1Char(';')))
                        found.addSemicolonList(address);
                    else
                        found.addNameAndAddress(contact->FullName(), address);
                } else {
                    scanMessage(index, items, found, options);
                }
            } catch (const std::exception &) {
            }
            ++result.items;
        }
    } catch (const std::exception &) {
        // The folder's item list could not be read: what was found so far is handed on.
    }
    result.lines = found.lines();
    return result;
}

OutlookHarvest::Result OutlookHarvest::harvestContacts() {
    const std::optional<Folders> folders = loadFolders();
    if (!folders)
        return Result{Outcome::Unreachable, {}, 0};
    if (folders->contactsFolder.isEmpty()) {
        m_prompt.message(UserPrompt::Kind::Warning, QStringLiteral("Your Contacts folder could not be found"),
                         UserPrompt::Ok);
        return Result{Outcome::Unreachable, {}, 0};
    }
    return ProcessSelectedFolder({folders->contactsFolder}, true, Options{});
}

} // namespace corvane

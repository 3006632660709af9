// The options dialog's rules: mirrored controls, list editing, the blocked-list rescan, OK and Cancel.
#include "settings/Tdlgoptions.h"

#include "base/BusyCursor.h"
#include "base/DatabaseLink.h"
#include "base/UserPrompt.h"
#include "listio/ImportLines.h"
#include "listio/ListImport.h"
#include "mailstore/MailFolders.h"
#include "requests/AddressRoutines.h"
#include "send/ListHeaders.h"
#include "send/MailStoreSettings.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

#include <exception>

namespace corvane {

QStringList Tdlgoptions::pageCaptions() {
    return {QStringLiteral("General"),          QStringLiteral("Scanning"),    QStringLiteral("List Categories"),
            QStringLiteral("Sending Mail"),     QStringLiteral("Acknowledge"), QStringLiteral("User Sending"),
            QStringLiteral("Delivery Failure"), QStringLiteral("Exceptions"),  QStringLiteral("Synonyms"),
            QStringLiteral("Signature")};
}

Tdlgoptions::Tdlgoptions(Settings &settings, SettingsStore &store, DatabaseLink &db, UserPrompt &prompt,
                         EntryRules *rules)
    : m_settings(settings), m_store(store), m_db(db), m_prompt(prompt), m_rules(rules) {}

void Tdlgoptions::FormShow() {
    mirror.chkShareDB = !m_db.DBExclusive();
    mirror.chkStrictDetection = m_db.StrictChangeDetection();
    const bool multiple = m_settings.MultipleCategorySupport.checked;
    m_settings.MultipleCategorySupport = {multiple, !multiple};
    mirror.rdbRestrictCategories = m_settings.RestrictCategories && !m_settings.AllowedCategories.isEmpty();
    mirror.cmbMailingList = m_settings.MailingListGroup;
    mirror.rdbSeparateEmail = m_settings.SendCount == 1;
    if (!mirror.rdbSeparateEmail) {
        mirror.spnRecipients = m_settings.SendCount;
    }
    UpdateCategoryListBoxes();
}

bool Tdlgoptions::EditEntries(RuleListKind kind, const Editor &editor) {
    QStringList lines = RuleListEditing::items(m_settings, kind);
    if (!editor(lines)) {
        return false;
    }
    RuleListEditing::setItems(m_settings, kind, RuleListEditing::normalise(lines, kind, m_prompt));
    if (kind == RuleListKind::AllowedCategories) {
        UpdateCategoryListBoxes();
    }
    return true;
}

void Tdlgoptions::UpdateCategoryListBoxes() {
    m_categoryItems = m_settings.AllowedCategories;
}

void Tdlgoptions::btnneverjoinClick(const Editor &editor) {
    EditEntries(RuleListKind::BlockedAddresses, editor);
    if (m_settings.BlockedAddresses.isEmpty()) {
        return;
    }
    if (m_prompt.message(UserPrompt::Kind::Confirmation, rescanQuestion(), UserPrompt::Yes | UserPrompt::No) ==
        UserPrompt::Yes) {
        rescanBlockedAddresses();
    }
}

void Tdlgoptions::rescanBlockedAddresses() {
    if (m_rules == nullptr) {
        m_prompt.beep();
        return;
    }
    ImportLines lines(m_settings.BlockedAddresses.items());
    ListImport(*m_rules, m_prompt).Importfile(lines, false, false, blockedRemovalPrefix(), QString(), false);
}

void Tdlgoptions::defaulttoaddressExit() {
    const QString address = m_settings.DefaultToAddress;
    if (address.isEmpty() || AddressRoutines::validemailaddress(address).valid) {
        return;
    }
    if (m_prompt.message(UserPrompt::Kind::Confirmation, invalidToAddressQuestion(address),
                         UserPrompt::Yes | UserPrompt::No) != UserPrompt::Yes) {
        m_settings.DefaultToAddress.clear();
    }
}

bool Tdlgoptions::listaddressExit() {
    m_settings.ListAddress = m_settings.ListAddress.trimmed();
    const QString problem = ListHeaders::problem(m_settings.ListAddress);
    if (problem.isEmpty()) {
        return true;
    }
    m_prompt.message(UserPrompt::Kind::Warning,
                     problem + QStringLiteral(".  Mailings carry no List-Id or List-Unsubscribe header until a valid "
                                              "list address is set."),
                     UserPrompt::Ok);
    m_settings.ListAddress.clear();
    return false;
}

bool Tdlgoptions::BitBtn1Click() {
    bool keepOpen = false;
    const auto refuse = [&](const QString &text) {
        m_prompt.message(UserPrompt::Kind::Information, text, UserPrompt::Ok);
        currentPage = UserSending;
        keepOpen = true;
    };
    if (m_settings.UserSending && m_settings.UserSendingFolder.isEmpty()) {
        refuse(userFolderMissingText());
    }
    if (m_settings.UserSending && m_settings.ForwardAll.checked &&
        m_settings.UserSendingFolder == mirror.cmbMailingList) {
        refuse(sameFolderText(m_settings.UserSendingFolder));
    }
    if (!listaddressExit()) {
        currentPage = SendingMail;
        keepOpen = true;
    }
    if (applyCaching) {
        applyCaching();
    }
    if (mirror.chkShareDB == m_db.DBExclusive() || mirror.chkStrictDetection != m_db.StrictChangeDetection()) {
        m_prompt.message(UserPrompt::Kind::Information, restartText(), UserPrompt::Ok);
        m_db.setDBExclusive(!mirror.chkShareDB);
        m_db.setStrictChangeDetection(mirror.chkStrictDetection);
    }
    m_settings.SendCount = mirror.rdbSeparateEmail ? 1 : mirror.spnRecipients;
    if (m_settings.defaultcategory.isEmpty()) {
        m_settings.defaultcategory = QStringLiteral("Default");
    }
    if (m_settings.AlternativeCategory.isEmpty()) {
        m_settings.AlternativeCategory = m_settings.defaultcategory;
    }
    m_settings.MultipleCategorySupport.partnerChecked = !m_settings.MultipleCategorySupport.checked;
    m_settings.RestrictCategories = mirror.rdbRestrictCategories && !m_settings.AllowedCategories.isEmpty();
    m_settings.MailingListGroup = mirror.cmbMailingList;
    m_store.SaveEntries(m_settings);
    return !keepOpen;
}

void Tdlgoptions::BitBtn2Click() {
    m_store.Loadentries(m_settings);
    UpdateCategoryListBoxes();
}

QStringList Tdlgoptions::folderNames() const {
    BusyCursor busy(m_prompt);
    QStringList names;
    try {
        const MailStoreApplication application = MailStoreSettings::application(m_settings);
        const MailNamespace space = application.GetNameSpace(QStringLiteral("MAPI"));
        const QString rootName = m_settings.RootFolder;
        const MailFolder root =
            (rootName.isEmpty() || rootName == QLatin1String("<Root>")) ? space.Folders(1) : space.Folders(rootName);
        const MailFolders folders = root.Folders();
        for (int i = 1; i <= folders.Count(); ++i) {
            names.append(folders.Item(i).name());
        }
    } catch (const std::exception &) {
        return {};
    }
    return names;
}

QString Tdlgoptions::userFolderMissingText() {
    return QStringLiteral("You have set the option to allow users to send messages to your list, but have not "
                          "specified which folder to scan!");
}

QString Tdlgoptions::sameFolderText(const QString &folder) {
    return QStringLiteral("You have set the option to forward all user messages in the folder '") + folder +
           QStringLiteral("'.  However this is the same folder that you have selected to scan for "
                          "Subscribe/Unsuscribe messages.  ") +
           QStringLiteral("This would cause all Subscribe/Unsubscribe messages to be forwarded to your mailing list.  "
                          "Please select a new folder!");
}

QString Tdlgoptions::restartText() {
    return QStringLiteral("The changes to the database settings you have made will not take effect until you restart "
                          "the application!");
}

QString Tdlgoptions::rescanQuestion() {
    return QStringLiteral("You have changed your blocked addresses list.  Do you want to scan your list now to ensure "
                          "these addresses do not exist?");
}

QString Tdlgoptions::invalidToAddressQuestion(const QString &address) {
    return QStringLiteral("The To: address that you specified, ") + address +
           QStringLiteral(", does not appear to be valid.  Are you sure you want to use it?");
}

} // namespace corvane

// Start-up, caption, scan timers, database commands and shutdown of the main window.
#include "app/Tfrmmain.h"

#include "base/AppPaths.h"
#include "base/AtomicFile.h"
#include "base/BusyCursor.h"
#include "base/CommandGuard.h"
#include "base/CorvaneError.h"
#include "base/LineText.h"
#include "base/UserPrompt.h"
#include "db/TdmML.h"
#include "listio/BackUpFile.h"
#include "listio/ListMaintenance.h"
#include "requests/ActivityLog.h"
#include "requests/AddressRoutines.h"
#include "requests/EntryRules.h"
#include "requests/PromptSenderMethodAsker.h"
#include "requests/UserMessageForwarder.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

#include <QFileInfo>
#include <QSettings>

namespace corvane {

namespace {
constexpr int kStartUpScanDelayMs = 250;
constexpr int kMillisecondsPerMinute = 60000;
} // namespace

Tfrmmain::Tfrmmain(UserPrompt &prompt, QObject *parent)
    : QObject(parent), m_prompt(prompt), m_settings(std::make_unique<Settings>()), m_listView(prompt) {
    // The timer's built-in interval is never used as such: start-up and the periodic scan set their own.
    m_timer.setInterval(350);
    m_timer.stop();
    connect(&m_timer, &QTimer::timeout, this, &Tfrmmain::tmrGetEntriesTimer);
    connect(&m_listView, &ListView::countTextChanged, this, &Tfrmmain::countTextChanged);
    connect(&m_listView, &ListView::displayUpdated, this, &Tfrmmain::UpdateCaption);
}

Tfrmmain::~Tfrmmain() = default;

bool Tfrmmain::isDebugArgument(const QStringList &arguments) {
    return !arguments.isEmpty() && arguments.first().toUpper() == QLatin1String("/DEBUG");
}

void Tfrmmain::FormCreate(const QStringList &arguments) {
    m_appDir = AppPaths::fixpath(AppPaths::applicationDirectory(), true);
    AtomicFile::removeStaleTemporaries(m_appDir);
    m_helpFile = m_appDir + QStringLiteral("CORVANE.HLP");
    m_debug = isDebugArgument(arguments);
}

void Tfrmmain::createDataModule() {
    m_dm = std::make_unique<TdmML>(m_prompt);
    connect(m_dm.get(), &TdmML::recentDatabasesChanged, this, &Tfrmmain::recentDatabasesChanged);
    m_store = std::make_unique<SettingsStore>(m_prompt, *m_dm);
    m_log = std::make_unique<ActivityLog>(*m_settings);
    m_acknowledger = std::make_unique<AcknowledgementMailer>(*m_settings, *m_log, m_prompt);
    m_rules = std::make_unique<EntryRules>(m_dm->tblML(), *m_settings, *m_log, m_errors, m_prompt, *m_acknowledger);
    m_maintenance = std::make_unique<ListMaintenance>(*m_dm, *m_settings, m_prompt);
    m_listView.model().setAddressCheck([this](const QString &address) { return inlineAddressAccepted(address); });
    m_forwarder = std::make_unique<UserMessageForwarder>(m_dm->tblML(), *m_rules, *m_settings, *m_log, m_prompt);
    memberPostHandler = m_forwarder.get();
    if (!backUp) {
        backUp = [this] { BackUpFile::writeBackUp(m_prompt, m_dm->tblML(), *m_settings, m_appDir); };
    }
    connect(m_dm.get(), &TdmML::tablesDetached, this, [this] { m_listView.setTable(nullptr); });
    connect(m_dm.get(), &TdmML::tablesAttached, this, [this] { m_listView.setTable(&m_dm->tblML()); });
    m_dm->dmMLCreate();
    m_listView.setTable(&m_dm->tblML());
    emit recentDatabasesChanged(m_dm->RecentDatabases());
    emit dataModuleCreated();
}

void Tfrmmain::FormShow() {
    if (m_store) {
        m_store->Loadentries(*m_settings);
    }
    if (applyLoadedSettings) {
        applyLoadedSettings();
    }
    if (restoreLayout) {
        restoreLayout();
    }
    try {
        UpdateDisplay();
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Warning,
                         QStringLiteral("An error was encountered with your Database.  Please restart and if the "
                                        "problem continues restore your files from backup."),
                         UserPrompt::Ok);
    }
    UpdateCaption();
    if (QFileInfo::exists(ErrorsList::fileName())) {
        m_errors.LoadFromFile();
    }
    if (m_settings->AutoScanStartUp) {
        m_timer.setInterval(kStartUpScanDelayMs);
        m_timer.start();
        return;
    }
    CommenceTimer();
}

void Tfrmmain::UpdateCaption() {
    QString caption = QStringLiteral("Corvane Professional");
    if (m_debug) {
        caption += QStringLiteral("  DEBUG MODE");
    } else if (!databaseOpen()) {
        // Naming a directory here would suggest that its list is shown and can be printed or backed up.
        caption += noDatabaseCaption();
    } else {
        const QString path = m_dm ? m_dm->currentDBPath() : QString();
        const QString shown = (path.isEmpty() || path == QLatin1String("%")) ? m_appDir : path;
        caption += QStringLiteral("  (Database: ") + shown + QLatin1Char(')');
    }
    m_caption = caption;
    emit captionChanged(m_caption);
}

bool Tfrmmain::inlineAddressAccepted(const QString &address) {
    if (LineText::hasControlCharacters(address)) {
        m_prompt.message(UserPrompt::Kind::Information, EntryRules::refusedText(), UserPrompt::Ok);
        return false;
    }
    const QStringList &exceptions = m_settings->AddressExceptions.items();
    if (!AddressRoutines::validemailaddress(address, &exceptions).valid) {
        m_prompt.message(UserPrompt::Kind::Information,
                         QStringLiteral("The e-mail address, ") + address +
                             QStringLiteral(", does not appear to be valid."),
                         UserPrompt::Ok);
        return false;
    }
    return true;
}

bool Tfrmmain::databaseOpen() const {
    return m_dm != nullptr && m_dm->tblML().isOpen();
}

void Tfrmmain::UpdateDisplay() {
    m_listView.UpdateDisplay();
}

void Tfrmmain::CommenceTimer() {
    if (!m_settings->AutoScanDelayed) {
        return;
    }
    m_timer.setInterval(m_settings->AutoScanDelayedTime * kMillisecondsPerMinute);
    m_timer.start();
}

void Tfrmmain::tmrGetEntriesTimer() {
    const bool active = !isMainWindowActive || isMainWindowActive();
    if (active) {
        runCommand([this] { btngetoutlookClick(); });
        return;
    }
    // Another window is in front: postpone by a full interval, never queue.
    m_timer.stop();
    m_timer.start();
}

void Tfrmmain::btngetoutlookClick() {
    m_timer.stop();
    scanForNewEntries();
    CommenceTimer();
}

void Tfrmmain::scanForNewEntries() {
    ++m_scanCount;
    emit scanStarted();
    m_lastScans.clear();
    if (!m_dm || !m_rules || !m_dm->DatabaseLoaded()) {
        return;
    }
    const Settings &settings = *m_settings;
    if (settings.UserSending && settings.MailingListGroup == settings.UserSendingFolder) {
        m_lastScans.append(ProcessFolder(true, true));
        return;
    }
    m_lastScans.append(ProcessFolder(true, false));
    if (settings.UserSending) {
        m_lastScans.append(ProcessFolder(false, true));
    }
}

TfrmExtractentries::Summary Tfrmmain::ProcessFolder(bool requests, bool memberPosts) {
    m_listView.newformpreparation(true);
    PromptSenderMethodAsker confirmation(m_prompt);
    SenderMethodAsker &asker = senderMethodAsker != nullptr ? *senderMethodAsker : confirmation;
    TfrmExtractentries scan(*m_settings, *m_rules, &m_dm->tblStats(), m_prompt, asker, memberPostHandler);
    const TfrmExtractentries::Summary summary =
        showScanWindow ? showScanWindow(scan, requests, memberPosts) : scan.OpenBtnClick(requests, memberPosts);
    try {
        m_dm->SaveDatabase();
    } catch (const CorvaneError &error) {
        m_prompt.message(UserPrompt::Kind::Error, error.message(), UserPrompt::Ok);
    }
    m_listView.newformpreparation(false);
    try {
        UpdateDisplay();
    } catch (const std::exception &) {
        // The count line keeps its text; the next refresh tries again.
    }
    return summary;
}

bool Tfrmmain::runCommand(const std::function<void()> &command) {
    return CommandGuard::run(m_prompt, command);
}

void Tfrmmain::runModal(const std::function<void()> &command) {
    // Restores the list view on every way out of the command.
    class Preparation {
    public:
        explicit Preparation(ListView &view) : m_view(view) { m_view.newformpreparation(true); }
        ~Preparation() {
            try {
                m_view.newformpreparation(false);
            } catch (...) {
                // The view keeps what it shows; the command's own outcome is what counts.
            }
        }
        Preparation(const Preparation &) = delete;
        Preparation &operator=(const Preparation &) = delete;

    private:
        ListView &m_view;
    };
    const Preparation preparation(m_listView);
    command();
}

void Tfrmmain::mkUpdateAddressClick(AddressChangeAsker &asker, int focusedKey) {
    if (!m_maintenance) {
        m_prompt.beep();
        return;
    }
    runModal([&] { m_maintenance->UpdateEmailAddress(*m_rules, asker, focusedKey); });
    UpdateDisplay();
}

void Tfrmmain::mkOpenDBClick() {
    if (!m_dm) {
        return;
    }
    m_dm->PromptToLoadDB();
    UpdateDisplay();
}

void Tfrmmain::mkreopenonclick(const QString &hint) {
    if (!m_dm) {
        return;
    }
    try {
        if (m_dm->ReopenRecent(hint)) {
            UpdateDisplay();
        }
    } catch (const std::exception &) {
        m_prompt.message(UserPrompt::Kind::Warning, QStringLiteral("Error opening your database"), UserPrompt::Ok);
        UpdateDisplay();
    }
}

bool Tfrmmain::mkOptimiseClick() {
    if (!m_dm) {
        return false;
    }
    bool optimized = false;
    try {
        optimized = m_dm->OptimiseDatabase(true);
    } catch (...) {
        // The tables could not be opened again: the caption says so before the error box.
        UpdateCaption();
        throw;
    }
    UpdateDisplay();
    return optimized;
}

bool Tfrmmain::FormCloseQuery() {
    if (!m_settings->BackUpOnExit) {
        return true;
    }
    try {
        if (!backUp) {
            throw CorvaneError(QStringLiteral("No back-up writer"));
        }
        backUp();
        return true;
    } catch (const std::exception &) {
        const auto answer = m_prompt.message(
            UserPrompt::Kind::Confirmation,
            QStringLiteral("An error was encountered saving your back up file.  Do you still want to close?"),
            UserPrompt::Yes | UserPrompt::No);
        return answer == UserPrompt::Yes;
    }
}

void Tfrmmain::FormClose() {
    m_timer.stop();
    try {
        if (saveLayout) {
            saveLayout();
        }
        if (!m_errors.SaveToFile()) {
            m_prompt.message(UserPrompt::Kind::Warning,
                             QStringLiteral("The errors list could not be saved to ") + ErrorsList::fileName(),
                             UserPrompt::Ok);
        }
        if (m_store) {
            m_store->SaveEntries(*m_settings);
        }
        if (m_dm) {
            m_dm->SaveDatabase();
        }
    } catch (const std::exception &) {
        // Closing goes on: a failed step only ends the remaining steps of this block.
    }
}

void Tfrmmain::FormDestroy() {
    if (!m_dm) {
        return;
    }
    try {
        // Written only when it changed, and never over a settings file that could not be read.
        if (m_store) {
            m_store->saveDatabasePath(m_dm->currentDBPath());
        }
    } catch (const std::exception &) {
    }
    try {
        m_dm->SaveRecentList();
    } catch (const std::exception &) {
    }
}

} // namespace corvane

// The advanced settings dialog's behaviour ("Advanced Settings"), free of widgets: the sending method, the
// choice of mail program, the root folder, the sender-address retrieval method and the mail store of this
// platform (the Maildir root and the submission program). The controls are filled from the settings when
// the dialog is shown; OK checks and stores them, Cancel stores nothing. The values reach the settings file
// at the next save (the options dialog's OK or the program's close).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace corvane {

class Settings;
class UserPrompt;

class TdlgAdvancedSettings {
public:
    static constexpr int kHelpContext = 312;
    static constexpr int kSmtpMethod = 3;
    static constexpr int kRelayMethod = 4;
    static constexpr int kExtendedMapiRetrieval = 5;

    // "Outlook Root (Top Level) Folder".
    enum class Root { Default, PersonalFolders, Named };
    // The kind of mail store; IMAP accounts are to join the Maildir store here.
    enum class StoreKind { Maildir };

    struct Controls {
        int sendingMethod = -1; // item of the sending-method list, -1 for none
        bool alwaysResolve = true;
        bool useOutlook = true; // "I will use Outlook with Corvane"
        Root root = Root::Default;
        QString rootName;
        int retrievalMethod = 5;
        bool alwaysShowSenderError = true;
        bool useRedemption = true;
        StoreKind storeKind = StoreKind::Maildir;
        QString mailStore;     // the Maildir root; empty for the default store
        QString submitCommand; // empty for "sendmail -oi"
    };

    // `usesOutlook` is the main window's current choice of mail program.
    TdlgAdvancedSettings(Settings &settings, UserPrompt &prompt, bool usesOutlook);

    Controls controls;

    // Showing: the notice when no sending method was ever chosen (OK preselects the first method, Cancel
    // leaves the list without a choice), then every control from the settings.
    void FormShow();

    bool settingsButtonEnabled() const;
    bool alwaysResolveEnabled() const { return !settingsButtonEnabled(); }
    bool rootNameEnabled() const { return controls.root == Root::Named; }
    bool outlookPageVisible() const { return controls.useOutlook; }

    // OK: the checks in order (the first failing one tells why, opens the SMTP settings where needed and keeps
    // the dialog open), then the choice of mail program goes to the main window and the controls to the
    // settings. True when the dialog may close.
    bool OK();

    // "Test": hands a one-line message for `address` to the submission program in the controls and tells the
    // outcome. False when the address is not valid or the program failed (its message is shown).
    bool testSubmission(const QString &address);

    // Opens the SMTP settings dialog for the sending method (3 or 4); set by the window.
    std::function<void(int method)> showSmtpSettings;
    // Tells the main window whether the person uses Outlook (its Outlook commands are shown or hidden).
    std::function<void(bool usesOutlook)> tellUsesOutlook;

    static QStringList sendingMethods();
    static QStringList retrievalMethods();
    static QString notChosenText();
    static QString extendedMapiText();
    static QString smtpMissingText();
    static QString relayMissingText();

private:
    Settings &m_settings;
    UserPrompt &m_prompt;
    bool m_usesOutlook;
};

} // namespace corvane

// The advanced settings dialog's behaviour ("Advanced Settings"), free of widgets: the sending method, the
// choice of mail program, the root folder, the sender-address retrieval method and the mail store of this
// platform (the Maildir root or the IMAP account, and the submission program). The controls are filled from the
// settings when the dialog is shown; OK checks and stores them, Cancel stores nothing. The values reach the settings
// file at the next save (the options dialog's OK or the program's close).
#pragma once

#include "mailstore/ImapAccount.h"

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
    // The kind of mail store: a Maildir folder on this computer or an IMAP account.
    enum class StoreKind { Maildir, Imap };

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
        QString imapHost;
        QString imapPort; // the port field's text; empty or 0 for the security's usual port
        ImapAccount::Security imapSecurity = ImapAccount::Security::Tls;
        QString imapUser;
        QString imapPassword;    // typed in this showing; empty keeps the stored password
        QString imapFingerprint; // SHA-256 of the one certificate trusted beyond the system roots
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
    bool imapFieldsEnabled() const { return controls.storeKind == StoreKind::Imap; }
    bool maildirFieldsEnabled() const { return controls.storeKind == StoreKind::Maildir; }

    // OK: the checks in order (the first failing one tells why, opens the SMTP settings where needed and keeps
    // the dialog open; with IMAP chosen the account's checks of imapProblem()), then a typed IMAP password
    // goes to the desktop's secret store (a refusal is shown and keeps the dialog open with nothing stored),
    // the choice of mail program to the main window and the controls to the settings. The IMAP fields are
    // stored only while IMAP is chosen. True when the dialog may close.
    bool OK();

    // The first fault of the IMAP fields in the order host, security, port, fingerprint, as the message
    // shown for it; empty when the account may be stored or tried.
    QString imapProblem() const;
    // The account the IMAP fields describe (the typed password included), for a valid imapProblem().
    ImapAccount imapAccount() const;

    // "Test" of the IMAP account: connects, logs in, lists the folders and logs out, then tells the outcome in
    // one paragraph (the folder count, or the store's error). The typed password is used, else the stored
    // one (password file or secret store). False when a field is wrong or the account cannot be opened.
    bool testImap();
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
    static QString imapHostMissingText();
    static QString imapInsecureText();
    static QString imapPortText();
    static QString imapFingerprintText();
    // `typed` with blanks and colons removed, in lower case; empty when the rest is not 64 hex digits.
    static QString fingerprintDigits(const QString &typed);

private:
    Settings &m_settings;
    UserPrompt &m_prompt;
    bool m_usesOutlook;
};

} // namespace corvane

// The advanced settings: showing, the method rules, OK's checks, the submission test and the IMAP account.
#include "settings/TdlgAdvancedSettings.h"

#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "mailstore/ImapPassword.h"
#include "mailstore/ImapStore.h"
#include "mailstore/SubmissionProgram.h"
#include "requests/AddressRoutines.h"
#include "settings/Settings.h"

#include <exception>

namespace corvane {

namespace {
const QString kRoot = QStringLiteral("<Root>");

QString securityName(ImapAccount::Security security) {
    switch (security) {
    case ImapAccount::Security::StartTls:
        return QStringLiteral("starttls");
    case ImapAccount::Security::None:
        return QStringLiteral("none");
    case ImapAccount::Security::Tls:
        break;
    }
    return QStringLiteral("tls");
}

QString securityWords(ImapAccount::Security security) {
    switch (security) {
    case ImapAccount::Security::StartTls:
        return QStringLiteral("STARTTLS");
    case ImapAccount::Security::None:
        return QStringLiteral("no encryption");
    case ImapAccount::Security::Tls:
        break;
    }
    return QStringLiteral("TLS");
}
} // namespace

TdlgAdvancedSettings::TdlgAdvancedSettings(Settings &settings, UserPrompt &prompt, bool usesOutlook)
    : m_settings(settings), m_prompt(prompt), m_usesOutlook(usesOutlook) {}

QStringList TdlgAdvancedSettings::sendingMethods() {
    return {QStringLiteral("Use MAPI to send mail via your default E-mail Client"),
            QStringLiteral("Use OLE to send mail via Microsoft Outlook"),
            QStringLiteral("Use Extended MAPI to send mail via Microsoft Outlook"),
            QStringLiteral("Use SMTP to send mail to your ISP's mail server"),
            QStringLiteral("Use CVN's internal SMTP Server (direct sending)")};
}

QStringList TdlgAdvancedSettings::retrievalMethods() {
    return {QStringLiteral("None: Only process if email found in Sender Name"),
            QStringLiteral("Dynamically select Reply or ReplyRecipients "),
            QStringLiteral("Use Reply Object"),
            QStringLiteral("Use ReplyRecipients property"),
            QStringLiteral("Use MAPI to retrieve sender address (may be unstable)"),
            QStringLiteral("Use Extended MAPI Integration (RECOMMENDED)")};
}

void TdlgAdvancedSettings::FormShow() {
    int method = m_settings.EmailMethod;
    if (method < 0) {
        method = m_prompt.message(UserPrompt::Kind::Information, notChosenText(),
                                  UserPrompt::Ok | UserPrompt::Cancel) == UserPrompt::Ok
                     ? 0
                     : -1;
    }
    const int count = static_cast<int>(sendingMethods().size());
    controls.sendingMethod = method < count ? method : -1;
    const int retrieval = m_settings.GetSenderAddressMethod;
    controls.retrievalMethod = retrieval >= 0 && retrieval < retrievalMethods().size() ? retrieval : -1;
    controls.useOutlook = m_usesOutlook;
    controls.alwaysResolve = m_settings.AlwaysResolveAddresses;
    controls.alwaysShowSenderError = m_settings.AlwaysShowSenderError;
    controls.useRedemption = m_settings.UseRedemption;
    const QString root = m_settings.RootFolder;
    if (root == kRoot) {
        controls.root = Root::Default;
    } else if (root.isEmpty() || root == QLatin1String("Personal Folders")) {
        controls.root = Root::PersonalFolders;
    } else {
        controls.root = Root::Named;
        controls.rootName = root;
    }
    controls.storeKind = m_settings.MailStoreKind.trimmed().compare(QLatin1String("imap"), Qt::CaseInsensitive) == 0
                             ? StoreKind::Imap
                             : StoreKind::Maildir;
    controls.imapHost = m_settings.IMAPHost;
    controls.imapPort = m_settings.IMAPPort > 0 ? QString::number(m_settings.IMAPPort) : QString();
    const QString security = m_settings.IMAPSecurity.trimmed().toLower();
    controls.imapSecurity = security == QLatin1String("starttls") ? ImapAccount::Security::StartTls
                            : security == QLatin1String("none")   ? ImapAccount::Security::None
                                                                  : ImapAccount::Security::Tls;
    controls.imapUser = m_settings.IMAPUser;
    controls.imapPassword.clear();
    controls.imapFingerprint = m_settings.IMAPCertificateSHA256;
    controls.mailStore = m_settings.MailStore;
    controls.submitCommand = m_settings.SubmitCommand;
}

bool TdlgAdvancedSettings::settingsButtonEnabled() const {
    return controls.sendingMethod == kSmtpMethod || controls.sendingMethod == kRelayMethod;
}

bool TdlgAdvancedSettings::OK() {
    const auto refuse = [this](const QString &text) {
        m_prompt.message(UserPrompt::Kind::Information, text, UserPrompt::Ok);
        return false;
    };
    if (controls.retrievalMethod == kExtendedMapiRetrieval && !controls.useRedemption) {
        return refuse(extendedMapiText());
    }
    const bool noSender = m_settings.SMTPEmail.isEmpty();
    if (controls.sendingMethod == kSmtpMethod && (m_settings.SMTPHost.isEmpty() || noSender)) {
        refuse(smtpMissingText());
        if (showSmtpSettings) {
            showSmtpSettings(kSmtpMethod);
        }
        return false;
    }
    if (controls.sendingMethod == kRelayMethod && (m_settings.DNSHost.isEmpty() || noSender)) {
        refuse(relayMissingText());
        if (showSmtpSettings) {
            showSmtpSettings(kRelayMethod);
        }
        return false;
    }
    const bool imap = controls.storeKind == StoreKind::Imap;
    if (imap) {
        if (const QString problem = imapProblem(); !problem.isEmpty()) {
            return refuse(problem);
        }
        if (!controls.imapPassword.isEmpty()) {
            try {
                ImapPassword::toSecretStore(controls.imapUser.trimmed(), controls.imapHost.trimmed(),
                                            controls.imapPassword);
            } catch (const std::exception &error) {
                m_prompt.message(UserPrompt::Kind::Error, CorvaneError::messageOf(error), UserPrompt::Ok);
                return false;
            }
            controls.imapPassword.clear();
        }
    }
    m_usesOutlook = controls.useOutlook;
    if (tellUsesOutlook) {
        tellUsesOutlook(controls.useOutlook);
    }
    if (controls.retrievalMethod >= 0) {
        m_settings.GetSenderAddressMethod = controls.retrievalMethod;
    }
    m_settings.EmailMethod = controls.sendingMethod;
    m_settings.AlwaysShowSenderError = controls.alwaysShowSenderError;
    m_settings.UseRedemption = controls.useRedemption;
    m_settings.AlwaysResolveAddresses = controls.alwaysResolve;
    switch (controls.root) {
    case Root::Default:
        m_settings.RootFolder = kRoot;
        break;
    case Root::Named:
        m_settings.RootFolder = controls.rootName.trimmed().isEmpty() ? kRoot : controls.rootName.trimmed();
        break;
    case Root::PersonalFolders:
        // Every folder lookup takes an empty root name as the first top-level folder, the store that holds
        // the person's own folders.
        m_settings.RootFolder.clear();
        break;
    }
    m_settings.MailStore = controls.mailStore.trimmed();
    m_settings.SubmitCommand = controls.submitCommand.trimmed();
    m_settings.MailStoreKind = imap ? QStringLiteral("imap") : QStringLiteral("maildir");
    if (imap) {
        const ImapAccount account = imapAccount();
        m_settings.IMAPHost = account.host;
        m_settings.IMAPPort = account.port;
        m_settings.IMAPSecurity = securityName(account.security);
        m_settings.IMAPUser = account.user;
        m_settings.IMAPCertificateSHA256 = account.trustedFingerprint;
    }
    return true;
}

QString TdlgAdvancedSettings::fingerprintDigits(const QString &typed) {
    QString digits;
    for (const QChar c : typed) {
        if (c == QLatin1Char(':') || c.isSpace()) {
            continue;
        }
        const QChar lower = c.toLower();
        if (!(lower >= QLatin1Char('0') && lower <= QLatin1Char('9')) &&
            !(lower >= QLatin1Char('a') && lower <= QLatin1Char('f'))) {
            return {};
        }
        digits.append(lower);
    }
    return digits.size() == 64 ? digits : QString();
}

QString TdlgAdvancedSettings::imapProblem() const {
    const QString host = controls.imapHost.trimmed();
    if (host.isEmpty()) {
        return imapHostMissingText();
    }
    if (controls.imapSecurity == ImapAccount::Security::None && host != QLatin1String("127.0.0.1") &&
        host != QLatin1String("::1")) {
        return imapInsecureText();
    }
    const QString port = controls.imapPort.trimmed();
    bool number = true;
    const int value = port.isEmpty() ? 0 : port.toInt(&number);
    if (!number || value < 0 || value > 65535) {
        return imapPortText();
    }
    const QString fingerprint = controls.imapFingerprint.trimmed();
    if (!fingerprint.isEmpty() && fingerprintDigits(fingerprint).isEmpty()) {
        return imapFingerprintText();
    }
    return {};
}

ImapAccount TdlgAdvancedSettings::imapAccount() const {
    ImapAccount account;
    account.host = controls.imapHost.trimmed();
    account.port = controls.imapPort.trimmed().toInt();
    account.security = controls.imapSecurity;
    account.user = controls.imapUser.trimmed();
    account.password = controls.imapPassword;
    account.trustedFingerprint = fingerprintDigits(controls.imapFingerprint.trimmed());
    return account;
}

bool TdlgAdvancedSettings::testImap() {
    if (const QString problem = imapProblem(); !problem.isEmpty()) {
        m_prompt.message(UserPrompt::Kind::Information, problem, UserPrompt::Ok);
        return false;
    }
    ImapAccount account = imapAccount();
    const QString where = QStringLiteral("%1@%2 port %3 (%4)")
                              .arg(account.user, account.host)
                              .arg(account.effectivePort())
                              .arg(securityWords(account.security));
    try {
        BusyCursor busy(m_prompt);
        if (account.password.isEmpty()) {
            account.password = ImapPassword::lookup(m_settings.IMAPPasswordFile, account.user, account.host);
        }
        ImapStore store(account);
        store.connection().ensureConnected();
        const qsizetype folders = store.allFolderKeys().size();
        store.connection().disconnect();
        m_prompt.message(UserPrompt::Kind::Information,
                         QStringLiteral("The IMAP account %1 works: Corvane connected, logged in, found %2 "
                                        "folder(s) and logged out.")
                             .arg(where)
                             .arg(folders),
                         UserPrompt::Ok);
    } catch (const std::exception &error) {
        m_prompt.message(
            UserPrompt::Kind::Error,
            QStringLiteral("The IMAP account %1 cannot be opened: %2").arg(where, CorvaneError::messageOf(error)),
            UserPrompt::Ok);
        return false;
    }
    return true;
}

bool TdlgAdvancedSettings::testSubmission(const QString &typed) {
    const QString address = typed.trimmed();
    if (!AddressRoutines::validemailaddress(address).valid) {
        m_prompt.message(UserPrompt::Kind::Warning,
                         QStringLiteral("Please enter a valid e-mail address to send the test message to."),
                         UserPrompt::Ok);
        return false;
    }
    MailSubmission submission;
    submission.submitCommand = controls.submitCommand.trimmed();
    submission.senderName = m_settings.SMTPName.trimmed();
    submission.senderAddress = m_settings.SMTPEmail.trimmed();
    QByteArray message;
    if (AddressRoutines::validemailaddress(submission.senderAddress).valid) {
        message += "From: " + submission.senderAddress.toUtf8() + "\r\n";
    }
    message += "To: " + address.toUtf8() + "\r\nSubject: Corvane test message\r\n\r\n" +
               "This one-line message tests the mail submission program of Corvane.\r\n";
    try {
        BusyCursor busy(m_prompt);
        SubmissionProgram::submit(submission, {address}, message);
    } catch (const std::exception &error) {
        m_prompt.message(UserPrompt::Kind::Error, CorvaneError::messageOf(error), UserPrompt::Ok);
        return false;
    }
    m_prompt.message(UserPrompt::Kind::Information,
                     QStringLiteral("The test message to ") + address +
                         QStringLiteral(" was handed to the mail submission program."),
                     UserPrompt::Ok);
    return true;
}

QString TdlgAdvancedSettings::notChosenText() {
    return QStringLiteral("Your preferred e-mail sending method has not been specified.  The default, MAPI transport, "
                          "will be used.  You can change this now, if you prefer.");
}

QString TdlgAdvancedSettings::extendedMapiText() {
    return QStringLiteral("You have selected the option not to use Extended MAPI, you will need to select a different "
                          "method for retrieval of the sender address.");
}

QString TdlgAdvancedSettings::smtpMissingText() {
    return QStringLiteral("You have selected the SMTP sending method.  Please enter your SMTP settings!");
}

QString TdlgAdvancedSettings::relayMissingText() {
    return QStringLiteral("You have selected the SMTP Server method.  Please enter your SMTP Server settings!");
}

QString TdlgAdvancedSettings::imapHostMissingText() {
    return QStringLiteral("Please enter the host name of the IMAP server.");
}

QString TdlgAdvancedSettings::imapInsecureText() {
    return QStringLiteral("Without encryption the IMAP password would cross the network readable by anyone: "
                          "\"None (this computer only)\" is only allowed for the host 127.0.0.1 or ::1.");
}

QString TdlgAdvancedSettings::imapPortText() {
    return QStringLiteral("The IMAP port must be a number from 0 to 65535 (0 or empty: the usual port of the "
                          "security).");
}

QString TdlgAdvancedSettings::imapFingerprintText() {
    return QStringLiteral("The certificate SHA-256 fingerprint must be 64 hexadecimal digits (blanks and colons "
                          "between them are allowed).");
}

} // namespace corvane

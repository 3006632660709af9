// The advanced settings: showing, the method rules, OK's checks and the submission test.
#include "settings/TdlgAdvancedSettings.h"

#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "mailstore/SubmissionProgram.h"
#include "requests/AddressRoutines.h"
#include "settings/Settings.h"

#include <exception>

namespace corvane {

namespace {
const QString kRoot = QStringLiteral("<Root>");
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
    controls.storeKind = StoreKind::Maildir;
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

} // namespace corvane

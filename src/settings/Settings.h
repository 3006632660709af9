// Every persisted option of Corvane while the program runs: the values kept in the settings store (named as
// they are stored) and the contents of the ten rule and text files of the application directory. The
// options dialog and the main window edit these members directly; SettingsStore loads and saves them.
// Where an option drives a pair of radio buttons or a check box with a spin box, the state of both
// controls is held, because loading sets them separately.
#pragma once

#include "settings/RuleList.h"

#include <QString>
#include <QStringList>

namespace corvane {

class Settings {
public:
    // Two radio buttons of one group. `checked` is the button that stands for the value true; the stored
    // value is its state. Loading can leave both cleared (a false value clears `checked` only).
    struct RadioPair {
        bool checked = false;
        bool partnerChecked = true;
        bool operator==(const RadioPair &) const = default;
    };

    // A check box that enables a spin box.
    struct CheckedSpin {
        bool checked = false;
        int spin = 0;
        bool operator==(const CheckedSpin &) const = default;
    };

    // The four radio buttons that decide which category a forwarded member message goes to.
    enum class ForwardTarget {
        None,    // no button selected: nothing is saved
        Sender,  // "Use the List Category that the sender belongs to"
        Subject, // "From the Subject, e.g. '[LIST_NAME] My Feedback'"
        Email,   // "From the e-mail stem ..."
        All,     // "Ignore List Category, send to all users in the database"
    };

    // A new object holds the state of a program that has loaded nothing yet: every value at its default,
    // every rule list and text at its built-in contents, and each radio pair at the form's built-in
    // choice, which is the button standing for false.

    QString MailingListGroup = QStringLiteral("MailingList");
    QString AlternativeCategory;
    bool FailedMail = false;
    // Delivery status notifications (RFC 3464) count only the recipients they report as failed, rather than
    // every address found in the report.
    bool PreciseBounces = true;
    bool LimitDBCache = false;
    int DBCacheSize = 2000;
    bool ShowGroupPanel = true;
    bool AllowEditing = false;
    // "Display Signature in message editor"; partner "Add signature after commencing sending of messages".
    RadioPair AddSignaturePrior;
    bool SigOnForward = false;
    bool chkhtmlchecked = false;
    // "Remove addresses that have bounced more than" and its spin box (0 to 999).
    CheckedSpin BounceMax{true, 10};
    QString DefaultToAddress;
    bool RemoveOutofOffice = false;
    bool Acknowledge = false;
    bool SendLog = false;
    bool AddUnsubscribers = false;
    // Recipients per e-mail (1 to 99999); 1 means "Send separate e-mail to each address". Stored under the
    // value name "SendCount " (with a trailing blank).
    int SendCount = 500;
    // "E-mail addresses can belong to multiple categories within the database"; partner "E-mail addresses
    // can only occur once within the database".
    RadioPair MultipleCategorySupport;
    bool Except = true;
    bool RestrictCategories = false;
    int GetSenderAddressMethod = 5;
    int ChokeDownload = 0;
    int EmailMethod = -1;
    bool UseRedemption = true;
    bool AlwaysShowSenderError = true;
    bool AlwaysResolveAddresses = true;
    QString AcknowledgementSubject = QStringLiteral("Mailing List Changes");
    // "Add the entry to the Error List"; partner "Change the category to:".
    RadioPair WrongCategoryIsError;
    bool SendAcknowledgement = false;
    // "Send messages at" and its spin box ("second intervals", 1 to 10000000).
    CheckedSpin StaggerDelay{false, 1};
    QString SMTPHost;
    int SMTPPort = 25;
    QString SMTPID;
    QString SMTPName;
    QString SMTPEmail;
    // The SMTP connection's protection: "none" (plain, as on port 25), "starttls" or "tls" (TLS from the
    // start). SMTPUser empty: no authentication; its password comes from the secret store, the environment
    // (CORVANE_SMTP_PASSWORD) or the owner-only file SMTPPasswordFile, never from this file.
    // SMTPCertificateFingerprint: the SHA-256 of the one certificate trusted for a self-signed server (hex).
    QString SMTPSecurity = QStringLiteral("none");
    QString SMTPUser;
    QString SMTPPasswordFile;
    QString SMTPCertificateFingerprint;
    // The list's own address (the mailbox of the mailing-list folder). When set, every mailing carries List-Id,
    // List-Unsubscribe (a mailto of this address with the subject "unsubscribe") and "Precedence: list".
    QString ListAddress;
    QString DNSHost;
    int DNSTimeOut = 6000; // milliseconds
    bool DNSProcessBounce = true;
    bool UserSending = false;
    QString UserSendingFolder;
    // "All messages in the above folder"; partner "Messages with the text [LIST_NAME] in the subject".
    RadioPair ForwardAll;
    ForwardTarget ForwardToWhom = ForwardTarget::Subject;
    bool MustBelongToGroup = true;
    bool CheckUser = false;
    bool DefaultNoUserSend = true;
    bool GuessSalutation = true;
    bool MaintainLog = true;
    int AutoScanDelayedTime = 60; // minutes, 1 to 1000
    bool AutoScanDelayed = false;
    bool AutoScanStartUp = false;
    QString defaultcategory = QStringLiteral("Default");
    QString RootFolder = QStringLiteral("<Root>");
    bool BackUpOnExit = false;
    QString BackUpFilename;
    bool newbackupfilename = false;
    bool allowfromaddressasentry = true;
    bool UpdateCommentsWhenEntryExists = true;
    // "Search entire e-mail (slower)"; partner "Search subject line and first line of e-mail".
    RadioPair ScanAllEmailLines;
    // "Mark messages as read"; partner "Delete messages".
    RadioPair ProcessAsUnread;
    // The mail store: the path of a Maildir; empty means the folder "Mail" in the application directory.
    QString MailStore;
    // The mail submission program with its options; empty means "sendmail -oi".
    QString SubmitCommand;
    // The IMAP account: MailStoreKind "imap" makes it the mail store instead of the Maildir. IMAPSecurity is
    // "tls" (TLS from the start), "starttls" or "none" (only for 127.0.0.1); IMAPPort 0 is the security's
    // usual port (993, 143). The password is never a setting: it comes from the desktop's secret store, or for
    // corvane-cli from CORVANE_IMAP_PASSWORD or the file IMAPPasswordFile (readable by its owner only).
    // IMAPCertificateSHA256 trusts one server certificate by its SHA-256 fingerprint (hex, ":" allowed).
    QString MailStoreKind = QStringLiteral("maildir");
    QString IMAPHost;
    int IMAPPort = 0;
    QString IMAPSecurity = QStringLiteral("tls");
    QString IMAPUser;
    QString IMAPPasswordFile;
    QString IMAPCertificateSHA256;

    // "addstr.txt", "remstr.txt", "Modifystr.txt": command words of subscribe, unsubscribe and modify requests.
    RuleList AddSynonyms{QStringLiteral("ADD"), QStringLiteral("JOIN"), QStringLiteral("SUBSCRIBE"),
                         QStringLiteral("SUSCRIBE")};
    RuleList RemoveSynonyms{QStringLiteral("REMOVE"), QStringLiteral("UNJOIN"), QStringLiteral("UNSCRIBE"),
                            QStringLiteral("UNSUBSCRIBE"), QStringLiteral("UNSUSCRIBE")};
    RuleList ModifySynonyms{QStringLiteral("CHANGE"), QStringLiteral("MODIFY"), QStringLiteral("UPDATE")};
    // "except.txt": extra texts that make an address invalid.
    RuleList AddressExceptions{QStringLiteral("__"), QStringLiteral("hotmial")};
    // "never.txt": blocked addresses.
    RuleList BlockedAddresses{QStringLiteral("nobody@example.com")};
    // "failed.txt": subject texts of delivery-failure reports.
    RuleList FailureSubjects{QStringLiteral("Delivery failure"),     QStringLiteral("Delivery has failed"),
                             QStringLiteral("Error delivering"),     QStringLiteral("Failed mail"),
                             QStringLiteral("failure delivery"),     QStringLiteral("failure notice"),
                             QStringLiteral("Mail delivery failed"), QStringLiteral("mail failed"),
                             QStringLiteral("Mail System Error"),    QStringLiteral("No User"),
                             QStringLiteral("Nondeliverable mail"),  QStringLiteral("Non-delivery"),
                             QStringLiteral("Returned Mail"),        QStringLiteral("Undeliverable"),
                             QStringLiteral("Undelivered"),          QStringLiteral("Unzustellbar")};
    // "cats.txt": allowed list categories, in the order stored.
    QStringList AllowedCategories;
    // "signature.txt", "AckHeader.txt", "AckFooter.txt": free texts, one element per line.
    QStringList Signature;
    QStringList AckHeader{QStringLiteral("Your mailing list changes have been "),
                          QStringLiteral("processed.  The result of this processing was:")};
    QStringList AckFooter{QStringLiteral("If this action was incorrect, please reply to this "),
                          QStringLiteral("e-mail and advise us of the problem."),
                          QString(),
                          QStringLiteral("Thank you"),
                          QString(),
                          QStringLiteral("Webmaster")};

    bool operator==(const Settings &) const = default;
};

} // namespace corvane

// The value table: plain booleans, integers and texts are described by their member and default; the values
// with special reading or writing rules are spelled out where they stand in the load order.
#include "settings/SettingsCatalog.h"

#include "base/AppPaths.h"
#include "base/StoredText.h"
#include "send/ListHeaders.h"

#include <algorithm>
#include <climits>

namespace corvane {

namespace {

using Value = SettingsCatalog::Value;
using Kind = SettingsCatalog::Kind;

Value boolean(const char *name, bool Settings::*member, bool fallback) {
    return {QString::fromLatin1(name),
            Kind::Boolean,
            StoredText::fromBool(fallback),
            false,
            [member, fallback](Settings &s, DatabaseLink &, const QString &text) {
                s.*member = StoredText::toBool(text, fallback);
            },
            [member](const Settings &s, const DatabaseLink &) { return StoredText::fromBool(s.*member); }};
}

// An integer; a value outside [low, high] (the range of the spin box that shows it) is brought into it.
Value integer(const char *name, int Settings::*member, int fallback, int low = INT_MIN, int high = INT_MAX) {
    return {QString::fromLatin1(name),
            Kind::Integer,
            StoredText::fromInt(fallback),
            false,
            [member, fallback, low, high](Settings &s, DatabaseLink &, const QString &text) {
                s.*member = std::clamp(StoredText::toInt(text, fallback), low, high);
            },
            [member](const Settings &s, const DatabaseLink &) { return StoredText::fromInt(s.*member); }};
}

// A 16-bit signed integer (an item index); a number outside that range is not valid and gives the default.
Value smallInteger(const char *name, int Settings::*member, int fallback) {
    return {QString::fromLatin1(name),
            Kind::SmallInteger,
            StoredText::fromInt(fallback),
            false,
            [member, fallback](Settings &s, DatabaseLink &, const QString &text) {
                const int number = StoredText::toInt(text, fallback);
                s.*member = (number < SHRT_MIN || number > SHRT_MAX) ? fallback : number;
            },
            [member](const Settings &s, const DatabaseLink &) { return StoredText::fromInt(s.*member); }};
}

// A text stored as it is; an empty text reads as `whenEmpty`.
Value text(const char *name, QString Settings::*member, const QString &whenEmpty = QString()) {
    return {QString::fromLatin1(name),
            Kind::String,
            whenEmpty,
            false,
            [member, whenEmpty](Settings &s, DatabaseLink &, const QString &stored) {
                s.*member = stored.isEmpty() ? whenEmpty : stored;
            },
            [member](const Settings &s, const DatabaseLink &) { return s.*member; }};
}

// A radio pair set from its value: true selects the value's button (which clears its partner); false
// merely clears it, and the partner keeps its state.
Value radioPartnerKeeps(const char *name, Settings::RadioPair Settings::*member, bool fallback) {
    return {QString::fromLatin1(name),
            Kind::Boolean,
            StoredText::fromBool(fallback),
            false,
            [member, fallback](Settings &s, DatabaseLink &, const QString &text) {
                if (StoredText::toBool(text, fallback)) {
                    s.*member = {true, false};
                } else {
                    (s.*member).checked = false;
                }
            },
            [member](const Settings &s, const DatabaseLink &) { return StoredText::fromBool((s.*member).checked); }};
}

// A radio pair whose partner is set to the opposite of the value.
Value radioBothSet(const char *name, Settings::RadioPair Settings::*member, bool fallback) {
    return {QString::fromLatin1(name),
            Kind::Boolean,
            StoredText::fromBool(fallback),
            false,
            [member, fallback](Settings &s, DatabaseLink &, const QString &text) {
                const bool value = StoredText::toBool(text, fallback);
                s.*member = {value, !value};
            },
            [member](const Settings &s, const DatabaseLink &) { return StoredText::fromBool((s.*member).checked); }};
}

QString forwardTargetText(Settings::ForwardTarget target) {
    switch (target) {
    case Settings::ForwardTarget::Sender:
        return QStringLiteral("Sender");
    case Settings::ForwardTarget::Subject:
        return QStringLiteral("Subject");
    case Settings::ForwardTarget::Email:
        return QStringLiteral("Email");
    case Settings::ForwardTarget::All:
        return QStringLiteral("All");
    case Settings::ForwardTarget::None:
        break;
    }
    return QString();
}

std::vector<Value> buildValues() {
    using S = Settings;
    return {
        text("MailingListGroup", &S::MailingListGroup, QStringLiteral("MailingList")),
        // Read a second time after defaultcategory (see SettingsStore), when an empty text gives the
        // default category.
        text("AlternativeCategory", &S::AlternativeCategory),
        boolean("FailedMail", &S::FailedMail, false),
        boolean("LimitDBCache", &S::LimitDBCache, false),
        integer("DBCacheSize", &S::DBCacheSize, 2000, 100, 50000),
        boolean("ShowGroupPanel", &S::ShowGroupPanel, true),
        boolean("AllowEditing", &S::AllowEditing, false),
        radioPartnerKeeps("AddSignaturePrior", &S::AddSignaturePrior, true),
        boolean("SigOnForward", &S::SigOnForward, false),
        boolean("chkhtmlchecked", &S::chkhtmlchecked, false),
        // Above 0: the check box ticked with the spin box at the value; otherwise the check box cleared
        // and the spin box at 10. Saved as "0" while the check box is clear.
        {QStringLiteral("BounceMax"), Kind::Integer, QStringLiteral("10"), false,
         [](S &s, DatabaseLink &, const QString &stored) {
             const int limit = StoredText::toInt(stored, 10);
             s.BounceMax = limit > 0 ? S::CheckedSpin{true, std::min(limit, 999)} : S::CheckedSpin{false, 10};
         },
         [](const S &s, const DatabaseLink &) {
             return StoredText::fromInt(s.BounceMax.checked ? s.BounceMax.spin : 0);
         }},
        text("DefaultToAddress", &S::DefaultToAddress),
        boolean("RemoveOutofOffice", &S::RemoveOutofOffice, false),
        boolean("Acknowledge", &S::Acknowledge, false),
        boolean("SendLog", &S::SendLog, false),
        boolean("AddUnsubscribers", &S::AddUnsubscribers, false),
        // The value name ends in one blank; "SendCount" without it is another, unused value.
        integer("SendCount ", &S::SendCount, 500, 1, 99999),
        radioPartnerKeeps("MultipleCategorySupport", &S::MultipleCategorySupport, true),
        boolean("Except", &S::Except, true),
        // Forced off after SendAcknowledgement is read while the allowed-categories list is empty.
        boolean("RestrictCategories", &S::RestrictCategories, false),
        smallInteger("GetSenderAddressMethod", &S::GetSenderAddressMethod, 5),
        integer("ChokeDownload", &S::ChokeDownload, 0),
        smallInteger("EmailMethod", &S::EmailMethod, -1),
        boolean("UseRedemption", &S::UseRedemption, true),
        boolean("AlwaysShowSenderError", &S::AlwaysShowSenderError, true),
        boolean("AlwaysResolveAddresses", &S::AlwaysResolveAddresses, true),
        // An empty text leaves the subject as it is ("Mailing List Changes" in a new program).
        {QStringLiteral("AcknowledgementSubject"), Kind::String, QStringLiteral("Mailing List Changes"), false,
         [](S &s, DatabaseLink &, const QString &stored) {
             if (!stored.isEmpty()) {
                 s.AcknowledgementSubject = stored;
             }
         },
         [](const S &s, const DatabaseLink &) { return s.AcknowledgementSubject; }},
        radioBothSet("WrongCategoryIsError", &S::WrongCategoryIsError, false),
        boolean("SendAcknowledgement", &S::SendAcknowledgement, false),
        // The spin box takes the value (within 1 to 10000000); the check box is ticked when it is above 0.
        // Saved as "0" while the check box is clear.
        {QStringLiteral("StaggerDelay"), Kind::Integer, QStringLiteral("0"), false,
         [](S &s, DatabaseLink &, const QString &stored) {
             const int delay = StoredText::toInt(stored, 0);
             s.StaggerDelay = {delay > 0, std::clamp(delay, 1, 10000000)};
         },
         [](const S &s, const DatabaseLink &) {
             return StoredText::fromInt(s.StaggerDelay.checked ? s.StaggerDelay.spin : 0);
         }},
        text("SMTPHost", &S::SMTPHost),
        integer("SMTPPort", &S::SMTPPort, 25),
        text("SMTPID", &S::SMTPID),
        text("SMTPName", &S::SMTPName),
        text("SMTPEmail", &S::SMTPEmail),
        text("SMTPSecurity", &S::SMTPSecurity, QStringLiteral("none")),
        text("SMTPUser", &S::SMTPUser),
        text("SMTPPasswordFile", &S::SMTPPasswordFile),
        text("SMTPCertificateFingerprint", &S::SMTPCertificateFingerprint),
        text("DNSHost", &S::DNSHost),
        integer("DNSTimeOut", &S::DNSTimeOut, 6000),
        boolean("DNSProcessBounce", &S::DNSProcessBounce, true),
        boolean("UserSending", &S::UserSending, false),
        text("UserSendingFolder", &S::UserSendingFolder),
        radioPartnerKeeps("ForwardAll", &S::ForwardAll, false),
        // Compared after upper-casing; anything else selects Subject. Nothing is saved with no button selected.
        {QStringLiteral("ForwardToWhom"), Kind::String, QStringLiteral("Subject"), false,
         [](S &s, DatabaseLink &, const QString &stored) {
             const QString upper = stored.toUpper();
             if (upper == QLatin1String("SENDER")) {
                 s.ForwardToWhom = S::ForwardTarget::Sender;
             } else if (upper == QLatin1String("ALL")) {
                 s.ForwardToWhom = S::ForwardTarget::All;
             } else if (upper == QLatin1String("EMAIL")) {
                 s.ForwardToWhom = S::ForwardTarget::Email;
             } else {
                 s.ForwardToWhom = S::ForwardTarget::Subject;
             }
         },
         [](const S &s, const DatabaseLink &) -> std::optional<QString> {
             if (s.ForwardToWhom == S::ForwardTarget::None) {
                 return std::nullopt;
             }
             return forwardTargetText(s.ForwardToWhom);
         }},
        boolean("MustBelongToGroup", &S::MustBelongToGroup, true),
        boolean("CheckUser", &S::CheckUser, false),
        boolean("DefaultNoUserSend", &S::DefaultNoUserSend, true),
        boolean("GuessSalutation", &S::GuessSalutation, true),
        boolean("MaintainLog", &S::MaintainLog, true),
        integer("AutoScanDelayedTime", &S::AutoScanDelayedTime, 60, 1, 1000),
        boolean("AutoScanDelayed", &S::AutoScanDelayed, false),
        boolean("AutoScanStartUp", &S::AutoScanStartUp, false),
        text("defaultcategory", &S::defaultcategory, QStringLiteral("Default")),
        text("RootFolder", &S::RootFolder, QStringLiteral("<Root>")),
        boolean("BackUpOnExit", &S::BackUpOnExit, false),
        text("BackUpFilename", &S::BackUpFilename),
        boolean("newbackupfilename", &S::newbackupfilename, false),
        boolean("allowfromaddressasentry", &S::allowfromaddressasentry, true),
        boolean("UpdateCommentsWhenEntryExists", &S::UpdateCommentsWhenEntryExists, true),
        radioBothSet("ScanAllEmailLines", &S::ScanAllEmailLines, true),
        radioPartnerKeeps("ProcessAsUnread", &S::ProcessAsUnread, false),
        text("MailStore", &S::MailStore),
        text("SubmitCommand", &S::SubmitCommand),
        text("MailStoreKind", &S::MailStoreKind, QStringLiteral("maildir")),
        text("IMAPHost", &S::IMAPHost),
        integer("IMAPPort", &S::IMAPPort, 0, 0, 65535),
        text("IMAPSecurity", &S::IMAPSecurity, QStringLiteral("tls")),
        text("IMAPUser", &S::IMAPUser),
        text("IMAPPasswordFile", &S::IMAPPasswordFile),
        text("IMAPCertificateSHA256", &S::IMAPCertificateSHA256),
        boolean("PreciseBounces", &S::PreciseBounces, true),
        // An address that could not head a mailing (a hand-edited store) reads as no list address.
        {QStringLiteral("ListAddress"), Kind::String, QString(), false,
         [](S &s, DatabaseLink &, const QString &stored) {
             s.ListAddress = ListHeaders::problem(stored).isEmpty() ? stored : QString();
         },
         [](const S &s, const DatabaseLink &) { return s.ListAddress; }},

        // The list database's values. DBPath is saved as "%" while the database is the one in the
        // application directory (the directory text with its trailing separator, compared as text).
        {QStringLiteral("DBPath"), Kind::String, QString(), true,
         [](S &, DatabaseLink &db, const QString &stored) { db.setCurrentDBPath(stored); },
         [](const S &, const DatabaseLink &db) {
             const QString path = db.currentDBPath();
             return path == AppPaths::applicationDirectory() ? QStringLiteral("%") : path;
         }},
        {QStringLiteral("StrictChangeDetection"), Kind::Boolean, StoredText::fromBool(false), true,
         [](S &, DatabaseLink &db, const QString &stored) {
             db.setStrictChangeDetection(StoredText::toBool(stored, false));
         },
         [](const S &, const DatabaseLink &db) { return StoredText::fromBool(db.StrictChangeDetection()); }},
        {QStringLiteral("DBExclusive"), Kind::Boolean, StoredText::fromBool(true), true,
         [](S &, DatabaseLink &db, const QString &stored) { db.setDBExclusive(StoredText::toBool(stored, true)); },
         [](const S &, const DatabaseLink &db) { return StoredText::fromBool(db.DBExclusive()); }},
    };
}

} // namespace

const std::vector<SettingsCatalog::Value> &SettingsCatalog::values() {
    static const std::vector<Value> table = buildValues();
    return table;
}

const SettingsCatalog::Value *SettingsCatalog::find(const QString &name) {
    const auto &table = values();
    const auto it = std::find_if(table.begin(), table.end(), [&](const Value &v) { return v.name == name; });
    return it == table.end() ? nullptr : &*it;
}

QString SettingsCatalog::refusal(const QString &name, const QString &text) {
    return name == QLatin1String("ListAddress") ? ListHeaders::problem(text) : QString();
}

const std::vector<const SettingsCatalog::Value *> &SettingsCatalog::saveOrder() {
    static const std::vector<const Value *> order = [] {
        const QStringList names =
            QString::fromLatin1("MailingListGroup|AcknowledgementSubject|AlternativeCategory|"
                                "GetSenderAddressMethod|SendAcknowledgement|EmailMethod|ChokeDownload|"
                                "AlwaysResolveAddresses|AlwaysShowSenderError|FailedMail|RootFolder|"
                                "UseRedemption|DBPath|StrictChangeDetection|DBExclusive|RestrictCategories|"
                                "WrongCategoryIsError|BounceMax|DefaultToAddress|MultipleCategorySupport|"
                                "RemoveOutofOffice|Acknowledge|AddUnsubscribers|SendLog|SendCount |"
                                "LimitDBCache|DBCacheSize|Except|AddSignaturePrior|SigOnForward|"
                                "chkhtmlchecked|ShowGroupPanel|AllowEditing|defaultcategory|BackUpOnExit|"
                                "BackUpFilename|newbackupfilename|ProcessAsUnread|allowfromaddressasentry|"
                                "UpdateCommentsWhenEntryExists|ScanAllEmailLines|AutoScanStartUp|"
                                "AutoScanDelayed|MaintainLog|AutoScanDelayedTime|GuessSalutation|SMTPHost|"
                                "SMTPPort|SMTPID|SMTPName|SMTPEmail|DNSHost|DNSProcessBounce|DNSTimeOut|"
                                "StaggerDelay|UserSending|UserSendingFolder|ForwardAll|ForwardToWhom|"
                                "DefaultNoUserSend|CheckUser|MustBelongToGroup|MailStore|SubmitCommand|"
                                "PreciseBounces|MailStoreKind|IMAPHost|IMAPPort|IMAPSecurity|IMAPUser|"
                                "IMAPPasswordFile|IMAPCertificateSHA256|SMTPSecurity|SMTPUser|SMTPPasswordFile|"
                                "SMTPCertificateFingerprint|ListAddress")
                .split(QLatin1Char('|'));
        std::vector<const Value *> resolved;
        for (const QString &name : names) {
            const Value *value = find(name);
            if (value == nullptr || std::count(names.begin(), names.end(), name) != 1) {
                qFatal("Settings save order: bad entry \"%s\"", qPrintable(name));
            }
            resolved.push_back(value);
        }
        if (resolved.size() != values().size()) {
            qFatal("Settings save order: %zu of %zu values", resolved.size(), values().size());
        }
        return resolved;
    }();
    return order;
}

} // namespace corvane

// The enabling table of the options dialog.
#include "settings/OptionsEnabling.h"

namespace corvane {

namespace {
using C = OptionsControl;
using S = Settings;
using M = OptionsMirror;
} // namespace

const std::vector<OptionsEnabling::Row> &OptionsEnabling::rows() {
    // "Send messages at" itself stays enabled whatever "Allows users to send to mailing lists" says: the send
    // job staggers every mailing, and a box ticked while it was disabled could not be cleared.
    static const std::vector<Row> table = {
        {QStringLiteral("Do not allow the insertion of invalid addresses"),
         {C::ExceptionsText, C::ExceptionsList, C::ExceptionsEdit},
         [](const S &s, const M &) { return s.Except; }},
        {QStringLiteral("Only allow the following list categories:"),
         {C::CategoriesList, C::CategoriesEdit, C::WrongCategoryText, C::WrongCategoryError, C::WrongCategoryChange},
         [](const S &, const M &m) { return m.rdbRestrictCategories; }},
        {QStringLiteral("Change the category to:"),
         {C::AlternativeCategory},
         [](const S &s, const M &m) { return m.rdbRestrictCategories && s.WrongCategoryIsError.partnerChecked; }},
        {QStringLiteral("Add multiple addresses (hidden) to each e-mail"),
         {C::RecipientsSpin, C::RecipientsLabel, C::RecipientsNote},
         [](const S &, const M &m) { return !m.rdbSeparateEmail; }},
        {QStringLiteral("Automatically process Delivery Failure messages"),
         {C::FailureSubjectsText, C::FailureSubjectsList, C::FailureSubjectsEdit},
         [](const S &s, const M &) { return s.FailedMail; }},
        {QStringLiteral("Send e-mails to users advising them of Mailing List changes"),
         {C::AcknowledgementGroup},
         [](const S &s, const M &) { return s.SendAcknowledgement; }},
        {QStringLiteral("Scan for new entries every"),
         {C::AutoScanMinutes},
         [](const S &s, const M &) { return s.AutoScanDelayed; }},
        {QStringLiteral("Send messages at"),
         {C::StaggerSeconds},
         [](const S &s, const M &) { return s.StaggerDelay.checked; }},
        {QStringLiteral("Allows users to send to mailing lists"),
         {C::UserMessageFolder, C::WhichMessagesGroup, C::ForwardTargetGroup, C::UserRightsGroup,
          C::SignatureOnForward},
         [](const S &s, const M &) { return s.UserSending; }},
        {QStringLiteral("Remove addresses that have bounced more than"),
         {C::BounceSpin},
         [](const S &s, const M &) { return s.BounceMax.checked; }},
        {QStringLiteral("Limit caching of database records to:"),
         {C::CacheSpin},
         [](const S &s, const M &) { return s.LimitDBCache; }},
    };
    return table;
}

QHash<OptionsControl, bool> OptionsEnabling::states(const Settings &settings, const OptionsMirror &mirror) {
    QHash<OptionsControl, bool> result;
    for (const Row &row : rows()) {
        const bool on = row.enabled(settings, mirror);
        for (const OptionsControl control : row.controls) {
            result.insert(control, on);
        }
    }
    return result;
}

QString OptionsEnabling::controlName(OptionsControl control) {
    switch (control) {
    case C::ExceptionsText:
        return QStringLiteral("lblexcept");
    case C::ExceptionsList:
        return QStringLiteral("lbxexcept");
    case C::ExceptionsEdit:
        return QStringLiteral("btnexcept");
    case C::CategoriesList:
        return QStringLiteral("lbxcats");
    case C::CategoriesEdit:
        return QStringLiteral("btncats");
    case C::WrongCategoryText:
        return QStringLiteral("lblwrongcategory");
    case C::WrongCategoryError:
        return QStringLiteral("rdbwrongcategoryerror");
    case C::WrongCategoryChange:
        return QStringLiteral("rdbwrongcategorychange");
    case C::AlternativeCategory:
        return QStringLiteral("cmbalternativecategory");
    case C::RecipientsSpin:
        return QStringLiteral("spnsendcount");
    case C::RecipientsLabel:
        return QStringLiteral("lblsendcount");
    case C::RecipientsNote:
        return QStringLiteral("lblsendcountnote");
    case C::FailureSubjectsText:
        return QStringLiteral("lblfailed");
    case C::FailureSubjectsList:
        return QStringLiteral("lbxfailed");
    case C::FailureSubjectsEdit:
        return QStringLiteral("btnfailed");
    case C::AcknowledgementGroup:
        return QStringLiteral("grpacknowledgement");
    case C::AutoScanMinutes:
        return QStringLiteral("spnautoscan");
    case C::StaggerSeconds:
        return QStringLiteral("spnstagger");
    case C::UserMessageFolder:
        return QStringLiteral("cmbusersendingfolder");
    case C::WhichMessagesGroup:
        return QStringLiteral("grpwhichmessages");
    case C::ForwardTargetGroup:
        return QStringLiteral("grpforwardto");
    case C::UserRightsGroup:
        return QStringLiteral("grpuserrights");
    case C::SignatureOnForward:
        return QStringLiteral("chksigonforward");
    case C::BounceSpin:
        return QStringLiteral("spnbouncemax");
    case C::CacheSpin:
        return QStringLiteral("spncachesize");
    }
    return QString();
}

} // namespace corvane

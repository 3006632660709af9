// Which controls of the options dialog are enabled: one table, each row naming the option that drives it,
// the controls it enables and the condition, computed from the settings and the dialog's own controls. The
// window applies the result whenever a control changes and whenever the settings are loaded.
#pragma once

#include "settings/Settings.h"

#include <QHash>
#include <QString>
#include <functional>
#include <vector>

namespace corvane {

// The controls of the options dialog that show variables rather than settings values: they are set when the
// dialog is shown and committed by OK.
struct OptionsMirror {
    // "Allow database to be shared (lower performance)": the opposite of DBExclusive.
    bool chkShareDB = false;
    // "Strict detection of Database changes (lower performance)".
    bool chkStrictDetection = false;
    // "Only allow the following list categories:" (false: "Allow all list categories").
    bool rdbRestrictCategories = false;
    // "Send separate e-mail to each address" (false: "Add multiple addresses (hidden) to each e-mail").
    bool rdbSeparateEmail = false;
    // "Maximum number of recipients per message:" (1 to 99999).
    int spnRecipients = 500;
    // The mailing-list folder combo box's text.
    QString cmbMailingList;
};

enum class OptionsControl {
    ExceptionsText,
    ExceptionsList,
    ExceptionsEdit,
    CategoriesList,
    CategoriesEdit,
    WrongCategoryText,
    WrongCategoryError,
    WrongCategoryChange,
    AlternativeCategory,
    RecipientsSpin,
    RecipientsLabel,
    RecipientsNote,
    FailureSubjectsText,
    FailureSubjectsList,
    FailureSubjectsEdit,
    AcknowledgementGroup,
    AutoScanMinutes,
    StaggerSeconds,
    UserMessageFolder,
    WhichMessagesGroup,
    ForwardTargetGroup,
    UserRightsGroup,
    SignatureOnForward,
    BounceSpin,
    CacheSpin,
};

class OptionsEnabling {
public:
    struct Row {
        // The caption of the control whose state decides the row.
        QString driver;
        std::vector<OptionsControl> controls;
        std::function<bool(const Settings &, const OptionsMirror &)> enabled;
    };

    // Every row; each control appears in exactly one row.
    static const std::vector<Row> &rows();
    // The enabled state of every control in the table.
    static QHash<OptionsControl, bool> states(const Settings &settings, const OptionsMirror &mirror);
    // The control's name in the window ("lbxcats", "spnbouncemax" ...), for the window and for messages.
    static QString controlName(OptionsControl control);
};

} // namespace corvane

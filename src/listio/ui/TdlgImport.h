// The import dialog ("Import E-mail Addresses"): the file, the single-column or multi-column choice, the
// category, the settings dialog, and OK running the import. Closing it by any button flushes the tables.
#pragma once

#include "listio/ImportSettings.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace corvane {
class EntryRules;
class TdmML;
class Settings;
class UserPrompt;
} // namespace corvane

namespace corvane::ui {

class TdlgImport : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 206;

    TdlgImport(EntryRules &rules, TdmML &dm, const Settings &settings, UserPrompt &prompt, QWidget *parent = nullptr);

    QLineEdit *edtfile = nullptr;
    QPushButton *btnbrowse = nullptr;
    QRadioButton *rdbsingle = nullptr;
    QRadioButton *rdbmulti = nullptr;
    QLabel *lblcategory = nullptr;
    QComboBox *cmbcategory = nullptr;
    QLabel *lblsettings = nullptr;
    QPushButton *btnsettings = nullptr;
    QPushButton *btnok = nullptr;

    // Picks the file (as "Browse.." does after its dialog).
    void setFileName(const QString &fileName);
    // OK: runs the import; the dialog stays open only while a single-column import has no category.
    void btnokClick();
    // "Edit Settings..": shows the settings dialog.
    void btnsettingsClick();
    ImportSettings &importSettings() { return m_settings; }
    void done(int result) override;

    // "Import Mailing List Entries...": shows the dialog modally.
    static void importEntries(QWidget *parent, EntryRules &rules, TdmML &dm, const Settings &settings,
                              UserPrompt &prompt);
    // The Help buttons of the import and manual-entry dialogs open help through this handler, when set.
    static void setHelpHandler(std::function<void(int context)> handler);
    static void showHelp(int context);

private:
    void updateChoice();

    EntryRules &m_rules;
    TdmML &m_dm;
    UserPrompt &m_prompt;
    ImportSettings m_settings;
};

} // namespace corvane::ui

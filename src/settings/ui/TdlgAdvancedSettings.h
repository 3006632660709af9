// The advanced settings dialog ("Advanced Settings"): page "General" (sending options, e-mail software, and
// the mail store of this platform: the store kind, the Maildir folder or the IMAP account with its test,
// and the submission program with its test) and page "Outlook Integration" (root folder, sender e-mail retrieval,
// extended MAPI). The rules live in corvane::TdlgAdvancedSettings.
#pragma once

#include "settings/TdlgAdvancedSettings.h"

#include <QDialog>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace corvane::ui {

class TdlgAdvancedSettings : public QDialog {
    Q_OBJECT

public:
    TdlgAdvancedSettings(Settings &settings, UserPrompt &prompt, bool usesOutlook, QWidget *parent = nullptr);

    corvane::TdlgAdvancedSettings &core() { return m_core; }

    // FormShow (with the notice when no sending method was chosen yet), the controls, then exec().
    int execute();
    // Puts the controls' state from the core and applies the method and page rules.
    void showControls();
    // OK: the core's checks; closes when they pass.
    void accept() override;

    std::function<void(int context)> showHelp;
    // Opens the SMTP settings for a method; defaults to the SMTP settings dialog, replaced by tests.
    std::function<void(int method)> showSmtpSettings;

    QTabWidget *pages = nullptr;
    QListWidget *lbxsendingmethod = nullptr;
    QPushButton *btnsmtpsettings = nullptr;
    QCheckBox *chkalwaysresolve = nullptr;
    QRadioButton *rdbuseoutlook = nullptr;
    QRadioButton *rdbotherprogram = nullptr;
    QComboBox *cmbstorekind = nullptr;
    QLineEdit *edtmailstore = nullptr;
    QPushButton *btnbrowsestore = nullptr;
    QLineEdit *edtimaphost = nullptr;
    QLineEdit *edtimapport = nullptr;
    QComboBox *cmbimapsecurity = nullptr;
    QLineEdit *edtimapuser = nullptr;
    QLineEdit *edtimappassword = nullptr;
    QLineEdit *edtimapfingerprint = nullptr;
    QPushButton *btntestimap = nullptr;
    QLineEdit *edtsubmitcommand = nullptr;
    QLineEdit *edttestaddress = nullptr;
    QPushButton *btntestsubmit = nullptr;
    QRadioButton *rdbrootdefault = nullptr;
    QRadioButton *rdbrootpersonal = nullptr;
    QRadioButton *rdbrootnamed = nullptr;
    QLineEdit *edtrootname = nullptr;
    QListWidget *lbxretrieval = nullptr;
    QCheckBox *chkalwaysshowsendererror = nullptr;
    QCheckBox *chkuseredemption = nullptr;

private:
    QWidget *buildGeneral();
    QWidget *buildOutlook();
    void buildImapFields(QWidget *store, QGridLayout *layout, int row);
    void readControls();
    void applyRules();

    corvane::TdlgAdvancedSettings m_core;
    Settings &m_settings;
    UserPrompt &m_prompt;
    QWidget *m_outlookPage = nullptr;
};

} // namespace corvane::ui

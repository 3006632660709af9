// The "Enter Addresses" dialog: the addresses typed, pasted or loaded (or found by a harvester, in its
// step-2 form), the question how to process them, the three choices, and OK running them through the
// line-batch routine. Closing it by any means flushes the tables.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace corvane {
class EntryRules;
class TdmML;
class Settings;
class UserPrompt;
} // namespace corvane

namespace corvane::ui {

class TdlgEnterMore : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 203;

    TdlgEnterMore(EntryRules &rules, TdmML &dm, const Settings &settings, UserPrompt &prompt,
                  QWidget *parent = nullptr);

    QLabel *lblheading = nullptr;
    QPlainTextEdit *memaddresses = nullptr;
    QPushButton *btnload = nullptr;
    QPushButton *btnpaste = nullptr;
    QLabel *lblquestion = nullptr;
    QRadioButton *rdbadd = nullptr;
    QLabel *lbladdcategory = nullptr;
    QComboBox *cmbaddcategory = nullptr;
    QRadioButton *rdbremove = nullptr;
    QRadioButton *rdballcategories = nullptr;
    QRadioButton *rdbremovecategory = nullptr;
    QComboBox *cmbremovecategory = nullptr;
    QRadioButton *rdbundeliverable = nullptr;
    QPushButton *btnok = nullptr;

    // The harvesters' step-2 form: caption, heading naming `count` addresses from the mail folder
    // (`fromOutlook`) or the file folder, the box filled with `addresses`, no Load.. and Paste.
    void setStep2(const QStringList &addresses, bool fromOutlook);
    // "Load..": the file's text replaces the box's; "Load Error" when it cannot be read.
    void loadFile(const QString &fileName);
    // "Paste": the clipboard's text into the box; "Clipboard does not contain text!" when it has none.
    void btnpasteClick();
    // OK: the checks, then every line processed; the box is emptied and the dialog closes.
    void btnokClick();
    void done(int result) override;

    // "Manually Enter Entries...": shows the dialog modally.
    static void enterEntries(QWidget *parent, EntryRules &rules, TdmML &dm, const Settings &settings,
                             UserPrompt &prompt);

private:
    void updateControls();

    EntryRules &m_rules;
    TdmML &m_dm;
    UserPrompt &m_prompt;
};

} // namespace corvane::ui

// The "Importation Settings" dialog: the file's fields, their examples and the entry field each goes to,
// the separator, the header option, Move Up / Move Down and the mapping check on closing. The behaviour
// lives in ImportSettings; this window shows it.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {
class ImportSettings;
class UserPrompt;
} // namespace corvane

namespace corvane::ui {

class Tdlgimport2 : public QDialog {
    Q_OBJECT

public:
    Tdlgimport2(ImportSettings &settings, UserPrompt &prompt, QWidget *parent = nullptr);

    QListWidget *lbxfilefields = nullptr;
    QListWidget *lbxarrows1 = nullptr;
    QListWidget *lbxexamples = nullptr;
    QListWidget *lbxarrows2 = nullptr;
    QListWidget *lbxmapping = nullptr;
    QLineEdit *edtseparator = nullptr;
    QCheckBox *chkheader = nullptr;
    QLabel *lblexample = nullptr;
    QPushButton *btnup = nullptr;
    QPushButton *btndown = nullptr;

    // Rebuilds the columns when needed (ImportSettings::FormShow) and shows them.
    void FormShow();
    // Shows the settings' columns.
    void refresh();
    void movefield(int delta);
    // Closes only when the e-mail field is mapped.
    void done(int result) override;

private:
    ImportSettings &m_settings;
    UserPrompt &m_prompt;
};

} // namespace corvane::ui

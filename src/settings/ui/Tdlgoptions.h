// The options dialog ("Options"): ten pages as tabs down the left side, OK, Cancel and Help. Created once at
// start-up and hidden between uses; the settings controls edit the live settings, the rules live in
// corvane::Tdlgoptions. Every control is named as the code names it and enabled by the core's table.
#pragma once

#include "settings/Tdlgoptions.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QVBoxLayout;

namespace corvane {
class DatabaseLink;
class EntryRules;
class Settings;
class SettingsStore;
class UserPrompt;
} // namespace corvane

namespace corvane::ui {

class Tdlgoptions : public QDialog {
    Q_OBJECT

public:
    Tdlgoptions(Settings &settings, SettingsStore &store, DatabaseLink &db, UserPrompt &prompt, EntryRules *rules,
                QWidget *parent = nullptr);

    corvane::Tdlgoptions &core() { return m_core; }

    // Shows the dialog modally: FormShow, the controls from the settings, then the person's edits.
    int execute();
    // Puts every control's state back from the settings and applies the enabling table.
    void loadControls();

    // "Advanced Options..": the advanced settings dialog. `usesOutlook` is the current choice of mail program;
    // `tellUsesOutlook` reaches the main window.
    void BitBtn4Click();
    bool usesOutlook() const { return m_usesOutlook; }
    std::function<void(bool usesOutlook)> tellUsesOutlook;
    // Opens help at a context number; set by the main window.
    std::function<void(int context)> showHelp;

    // The pages, and the list of their captions down the left side that selects them.
    QStackedWidget *pages = nullptr;
    QListWidget *lbxpages = nullptr;
    QComboBox *cmbmailinglist = nullptr;
    QComboBox *cmbusersendingfolder = nullptr;
    QComboBox *cmbdefaultcategory = nullptr;
    QComboBox *cmbalternativecategory = nullptr;
    QPlainTextEdit *memsignature = nullptr;

    // Cancel, the Escape key and the close box: the stored settings back (Loadentries), then the dialog hides.
    void reject() override;
    // "Load..": the file replaces the signature; a file that cannot be read gives "Load Error" and leaves it.
    void loadSignature(const QString &fileName);

    // Tdlgeditentries for the list behind `kind`; replaced by tests.
    std::function<bool(QStringList &lines)> editor;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildGeneral(QWidget *page);
    void buildScanning(QWidget *page);
    void buildCategories(QWidget *page);
    void buildSending(QWidget *page);
    void buildAcknowledge(QWidget *page);
    void buildUserSending(QWidget *page);
    void buildDeliveryFailure(QWidget *page);
    void buildExceptions(QWidget *page);
    void buildSynonyms(QWidget *page);
    void buildSignature(QWidget *page);

    // Control builders: each ties the control to the value it shows (loaded by loadControls, written on
    // every change, which re-applies the enabling table).
    QCheckBox *check(QWidget *parent, const char *name, const QString &caption, bool *value, const QString &hint = {});
    QSpinBox *spin(QWidget *parent, const char *name, int minimum, int maximum, int step, int *value);
    QLineEdit *line(QWidget *parent, const char *name, QString *value);
    QPlainTextEdit *text(QWidget *parent, const char *name, QStringList *value);
    QComboBox *combo(QWidget *parent, const char *name, QString *value);
    // Radio buttons of one choice: button i is selected when `get` returns i, and selecting it calls set(i).
    QList<QRadioButton *> radios(QWidget *parent, const QStringList &names, const QStringList &captions,
                                 const std::function<int()> &get, const std::function<void(int)> &set);
    // The two buttons of a radio pair, the button standing for true first.
    QList<QRadioButton *> pair(QWidget *parent, const char *trueName, const QString &trueCaption, const char *falseName,
                               const QString &falseCaption, Settings::RadioPair *value);
    // A list box of one rule list with its "Edit.." button.
    QWidget *ruleList(QWidget *parent, const char *listName, const char *buttonName, RuleListKind kind,
                      bool blocked = false);
    // Registers a widget of the enabling table.
    void enabledBy(OptionsControl control, QWidget *widget);
    void applyEnabling();
    void refreshLists();
    void loadFolderNames();
    void okClicked();

    corvane::Tdlgoptions m_core;
    Settings &m_settings;
    UserPrompt &m_prompt;
    bool m_usesOutlook = true;
    bool m_loading = false;
    std::vector<std::function<void()>> m_loaders;
    QHash<OptionsControl, QList<QWidget *>> m_enabled;
    QHash<int, QListWidget *> m_lists;
};

} // namespace corvane::ui

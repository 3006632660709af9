// The "Scan Outlook" window: the mail store's folder tree (contacts folders marked "*"), loaded by a one-shot
// timer once the window is on screen, and the three ticks saying what to read from the messages; OK scans the
// chosen folder. GetAddressesFromOutlook runs the whole command, the found lines going to the "Enter
// Addresses" window in its step-2 form.
#pragma once

#include "listio/OutlookHarvest.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {
class EntryRules;
class SenderMethodAsker;
class Settings;
class TdmML;
class UserPrompt;
} // namespace corvane

namespace corvane::ui {

class TdlgGetMore : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 204;
    static constexpr int kLoadDelayMs = 125;

    TdlgGetMore(Settings &settings, UserPrompt &prompt, SenderMethodAsker &asker, QWidget *parent = nullptr);

    QTreeWidget *tvFolders = nullptr;
    QCheckBox *chkfrom = nullptr;
    QCheckBox *chkrecipients = nullptr;
    QCheckBox *chkbody = nullptr;
    QPushButton *btnok = nullptr;
    QTimer *tmrLoadFolders = nullptr;

    // Loads the folder tree (the timer's handler).
    void tmrLoadFoldersTimer();
    // Scans the chosen folder into lines(); does nothing without a chosen folder.
    void ProcessSelectedFolder();
    // The lines the last scan found.
    const QStringList &lines() const { return m_lines; }

    // The main window's "Scan Outlook Folders for Addresses..." (`contacts` false) and "Scan Outlook Contacts
    // for Addresses..." (`contacts` true).
    static void GetAddressesFromOutlook(QWidget *parent, bool contacts, EntryRules &rules, TdmML &dm,
                                        Settings &settings, UserPrompt &prompt, SenderMethodAsker &asker);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void addNodes(QTreeWidgetItem *parent, const std::vector<HarvestFolderNode> &nodes);
    void updateControls();

    OutlookHarvest m_harvest;
    QStringList m_lines;
    bool m_loaded = false;
};

} // namespace corvane::ui

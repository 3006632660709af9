// The "Scan Folders for E-mail Addresses (Step 1 of 2)" window: a tree of the file system's folders and the
// file type; OK hands the chosen folder and mask to the file-folder harvest. ScanFileFoldersforAddresses runs
// the whole command, the found addresses going to the "Enter Addresses" window in its step-2 form.
#pragma once

#include <QDialog>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace corvane {
class EntryRules;
class Settings;
class TdmML;
class UserPrompt;
} // namespace corvane

namespace corvane::ui {

class TdlgScanFolder : public QDialog {
    Q_OBJECT

public:
    static constexpr int kHelpContext = 205;

    explicit TdlgScanFolder(QWidget *parent = nullptr);

    QTreeView *tvFolders = nullptr;
    QComboBox *cmbfiletype = nullptr;
    QPushButton *btnok = nullptr;

    // The chosen folder's path (empty when none is chosen) and the chosen file type's mask.
    QString folder() const;
    QString mask() const;
    // Chooses `path` in the tree.
    void selectFolder(const QString &path);

    // The main window's "Scan File Folders for Addresses...".
    static void ScanFileFoldersforAddresses1Click(QWidget *parent, EntryRules &rules, TdmML &dm,
                                                  const Settings &settings, UserPrompt &prompt);

private:
    QFileSystemModel *m_model = nullptr;
};

} // namespace corvane::ui

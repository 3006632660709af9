// The file-folder step-1 window over FileFolderHarvest.
#include "listio/ui/TdlgScanFolder.h"

#include "base/UserPrompt.h"
#include "listio/FileFolderHarvest.h"
#include "listio/ui/TdlgEnterMore.h"
#include "listio/ui/TdlgImport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace corvane::ui {

TdlgScanFolder::TdlgScanFolder(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Scan Folders for E-mail Addresses (Step 1 of 2)"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("This function allows you to retrieve e-mail addresses stored in text files"), this));
    layout->addWidget(new QLabel(QStringLiteral("Please select a folder to scan for e-mail addresses:"), this));
    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());
    tvFolders = new QTreeView(this);
    tvFolders->setModel(m_model);
    tvFolders->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        tvFolders->hideColumn(column);
    layout->addWidget(tvFolders, 1);
    layout->addWidget(new QLabel(QStringLiteral("Scan Files of Type:"), this));
    cmbfiletype = new QComboBox(this);
    cmbfiletype->addItems(FileFolderHarvest::fileTypes());
    cmbfiletype->setCurrentIndex(0);
    layout->addWidget(cmbfiletype);
    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    btnok = buttons->button(QDialogButtonBox::Ok);
    btnok->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { TdlgImport::showHelp(kHelpContext); });
    connect(tvFolders->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { btnok->setEnabled(!folder().isEmpty()); });
    selectFolder(QDir::homePath());
    resize(420, 480);
}

QString TdlgScanFolder::folder() const {
    const QModelIndex current = tvFolders->currentIndex();
    return current.isValid() ? m_model->filePath(current) : QString();
}

QString TdlgScanFolder::mask() const {
    return FileFolderHarvest::maskOf(cmbfiletype->currentIndex());
}

void TdlgScanFolder::selectFolder(const QString &path) {
    const QModelIndex index = m_model->index(path);
    if (index.isValid()) {
        tvFolders->setCurrentIndex(index);
        tvFolders->scrollTo(index);
    }
}

void TdlgScanFolder::ScanFileFoldersforAddresses1Click(QWidget *parent, EntryRules &rules, TdmML &dm,
                                                       const Settings &settings, UserPrompt &prompt) {
    prompt.setCancelRequested(false);
    TdlgEnterMore enter(rules, dm, settings, prompt, parent);
    TdlgScanFolder choose(parent);
    FileFolderHarvest harvest(settings, prompt);
    for (;;) {
        if (choose.exec() != QDialog::Accepted)
            return;
        const FileFolderHarvest::Result result = harvest.scan(choose.folder(), choose.mask());
        if (result.outcome == FileFolderHarvest::Outcome::NoFiles)
            continue;
        if (result.outcome == FileFolderHarvest::Outcome::Stopped || result.lines.isEmpty())
            return;
        enter.setStep2(result.lines, false);
        enter.exec();
        return;
    }
}

} // namespace corvane::ui

// The database directory dialog.
#include "db/ui/TdlgOpenDB.h"

#include "app/DirectoryCreation.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace corvane::ui {

TdlgOpenDB::TdlgOpenDB(UserPrompt &prompt, QWidget *parent) : QDialog(parent), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("Create/Open Mailing List Database"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(
        QStringLiteral("Please select the directory where you would like to load or create a mailing list database "
                       "(If the directory contains a database, it will be loaded.  Otherwise you will be prompted to "
                       "create one):"),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *pathRow = new QHBoxLayout();
    auto *label = new QLabel(QStringLiteral("Directory:"), this);
    edtpath = new QLineEdit(this);
    edtpath->setObjectName(QStringLiteral("edtpath"));
    label->setBuddy(edtpath);
    pathRow->addWidget(label);
    pathRow->addWidget(edtpath, 1);
    layout->addLayout(pathRow);

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());
    ShellTree1 = new QTreeView(this);
    ShellTree1->setObjectName(QStringLiteral("ShellTree1"));
    ShellTree1->setModel(m_model);
    for (int c = 1; c < m_model->columnCount(); ++c) {
        ShellTree1->hideColumn(c);
    }
    ShellTree1->header()->hide();
    ShellTree1->setMinimumSize(380, 280);
    layout->addWidget(ShellTree1, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnOK = buttons->button(QDialogButtonBox::Ok);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgOpenDB::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TdlgOpenDB::reject);

    connect(ShellTree1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid()) {
                    edtpath->setText(QDir::toNativeSeparators(m_model->filePath(current)));
                }
            });
    connect(edtpath, &QLineEdit::textChanged, this,
            [this](const QString &text) { btnOK->setEnabled(!text.isEmpty()); });
    setDirectory(QDir::currentPath());
}

QString TdlgOpenDB::directory() const {
    return edtpath->text();
}

void TdlgOpenDB::setDirectory(const QString &dir) {
    const QModelIndex index = m_model->index(dir);
    if (index.isValid()) {
        ShellTree1->setCurrentIndex(index);
        ShellTree1->scrollTo(index);
    }
    edtpath->setText(dir);
    btnOK->setEnabled(!edtpath->text().isEmpty());
}

void TdlgOpenDB::accept() {
    if (edtpath->text().isEmpty()) {
        return;
    }
    if (!DirectoryCreation::ensureDirectory(m_prompt, edtpath->text())) {
        return;
    }
    QDialog::accept();
}

QString TdlgOpenDB::choose(UserPrompt &prompt, QWidget *parent, const QString &initial) {
    TdlgOpenDB dialog(prompt, parent);
    if (!initial.trimmed().isEmpty() && QDir(initial.trimmed()).exists()) {
        dialog.setDirectory(initial.trimmed());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.directory().isEmpty()) {
        return QString();
    }
    return dialog.directory();
}

} // namespace corvane::ui

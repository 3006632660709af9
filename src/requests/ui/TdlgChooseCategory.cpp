// The category choice dialog.
#include "requests/ui/TdlgChooseCategory.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace corvane::ui {

TdlgChooseCategory::TdlgChooseCategory(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Choose Category"));
    auto *layout = new QVBoxLayout(this);
    lblprompt = new QLabel(this);
    lblprompt->setWordWrap(true);
    layout->addWidget(lblprompt);
    auto *caption = new QLabel(QStringLiteral("New Category:"), this);
    layout->addWidget(caption);
    cmbcategory = new QComboBox(this);
    cmbcategory->setObjectName(QStringLiteral("cmbcategory"));
    cmbcategory->setEditable(true);
    cmbcategory->setInsertPolicy(QComboBox::NoInsert);
    caption->setBuddy(cmbcategory);
    layout->addWidget(cmbcategory);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(300);
}

QString TdlgChooseCategory::getcategory(QWidget *parent, const QString &prompt, const QStringList &categories,
                                        const QString &current) {
    TdlgChooseCategory dialog(parent);
    dialog.lblprompt->setText(prompt);
    dialog.cmbcategory->addItems(categories);
    dialog.cmbcategory->setCurrentText(current);
    if (dialog.exec() != QDialog::Accepted) {
        return QString();
    }
    return dialog.cmbcategory->currentText();
}

} // namespace corvane::ui

// The "Find Record" dialog.
#include "listio/ui/TdlgFind.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::ui {

TdlgFind::TdlgFind(ListMaintenance &maintenance, QWidget *parent) : QDialog(parent), m_maintenance(maintenance) {
    setWindowTitle(QStringLiteral("Find Record"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("Please enter the details of the record which you wish to locate"), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *grid = new QGridLayout;
    static const char *const preselected[kRows] = {"E-mail", "Category", "Name"};
    for (int row = 0; row < kRows; ++row) {
        chkfield[row] = new QCheckBox(QStringLiteral("Field"), this);
        chkfield[row]->setObjectName(QStringLiteral("chkfield%1").arg(row + 1));
        chkfield[row]->setChecked(row == 0);
        cmbfield[row] = new QComboBox(this);
        cmbfield[row]->setObjectName(QStringLiteral("cmbfield%1").arg(row + 1));
        cmbfield[row]->addItems(ListMaintenance::findChoices(row));
        cmbfield[row]->setCurrentText(QString::fromLatin1(preselected[row]));
        lblrelation[row] = new QLabel(this);
        edttext[row] = new QLineEdit(this);
        edttext[row]->setObjectName(QStringLiteral("edttext%1").arg(row + 1));
        grid->addWidget(chkfield[row], row, 0);
        grid->addWidget(cmbfield[row], row, 1);
        grid->addWidget(lblrelation[row], row, 2);
        grid->addWidget(edttext[row], row, 3);
        connect(edttext[row], &QLineEdit::textEdited, this, [this] { edttextChange(); });
    }
    layout->addLayout(grid);

    auto *options = new QGroupBox(QStringLiteral("Search Options"), this);
    auto *optionsLayout = new QHBoxLayout(options);
    chkcaseinsensitive = new QCheckBox(QStringLiteral("Case Insensitive"), options);
    chkcaseinsensitive->setChecked(true);
    chkpartial = new QCheckBox(QStringLiteral("Allow Partial Matches"), options);
    chkpartial->setChecked(true);
    optionsLayout->addWidget(chkcaseinsensitive);
    optionsLayout->addWidget(chkpartial);
    layout->addWidget(options);
    connect(chkpartial, &QCheckBox::toggled, this, [this] { updateRelations(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btnok = new QPushButton(QStringLiteral("OK"), this);
    btnok->setDefault(true);
    btncancel = new QPushButton(QStringLiteral("Cancel"), this);
    buttons->addWidget(btnok);
    buttons->addWidget(btncancel);
    layout->addLayout(buttons);
    connect(btnok, &QPushButton::clicked, this, [this] { btnokClick(); });
    connect(btncancel, &QPushButton::clicked, this, &QDialog::reject);

    updateRelations();
    edttext[0]->setFocus();
}

// Shared by the three text boxes: each row is ticked exactly when its text is not empty.
void TdlgFind::edttextChange() {
    for (int i = 0; i < kRows; ++i) {
        chkfield[i]->setChecked(!edttext[i]->text().isEmpty());
    }
}

void TdlgFind::updateRelations() {
    const QString relation = chkpartial->isChecked() ? QStringLiteral("starts with") : QStringLiteral("equals");
    for (QLabel *label : lblrelation) {
        label->setText(relation);
    }
}

QList<ListMaintenance::FindTerm> TdlgFind::terms() const {
    QList<ListMaintenance::FindTerm> result;
    for (int row = 0; row < kRows; ++row) {
        result.append({chkfield[row]->isChecked(), cmbfield[row]->currentText(), edttext[row]->text()});
    }
    return result;
}

void TdlgFind::btnokClick() {
    m_found = m_maintenance.Find(terms(), chkcaseinsensitive->isChecked(), chkpartial->isChecked());
    if (m_found) {
        accept();
    }
}

std::optional<int> TdlgFind::findRecord(QWidget *parent, ListMaintenance &maintenance) {
    TdlgFind dialog(maintenance, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.foundIndex();
}

} // namespace corvane::ui

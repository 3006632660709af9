// The export option dialog.
#include "listio/ui/TdlgExportOption.h"

#include "listio/ui/GridFileExportDialog.h"
#include "listio/ui/TdlgExport.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {

QRadioButton *addChoice(QWidget *parent, QVBoxLayout *layout, const QString &name, const QString &caption,
                        const QString &explanation) {
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    layout->addWidget(button);
    auto *label = new QLabel(explanation, parent);
    label->setWordWrap(true);
    label->setContentsMargins(24, 0, 0, 8);
    layout->addWidget(label);
    return button;
}

} // namespace

TdlgExportOption::TdlgExportOption(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Export Option"));
    auto *layout = new QVBoxLayout(this);
    rdbcsv = addChoice(this, layout, QStringLiteral("rdbcsv"), QStringLiteral("Export to a CSV format text file"),
                       QStringLiteral("You will have complete control over the fields that are exported and you will "
                                      "be able to import the file back into Corvane"));
    rdbxls = addChoice(this, layout, QStringLiteral("rdbxls"), QStringLiteral("Export to a Excel spreadsheet"),
                       QStringLiteral("Your database will be exported to a spreadsheet with the current displayed "
                                      "layout.  The file cannot be imported into Corvane"));
    rdbhtml = addChoice(this, layout, QStringLiteral("rdbhtml"), QStringLiteral("Export to an HTML Web page"),
                        QStringLiteral("Your database will be exported to an HTML page with the current displayed "
                                       "layout.  The file cannot be imported into Corvane"));
    rdbcsv->setChecked(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setMinimumWidth(420);
}

TdlgExportOption::Choice TdlgExportOption::choice() const {
    if (rdbxls->isChecked()) {
        return Choice::Worksheet;
    }
    if (rdbhtml->isChecked()) {
        return Choice::Html;
    }
    return Choice::Text;
}

TdlgExportOption::Choice TdlgExportOption::choose(QWidget *parent) {
    TdlgExportOption dialog(parent);
    return dialog.exec() == QDialog::Accepted ? dialog.choice() : Choice::Cancelled;
}

bool TdlgExportOption::exportMailingList(QWidget *parent, UserPrompt &prompt, SqliteTable &table,
                                         const QTableView &grid) {
    switch (choose(parent)) {
    case Choice::Text:
        return TdlgExport::exportList(parent, prompt, table);
    case Choice::Worksheet:
        return GridFileExportDialog::SaveToFile(parent, prompt, GridFileExport::Format::Worksheet, grid);
    case Choice::Html:
        return GridFileExportDialog::SaveToFile(parent, prompt, GridFileExport::Format::Html, grid);
    case Choice::Cancelled:
        break;
    }
    return false;
}

} // namespace corvane::ui

// The export and print dialog.
#include "listio/ui/TdlgExport.h"

#include "listio/ui/ListExportPrinter.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {

std::function<void(int)> &helpHandler() {
    static std::function<void(int)> handler;
    return handler;
}

const char *const kFieldCaptions[] = {"E-mail", "Category", "Full Name", "First Name", "Comments", "Bounces"};

} // namespace

void TdlgExport::setHelpHandler(std::function<void(int context)> handler) {
    helpHandler() = std::move(handler);
}

TdlgExport::TdlgExport(UserPrompt &prompt, SqliteTable &table, Form form, QWidget *parent)
    : QDialog(parent), m_prompt(prompt), m_table(table), m_form(form) {
    const bool printing = form == Form::Print;
    setWindowTitle(printing ? QStringLiteral("Print E-mail List") : QStringLiteral("Export E-mail List"));
    auto *layout = new QGridLayout(this);

    lblfilename = new QLabel(printing ? QStringLiteral("Print the e-mail list with the heading:")
                                      : QStringLiteral("Please choose a filename:"),
                             this);
    edtfilename = new QLineEdit(this);
    edtfilename->setObjectName(QStringLiteral("edtfilename"));
    edtfilename->setReadOnly(true);
    edtfilename->setText(printing ? ListExport::printHeading() : ListExport::defaultFileName());
    btnsave = new QPushButton(QStringLiteral("Save.."), this);
    btnsave->setObjectName(QStringLiteral("btnsave"));
    layout->addWidget(lblfilename, 0, 0, 1, 2);
    // In the print form the box takes the button's place.
    layout->addWidget(edtfilename, 1, 0, 1, printing ? 2 : 1);
    layout->addWidget(btnsave, 1, 1);
    btnsave->setVisible(!printing);

    lblfields = new QLabel(printing ? QStringLiteral("What fields do you want to print:")
                                    : QStringLiteral("What fields do you want to export:"),
                           this);
    lbxfields = new QListWidget(this);
    lbxfields->setObjectName(QStringLiteral("lbxfields"));
    for (const char *caption : kFieldCaptions) {
        auto *item = new QListWidgetItem(QString::fromLatin1(caption), lbxfields);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    layout->addWidget(lblfields, 2, 0, 1, 2);
    layout->addWidget(lbxfields, 3, 0, 1, 2);

    lblseparator = new QLabel(QStringLiteral("Separate fields with the character:"), this);
    edtseparator = new QLineEdit(QStringLiteral(","), this);
    edtseparator->setObjectName(QStringLiteral("edtseparator"));
    edtseparator->setMaxLength(1);
    edtseparator->setMaximumWidth(40);
    layout->addWidget(lblseparator, 4, 0);
    layout->addWidget(edtseparator, 4, 1);
    lblseparator->setVisible(!printing);
    edtseparator->setVisible(!printing);

    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    layout->addWidget(buttons, 5, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { btnokClick(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] {
        if (helpHandler()) {
            helpHandler()(kHelpContext);
        }
    });
    connect(btnsave, &QPushButton::clicked, this, &TdlgExport::btnsaveClick);
    setMinimumWidth(420);
}

ExportFields TdlgExport::fields() const {
    auto ticked = [this](int row) { return lbxfields->item(row)->checkState() == Qt::Checked; };
    return ExportFields{ticked(0), ticked(1), ticked(2), ticked(3), ticked(4), ticked(5)};
}

bool TdlgExport::btnokClick() {
    ListExport run(m_prompt, m_table);
    if (m_form == Form::Print) {
        ListExportPrinter dialogPrinter(this);
        run.printTarget = printTarget != nullptr ? printTarget : &dialogPrinter;
        m_result = run.exportlist(QString(), edtfilename->text(), fields(), false, QStringLiteral(","));
        m_printed = run.printed();
    } else {
        m_result = run.exportlist(edtfilename->text(), QString(), fields(), false, edtseparator->text());
    }
    accept();
    return m_result;
}

void TdlgExport::configureSaveDialog(QFileDialog &dialog, const QString &current) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("Comma-delimited Files (*.csv)"), QStringLiteral("Text File (*.txt)")});
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.selectFile(current);
}

void TdlgExport::btnsaveClick() {
    QFileDialog dialog(this);
    configureSaveDialog(dialog, edtfilename->text());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        edtfilename->setText(dialog.selectedFiles().constFirst());
    }
}

bool TdlgExport::exportList(QWidget *parent, UserPrompt &prompt, SqliteTable &table) {
    TdlgExport dialog(prompt, table, Form::Export, parent);
    return dialog.exec() == QDialog::Accepted && dialog.m_result;
}

bool TdlgExport::printList(QWidget *parent, UserPrompt &prompt, SqliteTable &table) {
    TdlgExport dialog(prompt, table, Form::Print, parent);
    return dialog.exec() == QDialog::Accepted && dialog.m_printed;
}

} // namespace corvane::ui

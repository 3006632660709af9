// The import dialog over ListImport.
#include "listio/ui/TdlgImport.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "db/TdmML.h"
#include "listio/ListImport.h"
#include "listio/ui/Tdlgimport2.h"
#include "settings/Settings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace corvane::ui {

namespace {

std::function<void(int)> &helpHandler() {
    static std::function<void(int)> handler;
    return handler;
}

} // namespace

void TdlgImport::setHelpHandler(std::function<void(int context)> handler) {
    helpHandler() = std::move(handler);
}

void TdlgImport::showHelp(int context) {
    if (helpHandler()) {
        helpHandler()(context);
    }
}

TdlgImport::TdlgImport(EntryRules &rules, TdmML &dm, const Settings &settings, UserPrompt &prompt, QWidget *parent)
    : QDialog(parent), m_rules(rules), m_dm(dm), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("Import E-mail Addresses"));
    auto *layout = new QGridLayout(this);
    edtfile = new QLineEdit(this);
    edtfile->setReadOnly(true);
    btnbrowse = new QPushButton(QStringLiteral("Browse.."), this);
    layout->addWidget(edtfile, 0, 0, 1, 2);
    layout->addWidget(btnbrowse, 0, 2);
    rdbsingle = new QRadioButton(QStringLiteral("File only contains a single column of e-mail addresses"), this);
    rdbmulti = new QRadioButton(QStringLiteral("File contains multiple columns"), this);
    rdbsingle->setChecked(true);
    layout->addWidget(rdbsingle, 1, 0, 1, 3);
    lblcategory = new QLabel(QStringLiteral("Add to Category:"), this);
    cmbcategory = new QComboBox(this);
    cmbcategory->setEditable(true);
    cmbcategory->addItems(settings.AllowedCategories);
    cmbcategory->setEditText(settings.defaultcategory);
    layout->addWidget(lblcategory, 2, 0);
    layout->addWidget(cmbcategory, 2, 1, 1, 2);
    layout->addWidget(rdbmulti, 3, 0, 1, 3);
    lblsettings = new QLabel(QStringLiteral("Import Settings:"), this);
    btnsettings = new QPushButton(QStringLiteral("Edit Settings.."), this);
    layout->addWidget(lblsettings, 4, 0);
    layout->addWidget(btnsettings, 4, 1);
    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    btnok = buttons->button(QDialogButtonBox::Ok);
    btnok->setEnabled(false);
    layout->addWidget(buttons, 5, 0, 1, 3);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgImport::btnokClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { showHelp(kHelpContext); });
    connect(btnbrowse, &QPushButton::clicked, this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, QString(), edtfile->text(),
                                                          QStringLiteral("Comma-delimited Files (*.csv,*.txt) "
                                                                         "(*.csv *.txt)"));
        if (!name.isEmpty()) {
            setFileName(name);
        }
    });
    connect(btnsettings, &QPushButton::clicked, this, &TdlgImport::btnsettingsClick);
    connect(rdbsingle, &QRadioButton::toggled, this, &TdlgImport::updateChoice);
    updateChoice();
    setMinimumWidth(460);
}

void TdlgImport::updateChoice() {
    const bool single = rdbsingle->isChecked();
    lblcategory->setEnabled(single);
    cmbcategory->setEnabled(single);
    lblsettings->setEnabled(!single);
    btnsettings->setEnabled(!single);
}

void TdlgImport::setFileName(const QString &fileName) {
    edtfile->setText(fileName);
    m_settings.setFileName(fileName);
    btnok->setEnabled(!fileName.isEmpty());
}

void TdlgImport::btnsettingsClick() {
    Tdlgimport2 dialog(m_settings, m_prompt, this);
    dialog.FormShow();
    dialog.exec();
}

void TdlgImport::btnokClick() {
    const bool single = rdbsingle->isChecked();
    const QString category = cmbcategory->currentText();
    ListImport run(m_rules, m_prompt);
    const bool ran = run.importFile(edtfile->text(), !single, category, m_settings);
    if (!ran && single && category.isEmpty()) {
        return;
    }
    accept();
}

void TdlgImport::done(int result) {
    try {
        m_dm.SaveDatabase();
    } catch (const CorvaneError &e) {
        m_prompt.message(UserPrompt::Kind::Error, e.message(), UserPrompt::Ok);
    }
    QDialog::done(result);
}

void TdlgImport::importEntries(QWidget *parent, EntryRules &rules, TdmML &dm, const Settings &settings,
                               UserPrompt &prompt) {
    TdlgImport dialog(rules, dm, settings, prompt, parent);
    dialog.exec();
}

} // namespace corvane::ui

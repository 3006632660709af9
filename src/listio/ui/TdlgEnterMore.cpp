// The "Enter Addresses" window over EnterAddresses.
#include "listio/ui/TdlgEnterMore.h"

#include "base/CorvaneError.h"
#include "base/TextFile.h"
#include "base/UserPrompt.h"
#include "db/TdmML.h"
#include "listio/EnterAddresses.h"
#include "listio/ui/TdlgImport.h"
#include "settings/Settings.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace corvane::ui {

TdlgEnterMore::TdlgEnterMore(EntryRules &rules, TdmML &dm, const Settings &settings, UserPrompt &prompt,
                             QWidget *parent)
    : QDialog(parent), m_rules(rules), m_dm(dm), m_prompt(prompt) {
    setWindowTitle(QStringLiteral("Enter Addresses"));
    auto *layout = new QGridLayout(this);
    lblheading = new QLabel(QStringLiteral("Please enter the e-mail addresses you would like to process:"), this);
    layout->addWidget(lblheading, 0, 0, 1, 3);
    memaddresses = new QPlainTextEdit(this);
    memaddresses->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(memaddresses, 1, 0, 2, 2);
    btnload = new QPushButton(QStringLiteral("Load.."), this);
    btnpaste = new QPushButton(QStringLiteral("Paste"), this);
    layout->addWidget(btnload, 1, 2, Qt::AlignTop);
    layout->addWidget(btnpaste, 2, 2, Qt::AlignTop);
    lblquestion = new QLabel(EnterAddresses::question(0), this);
    layout->addWidget(lblquestion, 3, 0, 1, 3);
    rdbadd = new QRadioButton(QStringLiteral("Add to Mailing List"), this);
    lbladdcategory = new QLabel(QStringLiteral("Category:"), this);
    cmbaddcategory = new QComboBox(this);
    cmbaddcategory->setEditable(true);
    cmbaddcategory->addItems(settings.AllowedCategories);
    cmbaddcategory->setEditText(settings.defaultcategory);
    layout->addWidget(rdbadd, 4, 0);
    layout->addWidget(lbladdcategory, 4, 1);
    layout->addWidget(cmbaddcategory, 4, 2);
    rdbremove = new QRadioButton(QStringLiteral("Remove from Mailing List"), this);
    layout->addWidget(rdbremove, 5, 0);
    auto *removal = new QWidget(this);
    auto *removalLayout = new QGridLayout(removal);
    rdballcategories = new QRadioButton(QStringLiteral("All Categories"), removal);
    rdbremovecategory = new QRadioButton(QStringLiteral("Category:"), removal);
    cmbremovecategory = new QComboBox(removal);
    cmbremovecategory->setEditable(true);
    cmbremovecategory->addItems(settings.AllowedCategories);
    cmbremovecategory->setEditText(QString());
    rdballcategories->setChecked(true);
    removalLayout->addWidget(rdballcategories, 0, 0);
    removalLayout->addWidget(rdbremovecategory, 1, 0);
    removalLayout->addWidget(cmbremovecategory, 1, 1);
    layout->addWidget(removal, 6, 0, 1, 3);
    rdbundeliverable = new QRadioButton(QStringLiteral("Process as Undeliverable"), this);
    layout->addWidget(rdbundeliverable, 7, 0);
    rdbadd->setChecked(true);
    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    btnok = buttons->button(QDialogButtonBox::Ok);
    btnok->setDefault(true);
    layout->addWidget(buttons, 8, 0, 1, 3);
    connect(buttons, &QDialogButtonBox::accepted, this, &TdlgEnterMore::btnokClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { TdlgImport::showHelp(kHelpContext); });
    connect(btnload, &QPushButton::clicked, this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, QString(), QString(),
                                                          QStringLiteral("Text Files (*.csv,*.txt) (*.csv *.txt)"));
        if (!name.isEmpty()) {
            loadFile(name);
        }
    });
    connect(btnpaste, &QPushButton::clicked, this, &TdlgEnterMore::btnpasteClick);
    connect(memaddresses, &QPlainTextEdit::textChanged, this, &TdlgEnterMore::updateControls);
    for (QRadioButton *choice : {rdbadd, rdbremove, rdbundeliverable, rdballcategories, rdbremovecategory}) {
        connect(choice, &QRadioButton::toggled, this, &TdlgEnterMore::updateControls);
    }
    updateControls();
    resize(480, 460);
}

void TdlgEnterMore::updateControls() {
    const qsizetype lines = EnterAddresses::linesOf(memaddresses->toPlainText()).size();
    lblquestion->setText(EnterAddresses::question(lines));
    btnok->setEnabled(lines > 0);
    lbladdcategory->setEnabled(rdbadd->isChecked());
    cmbaddcategory->setEnabled(rdbadd->isChecked());
    rdballcategories->setEnabled(rdbremove->isChecked());
    rdbremovecategory->setEnabled(rdbremove->isChecked());
    cmbremovecategory->setEnabled(rdbremove->isChecked() && rdbremovecategory->isChecked());
}

void TdlgEnterMore::setStep2(const QStringList &addresses, bool fromOutlook) {
    setWindowTitle(QStringLiteral("Process Addresses (Step 2 of 2)"));
    lblheading->setText(QStringLiteral("The following ") + QString::number(addresses.size()) +
                        (fromOutlook ? QStringLiteral(" addresses were retrieved from the specified folder:")
                                     : QStringLiteral(" addresses were retrieved from your file folder:")));
    memaddresses->setPlainText(addresses.join(QLatin1Char('\n')));
    btnload->hide();
    btnpaste->hide();
    auto *grid = static_cast<QGridLayout *>(layout());
    grid->addWidget(memaddresses, 1, 0, 2, 3);
}

void TdlgEnterMore::loadFile(const QString &fileName) {
    try {
        memaddresses->setPlainText(TextFile::readLines(fileName).join(QLatin1Char('\n')));
    } catch (const CorvaneError &) {
        m_prompt.message(UserPrompt::Kind::Error, QStringLiteral("Load Error"), UserPrompt::Ok);
    }
}

void TdlgEnterMore::btnpasteClick() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty()) {
        m_prompt.message(UserPrompt::Kind::Error, QStringLiteral("Clipboard does not contain text!"), UserPrompt::Ok);
        return;
    }
    memaddresses->insertPlainText(text);
}

void TdlgEnterMore::btnokClick() {
    const EnterAddresses::Choice choice = rdbadd->isChecked()      ? EnterAddresses::Choice::Add
                                          : rdbremove->isChecked() ? EnterAddresses::Choice::Remove
                                                                   : EnterAddresses::Choice::Undeliverable;
    if (!EnterAddresses::accept(m_rules, m_prompt, EnterAddresses::linesOf(memaddresses->toPlainText()), choice,
                                cmbaddcategory->currentText(), rdballcategories->isChecked(),
                                cmbremovecategory->currentText())) {
        return;
    }
    memaddresses->clear();
    accept();
}

void TdlgEnterMore::done(int result) {
    try {
        m_dm.SaveDatabase();
    } catch (const CorvaneError &e) {
        m_prompt.message(UserPrompt::Kind::Error, e.message(), UserPrompt::Ok);
    }
    QDialog::done(result);
}

void TdlgEnterMore::enterEntries(QWidget *parent, EntryRules &rules, TdmML &dm, const Settings &settings,
                                 UserPrompt &prompt) {
    TdlgEnterMore dialog(rules, dm, settings, prompt, parent);
    dialog.exec();
}

} // namespace corvane::ui

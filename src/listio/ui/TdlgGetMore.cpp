// The "Scan Outlook" window over OutlookHarvest.
#include "listio/ui/TdlgGetMore.h"

#include "base/UserPrompt.h"
#include "listio/ui/TdlgEnterMore.h"
#include "listio/ui/TdlgImport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {

const QString kStep1Caption = QStringLiteral("Scan Outlook Folders for E-mail Addresses (Step 1 of 2)");

bool isContacts(const QTreeWidgetItem *item) {
    return item != nullptr && item->text(0).endsWith(QLatin1Char('*'));
}

} // namespace

TdlgGetMore::TdlgGetMore(Settings &settings, UserPrompt &prompt, SenderMethodAsker &asker, QWidget *parent)
    : QDialog(parent), m_harvest(settings, prompt, asker) {
    setWindowTitle(kStep1Caption);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Please select the Outlook folder you would like to retrieve addresses from:"), this));
    tvFolders = new QTreeWidget(this);
    tvFolders->setHeaderHidden(true);
    layout->addWidget(tvFolders, 1);
    layout->addWidget(new QLabel(QStringLiteral("* Folder contains Outlook contacts"), this));
    auto *options = new QGroupBox(QStringLiteral("Options:"), this);
    auto *optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(new QLabel(QStringLiteral("Retrieve e-mail addresses from:"), options));
    chkfrom = new QCheckBox(QStringLiteral("From Address"), options);
    chkfrom->setChecked(true);
    chkrecipients = new QCheckBox(QStringLiteral("Recipient Addresses"), options);
    chkbody = new QCheckBox(QStringLiteral("Message Body "), options);
    for (QCheckBox *tick : {chkfrom, chkrecipients, chkbody}) {
        optionsLayout->addWidget(tick);
        connect(tick, &QCheckBox::clicked, this, &TdlgGetMore::updateControls);
    }
    layout->addWidget(options);
    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    btnok = buttons->button(QDialogButtonBox::Ok);
    btnok->setEnabled(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        ProcessSelectedFolder();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [] { TdlgImport::showHelp(kHelpContext); });
    connect(tvFolders, &QTreeWidget::currentItemChanged, this, &TdlgGetMore::updateControls);
    tmrLoadFolders = new QTimer(this);
    tmrLoadFolders->setSingleShot(true);
    tmrLoadFolders->setInterval(kLoadDelayMs);
    connect(tmrLoadFolders, &QTimer::timeout, this, [this] {
        tmrLoadFolders->stop();
        tmrLoadFoldersTimer();
    });
    resize(420, 480);
}

void TdlgGetMore::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        setWindowTitle(QStringLiteral("LOADING..."));
        setCursor(Qt::WaitCursor);
        tmrLoadFolders->start();
    }
}

void TdlgGetMore::addNodes(QTreeWidgetItem *parent, const std::vector<HarvestFolderNode> &nodes) {
    for (const HarvestFolderNode &node : nodes) {
        auto *item = parent == nullptr ? new QTreeWidgetItem(tvFolders) : new QTreeWidgetItem(parent);
        item->setText(0, node.text());
        addNodes(item, node.children);
    }
}

void TdlgGetMore::tmrLoadFoldersTimer() {
    tvFolders->clear();
    if (const std::optional<OutlookHarvest::Folders> folders = m_harvest.loadFolders())
        addNodes(nullptr, folders->tree);
    unsetCursor();
    setWindowTitle(kStep1Caption);
    updateControls();
}

void TdlgGetMore::updateControls() {
    QTreeWidgetItem *current = tvFolders->currentItem();
    const bool contacts = isContacts(current);
    chkfrom->setText(contacts ? QStringLiteral("Contact E-mail Address") : QStringLiteral("From Address"));
    if (contacts) {
        chkfrom->setChecked(true);
        chkrecipients->setChecked(false);
        chkbody->setChecked(false);
    }
    chkfrom->setEnabled(!contacts);
    chkrecipients->setVisible(!contacts);
    chkbody->setVisible(!contacts);
    const bool ticked = chkfrom->isChecked() || chkrecipients->isChecked() || chkbody->isChecked();
    btnok->setEnabled(current != nullptr && ticked);
}

void TdlgGetMore::ProcessSelectedFolder() {
    QTreeWidgetItem *item = tvFolders->currentItem();
    if (item == nullptr)
        return;
    QStringList path;
    for (QTreeWidgetItem *at = item; at != nullptr; at = at->parent())
        path.prepend(at->text(0));
    const OutlookHarvest::Result result = m_harvest.ProcessSelectedFolder(
        path, isContacts(item), {chkfrom->isChecked(), chkrecipients->isChecked(), chkbody->isChecked()});
    m_lines = result.lines;
}

void TdlgGetMore::GetAddressesFromOutlook(QWidget *parent, bool contacts, EntryRules &rules, TdmML &dm,
                                          Settings &settings, UserPrompt &prompt, SenderMethodAsker &asker) {
    prompt.setCancelRequested(false);
    TdlgEnterMore enter(rules, dm, settings, prompt, parent);
    TdlgGetMore scan(settings, prompt, asker, parent);
    QStringList lines;
    if (contacts) {
        lines = scan.m_harvest.harvestContacts().lines;
    } else {
        if (scan.exec() != QDialog::Accepted)
            return;
        lines = scan.lines();
    }
    if (lines.isEmpty()) {
        prompt.message(UserPrompt::Kind::Information, OutlookHarvest::noAddressesText(), UserPrompt::Ok);
        return;
    }
    enter.setStep2(lines, true);
    enter.exec();
}

} // namespace corvane::ui

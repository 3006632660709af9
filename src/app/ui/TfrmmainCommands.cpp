// The main window's list maintenance commands: the Edit menu, the row pop-up menu and the grid's keys,
// each handing the selected entries (by Index, in selection order) to the core commands.
#include "app/ui/Tfrmmain.h"
#include "db/TdmML.h"
#include "listio/BackUpFile.h"
#include "listio/ListMaintenance.h"
#include "listio/ui/TdlgEnterMore.h"
#include "listio/ui/TdlgExport.h"
#include "listio/ui/TdlgExportOption.h"
#include "listio/ui/TdlgFind.h"
#include "listio/ui/TdlgGetMore.h"
#include "listio/ui/TdlgImport.h"
#include "listio/ui/TdlgScanFolder.h"
#include "requests/ui/DialogAddressChangeAsker.h"
#include "requests/ui/TdlgChooseCategory.h"
#include "requests/ui/Tdlgerrors.h"
#include "settings/Settings.h"
#include "settings/ui/HelpWindow.h"
#include "settings/ui/Tdlgoptions.h"

#include <QAction>
#include <QDialog>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTableView>
#include <QTreeView>

namespace corvane::ui {

QList<int> Tfrmmain::selectedKeys() {
    QList<int> keys;
    if (tvGrouped->isVisible()) {
        for (const QModelIndex &row : tvGrouped->selectionModel()->selectedRows()) {
            const TableRow entry = m_grouped.entryAt(row.parent().row(), row.row());
            if (row.parent().isValid() && !entry.values.isEmpty()) {
                keys.append(entry.values.at(0).toInt());
            }
        }
        return keys;
    }
    const QModelIndexList rows = dxDBGrid1->selectionModel()->selectedRows();
    for (const QModelIndex &row : rows) {
        const TableRow entry = m_core.listModel().rowAt(row.row());
        if (!entry.values.isEmpty()) {
            keys.append(entry.values.at(0).toInt());
        }
    }
    return keys;
}

int Tfrmmain::focusedKey() {
    if (tvGrouped->isVisible()) {
        const QModelIndex current = tvGrouped->currentIndex();
        const TableRow entry = m_grouped.entryAt(current.parent().row(), current.row());
        return current.parent().isValid() && !entry.values.isEmpty() ? entry.values.at(0).toInt() : -1;
    }
    const TableRow entry = m_core.listModel().rowAt(dxDBGrid1->currentIndex().row());
    return entry.values.isEmpty() ? -1 : entry.values.at(0).toInt();
}

void Tfrmmain::noteFocus() {
    m_focusRow = dxDBGrid1->currentIndex().row();
    m_focusKeys.clear();
    m_focusSpan = 0;
    const ListViewModel &model = m_core.listModel();
    const int count = model.rowCount();
    if (m_focusRow < 0 || m_focusRow >= count) {
        return;
    }
    const auto keyAt = [&model](int row) {
        const TableRow entry = model.rowAt(row);
        return entry.values.isEmpty() ? -1 : entry.values.at(0).toInt();
    };
    // The focused entry first; should it go, the first following entry outside the selection (which the
    // command may remove), else the nearest preceding one.
    const QList<int> keys = selectedKeys();
    const QSet<int> selected(keys.cbegin(), keys.cend());
    m_focusSpan = static_cast<int>(selected.size());
    m_focusKeys.append(keyAt(m_focusRow));
    int next = m_focusRow + 1;
    while (next < count && selected.contains(keyAt(next))) {
        ++next;
    }
    if (next < count) {
        m_focusKeys.append(keyAt(next));
    }
    int previous = m_focusRow - 1;
    while (previous >= 0 && selected.contains(keyAt(previous))) {
        --previous;
    }
    if (previous >= 0) {
        m_focusKeys.append(keyAt(previous));
    }
}

void Tfrmmain::restoreFocus() {
    const ListViewModel &model = m_core.listModel();
    const int count = model.rowCount();
    // The noted entries are looked for where they can have moved to (rows removed above the focus move
    // them up by at most that many), so that a deletion in a long list reads no more than a page or two.
    const int from = std::max(0, m_focusRow - m_focusSpan - 1);
    const int to = std::min(count - 1, m_focusRow + 1);
    for (const int key : std::as_const(m_focusKeys)) {
        for (int row = from; key >= 0 && row <= to; ++row) {
            const TableRow entry = model.rowAt(row);
            if (!entry.values.isEmpty() && entry.values.at(0).toInt() == key) {
                goToRow(row);
                return;
            }
        }
    }
    goToRow(std::min(m_focusRow, count - 1));
}

void Tfrmmain::connectMaintenance() {
    ListMaintenance &commands = m_core.maintenance();
    // Around every command the grid stops following the table; afterwards it follows again and focuses
    // the noted entries by key (see noteFocus()), or the row at the focused position, or the new last row.
    commands.setViewHooks({[this] {
                               noteFocus();
                               dxDBGrid1->setUpdatesEnabled(false);
                               m_core.listView().newformpreparation(true);
                           },
                           [this] {
                               m_core.listView().newformpreparation(false);
                               dxDBGrid1->setUpdatesEnabled(true);
                               restoreFocus();
                           }});
    const auto bind = [this](const QString &name, const std::function<void()> &run) {
        QAction *item = action(name);
        item->setEnabled(true);
        connect(item, &QAction::triggered, this, guarded(run));
    };
    bind(QStringLiteral("mkDelete"), [this] { m_core.maintenance().DeleteSelected(selectedKeys()); });
    bind(QStringLiteral("mkBlock"), [this] { m_core.maintenance().MoveToBlocked(selectedKeys()); });
    bind(QStringLiteral("mkResetBounce"),
         [this] { m_core.maintenance().BatchProcess(ListMaintenance::kResetBounces, selectedKeys()); });
    bind(QStringLiteral("mkCanSend"),
         [this] { m_core.maintenance().BatchProcess(ListMaintenance::kEnableSending, selectedKeys()); });
    bind(QStringLiteral("mkCannotSend"),
         [this] { m_core.maintenance().BatchProcess(ListMaintenance::kDisableSending, selectedKeys()); });
    bind(QStringLiteral("mkChangeCategory"), [this] {
        m_core.maintenance().ChangeCategory(
            selectedKeys(),
            [this](const QString &prompt, const QStringList &categories, const QString &current) {
                return TdlgChooseCategory::getcategory(this, prompt, categories, current);
            },
            focusedKey());
    });
    bind(QStringLiteral("mkUpdateAddress"), [this] {
        const int focused = focusedKey();
        DialogAddressChangeAsker asker(this);
        m_core.mkUpdateAddressClick(asker, focused);
    });
    m_options = new Tdlgoptions(m_core.settings(), *m_core.settingsStore(), *m_core.dataModule(), m_prompt,
                                &m_core.rules(), this);
    m_options->core().applyCaching = [this] { SetLoadAllRecords(); };
    m_options->tellUsesOutlook = [this](bool uses) { showOutlookCommands(uses); };
    m_options->showHelp = &HelpWindow::showHelp;
    bind(QStringLiteral("mkOptions"), [this] { Options1Click(); });
    auto *options = findChild<QPushButton *>(QStringLiteral("btnoptions"));
    options->setEnabled(true);
    connect(options, &QPushButton::clicked, action(QStringLiteral("mkOptions")), &QAction::trigger);
    m_errorsWindow = new Tdlgerrors(m_core.errorsList(), m_core.rules(), m_core.settings(), m_prompt, this);
    bind(QStringLiteral("mkDisplayErrors"), [this] {
        m_core.runModal([this] { m_errorsWindow->showErrors(); });
        m_core.UpdateDisplay();
    });
    bind(QStringLiteral("mkFind"), [this] {
        const std::optional<int> found = TdlgFind::findRecord(this, m_core.maintenance());
        if (found.has_value()) {
            goToRow(m_core.listModel().rowOfKey(*found));
        }
    });
    // Commands that write the whole list see every entry: the filter is dropped while they run.
    const auto wholeList = [this](const std::function<void(SqliteTable &)> &run) {
        TdmML *dm = m_core.dataModule();
        if (dm == nullptr || !dm->tblML().isOpen()) {
            m_prompt.beep();
            return;
        }
        m_core.runModal([&] { run(dm->tblML()); });
    };
    bind(QStringLiteral("mkExport"), [this, wholeList] {
        bool written = false;
        wholeList([this, &written](SqliteTable &table) {
            written = TdlgExportOption::exportMailingList(this, m_prompt, table, *dxDBGrid1);
        });
        // The export dialog closes without a word; the status line tells that the file is complete.
        if (written) {
            statusBar()->showMessage(exportDoneText(), kNoticeMs);
        }
    });
    bind(QStringLiteral("mkPrint"), [this, wholeList] {
        bool printed = false;
        wholeList([this, &printed](SqliteTable &table) { printed = TdlgExport::printList(this, m_prompt, table); });
        if (printed) {
            statusBar()->showMessage(printDoneText(), kNoticeMs);
        }
    });
    bind(QStringLiteral("mkImport"), [this, wholeList] {
        wholeList([this](SqliteTable &) {
            TdlgImport::importEntries(this, m_core.rules(), *m_core.dataModule(), m_core.settings(), m_prompt);
        });
        m_core.UpdateDisplay();
    });
    bind(QStringLiteral("mkManual"), [this, wholeList] {
        wholeList([this](SqliteTable &) {
            TdlgEnterMore::enterEntries(this, m_core.rules(), *m_core.dataModule(), m_core.settings(), m_prompt);
        });
        m_core.UpdateDisplay();
    });
    // The harvesters: what they find goes to the "Enter Addresses" window.
    for (const bool contacts : {false, true}) {
        bind(contacts ? QStringLiteral("mkScanOutlookContacts") : QStringLiteral("mkScanOutlookFolders"),
             [this, wholeList, contacts] {
                 wholeList([this, contacts](SqliteTable &) {
                     TdlgGetMore::GetAddressesFromOutlook(this, contacts, m_core.rules(), *m_core.dataModule(),
                                                          m_core.settings(), m_prompt, *m_core.senderMethodAsker);
                 });
                 m_core.UpdateDisplay();
             });
    }
    auto *scanFolders = findChild<QPushButton *>(QStringLiteral("btnscanfolders"));
    scanFolders->setEnabled(true);
    connect(scanFolders, &QPushButton::clicked, action(QStringLiteral("mkScanOutlookFolders")), &QAction::trigger);
    bind(QStringLiteral("mkScanFileFolders"), [this, wholeList] {
        wholeList([this](SqliteTable &) {
            TdlgScanFolder::ScanFileFoldersforAddresses1Click(this, m_core.rules(), *m_core.dataModule(),
                                                              m_core.settings(), m_prompt);
        });
        m_core.UpdateDisplay();
    });
    auto *manual = findChild<QPushButton *>(QStringLiteral("btnmanual"));
    manual->setEnabled(true);
    connect(manual, &QPushButton::clicked, action(QStringLiteral("mkManual")), &QAction::trigger);
    bind(QStringLiteral("mkBackUp"), [this, wholeList] {
        wholeList([this](SqliteTable &table) {
            BackUpFile::SaveBackUpFile(m_prompt, table, m_core.settings(), m_core.applicationDirectory(), true);
        });
    });
    bind(QStringLiteral("mkResetAllBounces"), [this] { m_core.maintenance().ResetAllBounces(); });
    bind(QStringLiteral("mkMerge"), [this] {
        if (m_core.maintenance().MergeCategories(true) == ListMaintenance::Outcome::Completed) {
            m_core.UpdateDisplay();
        }
    });
    bind(QStringLiteral("mkDeleteAll"), [this] {
        m_core.maintenance().DeleteAllEntries();
        m_core.UpdateDisplay();
    });
    auto *print = findChild<QPushButton *>(QStringLiteral("btnprint"));
    connect(print, &QPushButton::clicked, action(QStringLiteral("mkPrint")), &QAction::trigger);
    enableDatabaseCommands();
    // The sending-rights items are available only while members may send to the list.
    QMenu *rights = findChild<QMenu *>(QStringLiteral("mkSendingRights"));
    connect(rights, &QMenu::aboutToShow, this, guarded([this] {
                action(QStringLiteral("mkCanSend"))->setEnabled(m_core.settings().UserSending);
                action(QStringLiteral("mkCannotSend"))->setEnabled(m_core.settings().UserSending);
            }));
    for (const char *name : {"mkDelete", "mkBlock", "mkChangeCategory"}) {
        action(QString::fromLatin1(name))->setShortcutContext(Qt::WindowShortcut);
    }
    dxDBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(dxDBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &position) { m_core.runCommand([&] { rowPopup(position); }); });
}

void Tfrmmain::enableDatabaseCommands() {
    // Until the maintenance commands are connected these stay disabled anyway.
    if (m_options == nullptr) {
        return;
    }
    const bool open = m_core.databaseOpen();
    for (const char *name : {"mkPrint", "mkExport", "mkBackUp"}) {
        action(QString::fromLatin1(name))->setEnabled(open);
    }
    findChild<QPushButton *>(QStringLiteral("btnprint"))->setEnabled(open);
}

void Tfrmmain::Options1Click() {
    int result = QDialog::Rejected;
    m_core.runModal([this, &result] { result = m_options->execute(); });
    // Cancel reloaded the stored settings, the grid's among them.
    if (result == QDialog::Rejected && m_core.applyLoadedSettings) {
        m_core.applyLoadedSettings();
    }
    m_core.UpdateDisplay();
    m_core.CommenceTimer();
}

void Tfrmmain::rowPopup(const QPoint &position) {
    QMenu menu(this);
    const auto item = [&menu, this](const QString &caption, const QString &name) {
        QAction *target = action(name);
        QAction *shown = menu.addAction(caption);
        shown->setEnabled(target->isEnabled());
        shown->setCheckable(target->isCheckable());
        shown->setChecked(target->isChecked());
        connect(shown, &QAction::triggered, target, &QAction::trigger);
        return shown;
    };
    item(QStringLiteral("Change Category to.."), QStringLiteral("mkChangeCategory"));
    item(QStringLiteral("Reset Bounce Count "), QStringLiteral("mkResetBounce"));
    QMenu *rights = menu.addMenu(QStringLiteral("User Sending Rights"));
    for (const char *name : {"mkCanSend", "mkCannotSend"}) {
        QAction *target = action(QString::fromLatin1(name));
        QAction *shown = rights->addAction(target->text());
        shown->setEnabled(m_core.settings().UserSending);
        connect(shown, &QAction::triggered, target, &QAction::trigger);
    }
    item(QStringLiteral("Update E-mail Address..."), QStringLiteral("mkUpdateAddress"));
    item(QStringLiteral("Delete Entry"), QStringLiteral("mkDelete"));
    item(QStringLiteral("Move Record to Blocked Addresses List"), QStringLiteral("mkBlock"));
    item(QStringLiteral("Find.."), QStringLiteral("mkFind"));
    item(QStringLiteral("Allow In-line Editing"), QStringLiteral("mkAllowEditing"));
    menu.exec(dxDBGrid1->viewport()->mapToGlobal(position));
}

} // namespace corvane::ui

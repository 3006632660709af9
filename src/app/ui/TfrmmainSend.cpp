// The main window's send command: "Send E-Mail to List" and "Send E-mail to Mailing List..." open the send
// dialog; afterwards the window re-applies its own list filter, refreshes the grid and re-arms the periodic
// scan.
#include "app/ui/Tfrmmain.h"

#include "db/TdmML.h"
#include "requests/EntryRules.h"
#include "send/ui/TdlgSendMail.h"

#include <QAction>
#include <QPushButton>
#include <QTableView>

namespace corvane::ui {

void Tfrmmain::connectSendCommand() {
    auto *button = findChild<QPushButton *>(QStringLiteral("btnsend"));
    QAction *item = action(QStringLiteral("mkSend"));
    button->setEnabled(true);
    item->setEnabled(true);
    connect(button, &QPushButton::clicked, this, guarded([this] { btnsendClick(); }));
    connect(item, &QAction::triggered, this, guarded([this] { btnsendClick(); }));
}

void Tfrmmain::btnsendClick() {
    TdmML *dm = m_core.dataModule();
    if (dm == nullptr || !dm->DatabaseLoaded()) {
        m_prompt.beep();
        return;
    }
    ListView &view = m_core.listView();
    TdlgSendMail::MainWindowLink link;
    link.includeText = view.filterText();
    link.includeOn = view.filterChoice() == ListView::FilterChoice::Include;
    link.setFilter = [&view](bool includeOn, const QString &include, const QString &exclude, bool excludeOn) {
        view.SetFilter(includeOn, include, exclude, excludeOn);
    };
    // While the unique recipients are computed the grid does not follow the table.
    link.attachGrid = [this](bool attached) {
        m_core.listModel().setFollowing(attached);
        dxDBGrid1->setUpdatesEnabled(attached);
    };
    link.processBounce = [this](const QString &address) { m_core.rules().processbounce(address); };
    if (!TdlgSendMail::sendToList(*dm, m_core.settings(), m_prompt, m_core.debugMode(), link, this)) {
        return;
    }
    m_core.UpdateDisplay();
    m_core.CommenceTimer();
}

} // namespace corvane::ui

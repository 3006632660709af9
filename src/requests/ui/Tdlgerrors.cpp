// The "Errors" window.
#include "requests/ui/Tdlgerrors.h"

#include "requests/ErrorsList.h"
#include "requests/ui/DialogAddressChangeAsker.h"
#include "requests/ui/Tdlgreprocess.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::ui {

Tdlgerrors::Tdlgerrors(ErrorsList &errors, EntryRules &rules, const Settings &settings, UserPrompt &prompt,
                       QWidget *parent)
    : QDialog(parent), m_core(errors, rules, settings, prompt), m_errors(errors),
      m_reprocessAsker(std::make_unique<DialogReprocessAsker>(this)),
      m_changeAsker(std::make_unique<DialogAddressChangeAsker>(this)) {
    setObjectName(QStringLiteral("dlgerrors"));
    setWindowTitle(QStringLiteral("Errors"));
    auto *layout = new QVBoxLayout(this);
    lbxerrors = new QListWidget(this);
    lbxerrors->setObjectName(QStringLiteral("lbxerrors"));
    lbxerrors->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbxerrors->installEventFilter(this);
    layout->addWidget(lbxerrors, 1);
    auto *buttons = new QHBoxLayout;
    btnreprocess = new QPushButton(QStringLiteral("Reprocess Entry.."), this);
    btnreprocess->setObjectName(QStringLiteral("btnreprocess"));
    btnreprocess->setToolTip(QStringLiteral("Reprocess the selected line"));
    btndelete = new QPushButton(QStringLiteral("Delete Entry"), this);
    btndelete->setObjectName(QStringLiteral("btndelete"));
    btndelete->setToolTip(QStringLiteral("Delete the selected Line(s)"));
    btnclose = new QPushButton(QStringLiteral("Close"), this);
    btnclose->setObjectName(QStringLiteral("btnclose"));
    for (QPushButton *button : {btnreprocess, btndelete, btnclose}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(btnreprocess, &QPushButton::clicked, this, &Tdlgerrors::btnreprocessClick);
    connect(btndelete, &QPushButton::clicked, this, &Tdlgerrors::btndeleteClick);
    connect(btnclose, &QPushButton::clicked, this, &QDialog::accept);
    connect(lbxerrors, &QListWidget::itemDoubleClicked, this, [this] { btnreprocessClick(); });
    connect(lbxerrors, &QListWidget::itemSelectionChanged, this, &Tdlgerrors::takeSelection);
    connect(lbxerrors, &QListWidget::currentRowChanged, this, &Tdlgerrors::takeSelection);
    connect(&m_core, &corvane::Tdlgerrors::selectionChanged, this, &Tdlgerrors::showSelection);
    // While the window is hidden a scan may add many lines; the list box is filled when the window shows.
    connect(&m_errors, &ErrorsList::changed, this, [this] {
        if (isVisible()) {
            refresh();
        }
    });
    resize(480, 320);
    refresh();
}

Tdlgerrors::~Tdlgerrors() = default;

void Tdlgerrors::showErrors() {
    m_core.FormShow();
    refresh();
    exec();
}

void Tdlgerrors::btnreprocessClick() {
    m_core.ReprocessEntry(*m_reprocessAsker, *m_changeAsker);
    refresh();
}

void Tdlgerrors::btndeleteClick() {
    m_core.DeleteEntry();
    refresh();
}

bool Tdlgerrors::eventFilter(QObject *watched, QEvent *event) {
    if (watched == lbxerrors && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        btndeleteClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tdlgerrors::refresh() {
    m_syncing = true;
    const QStringList &lines = m_errors.lines();
    bool same = lbxerrors->count() == lines.size();
    for (int row = 0; same && row < lbxerrors->count(); ++row) {
        same = lbxerrors->item(row)->text() == lines.at(row);
    }
    if (!same) {
        lbxerrors->clear();
        lbxerrors->addItems(lines);
    }
    m_syncing = false;
    // The core drops selected numbers past the new end.
    m_core.setSelection(m_core.selection(), m_core.focused());
    showSelection();
}

void Tdlgerrors::showSelection() {
    if (m_syncing) {
        return;
    }
    m_syncing = true;
    lbxerrors->clearSelection();
    if (m_core.focused() >= 0) {
        lbxerrors->setCurrentRow(m_core.focused(), QItemSelectionModel::NoUpdate);
    }
    for (int row : m_core.selection()) {
        lbxerrors->item(row)->setSelected(true);
    }
    m_syncing = false;
    btnreprocess->setEnabled(m_core.actionsEnabled());
    btndelete->setEnabled(m_core.actionsEnabled());
}

void Tdlgerrors::takeSelection() {
    if (m_syncing) {
        return;
    }
    QList<int> rows;
    for (const QListWidgetItem *item : lbxerrors->selectedItems()) {
        rows.append(lbxerrors->row(item));
    }
    // The list box already shows this selection; redrawing it would lose the anchor of a Shift+click.
    m_syncing = true;
    m_core.setSelection(rows, lbxerrors->currentRow());
    m_syncing = false;
    btnreprocess->setEnabled(m_core.actionsEnabled());
    btndelete->setEnabled(m_core.actionsEnabled());
}

} // namespace corvane::ui

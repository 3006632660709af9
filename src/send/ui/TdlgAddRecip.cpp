// The extra-recipients dialog.
#include "send/ui/TdlgAddRecip.h"

#include "send/TdlgAddRecip.h"
#include "send/ui/ListBoxLines.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane::ui {

namespace {
void showLines(QListWidget &box, const QStringList &lines, int current) {
    box.clear();
    box.addItems(lines);
    if (current >= 0 && current < box.count()) {
        box.setCurrentRow(current);
    }
}
} // namespace

TdlgAddRecip::TdlgAddRecip(corvane::TdlgAddRecip &lists, UserPrompt &prompt, QWidget *parent)
    : QDialog(parent), m_lists(lists), m_prompt(prompt) {
    setObjectName(QStringLiteral("dlgAddRecip"));
    setWindowTitle(QStringLiteral("Add Recipients"));
    auto *layout = new QVBoxLayout(this);
    lblexplain = new QLabel(corvane::TdlgAddRecip::kExplanation, this);
    lblexplain->setWordWrap(true);
    layout->addWidget(lblexplain);
    auto *grid = new QGridLayout();
    layout->addLayout(grid, 1);
    const auto side = [this, grid](bool cc, const QString &caption, QPushButton *&title, QLineEdit *&entry,
                                   QPushButton *&add, QPushButton *&remove, QListWidget *&list) {
        const QString name = cc ? QStringLiteral("CC") : QStringLiteral("To");
        const int column = cc ? 3 : 0;
        title = new QPushButton(caption, this);
        title->setAutoDefault(false);
        entry = new QLineEdit(this);
        entry->setObjectName(QStringLiteral("edt") + name);
        add = new QPushButton(QStringLiteral(">>"), this);
        add->setAutoDefault(false);
        remove = new QPushButton(QStringLiteral("<<"), this);
        remove->setAutoDefault(false);
        list = new QListWidget(this);
        list->setObjectName(QStringLiteral("lb") + name);
        auto *buttons = new QVBoxLayout();
        buttons->addWidget(add);
        buttons->addWidget(remove);
        buttons->addStretch(1);
        grid->addWidget(title, 0, column);
        grid->addWidget(entry, 1, column, Qt::AlignTop);
        grid->addLayout(buttons, 1, column + 1);
        grid->addWidget(list, 1, column + 2);
        entry->installEventFilter(this);
        list->installEventFilter(this);
        connect(add, &QPushButton::clicked, this, [this, cc] { addFromEntry(cc); });
        connect(remove, &QPushButton::clicked, this, [this, cc] { removeSelected(cc); });
    };
    side(false, QStringLiteral("T&o..."), btnTo, edtTo, btnAddTo, btnRemoveTo, lbTo);
    side(true, QStringLiteral("&CC..."), btnCC, edtCC, btnAddCC, btnRemoveCC, lbCC);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, [this] {
        // What is still typed counts, as leaving the box would have added it.
        addFromEntry(false);
        addFromEntry(true);
        accept();
    });
    refresh();
    resize(600, 300);
}

void TdlgAddRecip::refresh() {
    showLines(*lbTo, m_lists.lbTo(), lbTo->currentRow());
    showLines(*lbCC, m_lists.lbCC(), lbCC->currentRow());
}

int TdlgAddRecip::exec() {
    refresh();
    return QDialog::exec();
}

void TdlgAddRecip::addFromEntry(bool cc) {
    QLineEdit *entry = cc ? edtCC : edtTo;
    // Blanks around an address are typing slips; a box of blanks adds nothing.
    const QString text = entry->text().trimmed();
    entry->clear();
    if (text.isEmpty()) {
        return;
    }
    const int row = cc ? m_lists.addCC(text) : m_lists.addTo(text);
    if (row >= 0) {
        showLines(cc ? *lbCC : *lbTo, cc ? m_lists.lbCC() : m_lists.lbTo(), row);
    }
}

void TdlgAddRecip::removeSelected(bool cc) {
    QListWidget &box = cc ? *lbCC : *lbTo;
    const int row = ListBoxLines::rowToDelete(box, m_prompt);
    if (row < 0) {
        return;
    }
    if (cc ? m_lists.removeCC(row) : m_lists.removeTo(row)) {
        const QStringList &left = cc ? m_lists.lbCC() : m_lists.lbTo();
        showLines(box, left, std::min(row, static_cast<int>(left.size()) - 1));
    }
}

bool TdlgAddRecip::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusOut && (watched == edtTo || watched == edtCC)) {
        addFromEntry(watched == edtCC);
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete &&
               (watched == lbTo || watched == lbCC)) {
        removeSelected(watched == lbCC);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvane::ui

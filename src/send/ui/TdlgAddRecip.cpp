// The extra-recipients dialog.
#include "send/ui/TdlgAddRecip.h"

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
QStringList lines(const QListWidget &list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i) {
        out.append(list.item(i)->text());
    }
    return out;
}

void fill(QListWidget &list, const QStringList &addresses) {
    list.clear();
    for (const QString &address : addresses) {
        ListBoxLines::addSorted(list, address);
    }
}
} // namespace

TdlgAddRecip::TdlgAddRecip(UserPrompt &prompt, QWidget *parent) : QDialog(parent), m_prompt(prompt) {
    setObjectName(QStringLiteral("dlgAddRecip"));
    setWindowTitle(QStringLiteral("Add Recipients"));
    auto *layout = new QVBoxLayout(this);
    lblexplain = new QLabel(QStringLiteral("If you want all messages to also be sent to or CC'ed to a special address "
                                           "add it here (All other addresses will appear in the bcc: field so they "
                                           "will be invisible to recipients)"),
                            this);
    lblexplain->setWordWrap(true);
    layout->addWidget(lblexplain);
    auto *grid = new QGridLayout();
    layout->addLayout(grid, 1);
    const auto side = [this, grid](int column, const QString &caption, QPushButton *&title, QLineEdit *&entry,
                                   QPushButton *&add, QPushButton *&remove, QListWidget *&list, const QString &name) {
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
        grid->addWidget(title, 0, column * 3);
        grid->addWidget(entry, 1, column * 3);
        grid->addLayout(buttons, 1, column * 3 + 1, 2, 1);
        grid->addWidget(list, 1, column * 3 + 2, 2, 1);
        entry->installEventFilter(this);
        list->installEventFilter(this);
        connect(add, &QPushButton::clicked, this, [this, entry, list] { addFromEntry(*entry, *list); });
        connect(remove, &QPushButton::clicked, this,
                [this, list] { ListBoxLines::DeleteCurrentTListboxItem(*list, m_prompt); });
    };
    side(0, QStringLiteral("T&o..."), btnTo, edtTo, btnAddTo, btnRemoveTo, lbTo, QStringLiteral("To"));
    side(1, QStringLiteral("&CC..."), btnCC, edtCC, btnAddCC, btnRemoveCC, lbCC, QStringLiteral("CC"));
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, [this] {
        // What is still typed counts, as leaving the box would have added it.
        addFromEntry(*edtTo, *lbTo);
        addFromEntry(*edtCC, *lbCC);
        accept();
    });
    resize(560, 300);
}

QStringList TdlgAddRecip::toList() const {
    return lines(*lbTo);
}

QStringList TdlgAddRecip::ccList() const {
    return lines(*lbCC);
}

void TdlgAddRecip::setToList(const QStringList &addresses) {
    fill(*lbTo, addresses);
}

void TdlgAddRecip::setCcList(const QStringList &addresses) {
    fill(*lbCC, addresses);
}

void TdlgAddRecip::addFromEntry(QLineEdit &entry, QListWidget &list) {
    if (ListBoxLines::addSorted(list, entry.text()) || !entry.text().isEmpty()) {
        entry.clear();
    }
}

bool TdlgAddRecip::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == edtTo) {
            addFromEntry(*edtTo, *lbTo);
        } else if (watched == edtCC) {
            addFromEntry(*edtCC, *lbCC);
        }
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        if (watched == lbTo || watched == lbCC) {
            ListBoxLines::DeleteCurrentTListboxItem(*static_cast<QListWidget *>(watched), m_prompt);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvane::ui

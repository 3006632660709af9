// The list editor.
#include "settings/ui/Tdlgeditentries.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace corvane::ui {

Tdlgeditentries::Tdlgeditentries(QWidget *parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Edit Entries"));
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(QStringLiteral("Please enter your entries here.  Each entry must be on a new line.  You "
                                           "can use Ctrl+X, Ctrl+C or Ctrl+V to cut, copy or paste respectively."),
                            this);
    text->setWordWrap(true);
    layout->addWidget(text);
    memEntries = new QPlainTextEdit(this);
    memEntries->setObjectName(QStringLiteral("memEntries"));
    memEntries->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(memEntries, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(420, 360);
}

void Tdlgeditentries::setLines(const QStringList &lines) {
    memEntries->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList Tdlgeditentries::lines() const {
    const QString text = memEntries->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

bool Tdlgeditentries::edit(QWidget *parent, QStringList &lines) {
    Tdlgeditentries dialog(parent);
    dialog.setLines(lines);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    lines = dialog.lines();
    return true;
}

} // namespace corvane::ui

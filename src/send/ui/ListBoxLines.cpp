// Removing and adding list-box lines.
#include "send/ui/ListBoxLines.h"

#include "base/UserPrompt.h"

#include <QListWidget>

namespace corvane::ui {

bool ListBoxLines::DeleteCurrentTListboxItem(QListWidget &box, UserPrompt &prompt) {
    const int row = box.currentRow();
    if (row < 0 || box.currentItem() == nullptr || !box.currentItem()->isSelected()) {
        prompt.beep();
        if (box.count() > 0) {
            box.setCurrentRow(0);
        }
        box.setFocus();
        return false;
    }
    delete box.takeItem(row);
    if (box.count() > 0) {
        box.setCurrentRow(std::min(row, box.count() - 1));
    }
    return true;
}

bool ListBoxLines::addSorted(QListWidget &box, const QString &text) {
    const QString line = text.trimmed();
    if (line.isEmpty()) {
        return false;
    }
    int at = 0;
    while (at < box.count() && box.item(at)->text().compare(line, Qt::CaseInsensitive) <= 0) {
        ++at;
    }
    box.insertItem(at, line);
    return true;
}

} // namespace corvane::ui

// Removing list-box lines.
#include "send/ui/ListBoxLines.h"

#include "base/UserPrompt.h"

#include <QListWidget>

namespace corvane::ui {

int ListBoxLines::rowToDelete(QListWidget &box, UserPrompt &prompt) {
    const int row = box.currentRow();
    if (row >= 0 && box.currentItem() != nullptr && box.currentItem()->isSelected()) {
        return row;
    }
    prompt.beep();
    if (box.count() > 0) {
        box.setCurrentRow(0);
    }
    box.setFocus();
    return -1;
}

bool ListBoxLines::DeleteCurrentTListboxItem(QListWidget &box, UserPrompt &prompt) {
    const int row = rowToDelete(box, prompt);
    if (row < 0) {
        return false;
    }
    delete box.takeItem(row);
    if (box.count() > 0) {
        box.setCurrentRow(std::min(row, box.count() - 1));
    }
    return true;
}

} // namespace corvane::ui

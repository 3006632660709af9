// Line removal in the send dialog's list boxes (attachments, extra To and CC recipients), as every list box
// of Corvane does it.
#pragma once

class QListWidget;

namespace corvane {
class UserPrompt;
}

namespace corvane::ui {

class ListBoxLines {
public:
    // Removes the selected line of `box` and selects the line now at its position, or the new last line.
    // With nothing selected it beeps, selects the first line (when there is one) and focuses the box.
    // Returns whether a line was removed.
    static bool DeleteCurrentTListboxItem(QListWidget &box, UserPrompt &prompt);
    // The row DeleteCurrentTListboxItem would remove: the selected line, or -1 (after the beep, the first
    // line selected and the box focused) when none is selected. For lists whose lines live elsewhere.
    static int rowToDelete(QListWidget &box, UserPrompt &prompt);
};

} // namespace corvane::ui

// Line editing of the send dialog's list boxes (attachments, extra To and CC recipients): removing the
// selected line as every list box of Corvane does, and adding a typed line to a sorted list.
#pragma once

class QListWidget;
class QString;

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
    // Adds `text` (trimmed) to `box`, keeping it sorted without regard to letter case. An empty text adds
    // nothing. Returns whether a line was added.
    static bool addSorted(QListWidget &box, const QString &text);
};

} // namespace corvane::ui

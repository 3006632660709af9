// Corvane's program icon for its windows, drawn in code from the same shapes as packaging/corvane.svg (the
// icon the desktop file names), so that no image plug-in is needed at run time.
#pragma once

#include <QIcon>

namespace corvane::ui {

class ProgramIcon {
public:
    // The icon at the usual window-icon sizes (16 to 64 pixels).
    static QIcon icon();
};

} // namespace corvane::ui

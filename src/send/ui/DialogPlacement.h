// A dialog's position and size kept between runs in the settings store, one group per dialog with "Left",
// "Top", "Width" and "Height" (as the main window keeps its placement).
#pragma once

#include <QString>

class QWidget;

namespace corvane::ui {

class DialogPlacement {
public:
    // Places `window` as stored under `group`. A missing, unreadable or too small placement, or one that no
    // longer meets any screen, leaves the window as it is. Returns whether the stored placement was used.
    static bool load(QWidget &window, const QString &group);
    // Stores the window's normal geometry under `group`. Nothing is written when the settings file cannot be
    // read (it is never written over then).
    static void save(const QWidget &window, const QString &group);
};

} // namespace corvane::ui

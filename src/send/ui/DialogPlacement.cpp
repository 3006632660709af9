// Storing and restoring a dialog's placement.
#include "send/ui/DialogPlacement.h"

#include "base/AppPaths.h"
#include "settings/SettingsStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace corvane::ui {

bool DialogPlacement::load(QWidget &window, const QString &group) {
    const auto settings = AppPaths::openSettings();
    settings->beginGroup(group);
    const char *const names[] = {"Left", "Top", "Width", "Height"};
    int values[4] = {0, 0, 0, 0};
    bool allRead = true;
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = settings->value(QString::fromLatin1(names[i])).toString().toInt(&ok);
        allRead = allRead && ok;
    }
    settings->endGroup();
    const QSize least = window.minimumSizeHint().boundedTo(QSize(200, 150));
    if (!allRead || values[2] < least.width() || values[3] < least.height()) {
        return false;
    }
    const QRect wanted(values[0], values[1], values[2], values[3]);
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().intersects(wanted)) {
            window.setGeometry(wanted);
            return true;
        }
    }
    return false;
}

void DialogPlacement::save(const QWidget &window, const QString &group) {
    if (!SettingsStore::storeIsSound()) {
        return;
    }
    const auto settings = AppPaths::openSettings();
    const QRect g = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    settings->beginGroup(group);
    settings->setValue(QStringLiteral("Left"), QString::number(g.x()));
    settings->setValue(QStringLiteral("Top"), QString::number(g.y()));
    settings->setValue(QStringLiteral("Width"), QString::number(g.width()));
    settings->setValue(QStringLiteral("Height"), QString::number(g.height()));
    settings->endGroup();
    settings->sync();
}

} // namespace corvane::ui

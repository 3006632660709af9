// The damage note beside a table file.
#include "db/DamageNote.h"

#include "base/LineText.h"

#include <QFile>
#include <QSaveFile>

namespace corvane {

QString DamageNote::notePath(const QString &path) {
    return path + QStringLiteral(".check");
}

void DamageNote::note(const QString &path, const QString &reason) noexcept {
    try {
        if (path.isEmpty() || noted(path)) {
            return;
        }
        QSaveFile file(notePath(path));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(LineText::oneLine(reason).toUtf8() + "\r\n");
            file.commit();
        }
    } catch (...) {
        // See the contract: the damage is met again and noted then.
    }
}

bool DamageNote::noted(const QString &path) {
    return !path.isEmpty() && QFile::exists(notePath(path));
}

void DamageNote::clear(const QString &path) noexcept {
    if (!path.isEmpty()) {
        QFile::remove(notePath(path));
    }
}

} // namespace corvane

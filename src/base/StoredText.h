// The text forms in which settings are stored: booleans as "true"/"False" (read ignoring letter case,
// anything else gives the default), integers in decimal (anything else gives the default).
#pragma once

#include <QString>

namespace corvane {

class StoredText {
public:
    static QString fromBool(bool value) { return value ? QStringLiteral("true") : QStringLiteral("False"); }
    static QString fromInt(qint64 value) { return QString::number(value); }

    // "TRUE" in any letter case gives true, "FALSE" false, anything else (empty included) `fallback`.
    static bool toBool(const QString &text, bool fallback) {
        const QString upper = text.toUpper();
        if (upper == QLatin1String("TRUE")) {
            return true;
        }
        if (upper == QLatin1String("FALSE")) {
            return false;
        }
        return fallback;
    }

    // A decimal integer (surrounding blanks allowed) in the range of int, else `fallback`.
    static int toInt(const QString &text, int fallback) {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        return ok ? value : fallback;
    }
};

} // namespace corvane

// The table of every value Corvane keeps in the settings store: its name, kind and default, how its stored
// text is read into Settings (or into the list database's state) and what text the current state is
// stored as. The table is in load order; the save order is a separate list because the two differ.
#pragma once

#include "base/DatabaseLink.h"
#include "settings/Settings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace corvane {

class SettingsCatalog {
public:
    enum class Kind { Boolean, Integer, SmallInteger, String };

    struct Value {
        QString name;
        Kind kind;
        // The stored text of the value's default ("true", "10", "MailingList" ...).
        QString defaultText;
        // True for the values of the list database (DBPath, StrictChangeDetection, DBExclusive): read by the
        // list database when it is created, never by Loadentries; written by SaveEntries.
        bool database = false;
        // Applies a stored text with the value's reading rules: booleans "true"/"false" in any letter case,
        // integers in decimal, anything else (the empty text of an absent value included) the default;
        // then the value's own special cases. Never raises.
        std::function<void(Settings &, DatabaseLink &, const QString &)> read;
        // The text stored for the current state; no text when nothing is to be written.
        std::function<std::optional<QString>(const Settings &, const DatabaseLink &)> write;
    };

    // Every value: the values of the settings in the order Loadentries reads them, then DBPath,
    // StrictChangeDetection and DBExclusive.
    static const std::vector<Value> &values();
    // The value named exactly `name` (letter case and blanks count), or nullptr.
    static const Value *find(const QString &name);
    // Why `text` is refused as the new value of `name` where a person enters it (the list address must be
    // one valid address); empty when it is taken.
    static QString refusal(const QString &name, const QString &text);
    // Every value in the order SaveEntries writes them. Both orders hold every value exactly once; the
    // program stops at the first use if they do not (a fault of this table, not of the stored data).
    static const std::vector<const Value *> &saveOrder();
};

} // namespace corvane

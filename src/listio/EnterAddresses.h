// The behaviour of the "Enter Addresses" dialog (`TdlgEnterMore`) without its widgets: the question above the
// choices, OK's checks and the run of the typed, pasted, loaded or harvested lines through Importfile.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class EntryRules;
class UserPrompt;

class EnterAddresses {
public:
    enum class Choice { Add, Remove, Undeliverable };

    // "How should these " + n + " addresses be processed?"; the number is left out when `lines` is 0.
    static QString question(qsizetype lines);
    // The lines of the box's text (split at CR LF, LF or CR; a line end after the last line adds none).
    static QStringList linesOf(const QString &text);

    // OK: `removeAll` chooses "All Categories" under "Remove from Mailing List". Returns false (the dialog
    // stays open) when a removal category is wanted but empty or a category fails the category check, which
    // is not made for undeliverable addresses. Otherwise runs every line through Importfile and returns true;
    // `completed` then tells whether the run went through every line.
    static bool accept(EntryRules &rules, UserPrompt &prompt, const QStringList &lines, Choice choice,
                       const QString &addCategory, bool removeAll, const QString &removeCategory,
                       bool *completed = nullptr);

    static QString commentPrefix() { return QStringLiteral("Manual insertion of addresses at "); }
};

} // namespace corvane

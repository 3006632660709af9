// The rule lists the options dialog edits with its "Edit Entries" editor, and how the editor's lines become
// a list again: empty lines dropped, the list's letter case applied, commas in categories turned into
// underscores after asking, sorted in word order without duplicates (letter case ignored, the first kept).
#pragma once

#include "settings/Settings.h"

#include <QStringList>
#include <optional>

namespace corvane {

class UserPrompt;

enum class RuleListKind {
    AddSynonyms,       // "addstr.txt", upper case
    RemoveSynonyms,    // "remstr.txt", upper case
    ModifySynonyms,    // "Modifystr.txt", upper case
    AddressExceptions, // "except.txt", lower case
    BlockedAddresses,  // "never.txt", lower case
    FailureSubjects,   // "failed.txt", unchanged
    AllowedCategories, // "cats.txt", lower case, commas asked about
};

class RuleListEditing {
public:
    enum class Case { Unchanged, Lower, Upper };

    static Case letterCase(RuleListKind kind);
    static bool commaCheck(RuleListKind kind);

    static QStringList items(const Settings &settings, RuleListKind kind);
    // Replaces the list's items (rule lists sort them; categories are taken in the order given).
    static void setItems(Settings &settings, RuleListKind kind, const QStringList &items);

    // The list made of the editor's `lines`. A line of length zero is skipped; a line made of blanks is
    // kept as it is. With the comma check, a line holding "," asks once per line whether to turn commas into
    // underscores: OK does, Cancel drops that line.
    static QStringList normalise(const QStringList &lines, RuleListKind kind, UserPrompt &prompt);

    static QString commaQuestion();
};

} // namespace corvane

// Normalisation of edited rule lists.
#include "settings/RuleListEditing.h"

#include "base/UserPrompt.h"

#include <QSet>

namespace corvane {

RuleListEditing::Case RuleListEditing::letterCase(RuleListKind kind) {
    switch (kind) {
    case RuleListKind::AddSynonyms:
    case RuleListKind::RemoveSynonyms:
    case RuleListKind::ModifySynonyms:
        return Case::Upper;
    case RuleListKind::AddressExceptions:
    case RuleListKind::BlockedAddresses:
    case RuleListKind::AllowedCategories:
        return Case::Lower;
    case RuleListKind::FailureSubjects:
        break;
    }
    return Case::Unchanged;
}

bool RuleListEditing::commaCheck(RuleListKind kind) {
    return kind == RuleListKind::AllowedCategories;
}

QStringList RuleListEditing::items(const Settings &settings, RuleListKind kind) {
    switch (kind) {
    case RuleListKind::AddSynonyms:
        return settings.AddSynonyms.items();
    case RuleListKind::RemoveSynonyms:
        return settings.RemoveSynonyms.items();
    case RuleListKind::ModifySynonyms:
        return settings.ModifySynonyms.items();
    case RuleListKind::AddressExceptions:
        return settings.AddressExceptions.items();
    case RuleListKind::BlockedAddresses:
        return settings.BlockedAddresses.items();
    case RuleListKind::FailureSubjects:
        return settings.FailureSubjects.items();
    case RuleListKind::AllowedCategories:
        break;
    }
    return settings.AllowedCategories;
}

void RuleListEditing::setItems(Settings &settings, RuleListKind kind, const QStringList &items) {
    switch (kind) {
    case RuleListKind::AddSynonyms:
        settings.AddSynonyms.setItems(items);
        return;
    case RuleListKind::RemoveSynonyms:
        settings.RemoveSynonyms.setItems(items);
        return;
    case RuleListKind::ModifySynonyms:
        settings.ModifySynonyms.setItems(items);
        return;
    case RuleListKind::AddressExceptions:
        settings.AddressExceptions.setItems(items);
        return;
    case RuleListKind::BlockedAddresses:
        settings.BlockedAddresses.setItems(items);
        return;
    case RuleListKind::FailureSubjects:
        settings.FailureSubjects.setItems(items);
        return;
    case RuleListKind::AllowedCategories:
        settings.AllowedCategories = items;
        return;
    }
}

QString RuleListEditing::commaQuestion() {
    return QStringLiteral("An entry contains a comma.  The comma character is not supported and will be converted "
                          "to an underscore character (_)");
}

QStringList RuleListEditing::normalise(const QStringList &lines, RuleListKind kind, UserPrompt &prompt) {
    RuleList result;
    QSet<QString> seen;
    const Case wanted = letterCase(kind);
    for (QString line : lines) {
        if (line.isEmpty()) {
            continue;
        }
        if (commaCheck(kind) && line.contains(QLatin1Char(','))) {
            if (prompt.message(UserPrompt::Kind::Information, commaQuestion(), UserPrompt::Ok | UserPrompt::Cancel) !=
                UserPrompt::Ok) {
                continue;
            }
            line.replace(QLatin1Char(','), QLatin1Char('_'));
        }
        if (wanted == Case::Upper) {
            line = line.toUpper();
        } else if (wanted == Case::Lower) {
            line = line.toLower();
        }
        const QString key = line.toCaseFolded();
        if (!seen.contains(key)) {
            seen.insert(key);
            result.add(line);
        }
    }
    return result.items();
}

} // namespace corvane

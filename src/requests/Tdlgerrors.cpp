// The "Errors" window's behaviour.
#include "requests/Tdlgerrors.h"

#include "base/UserPrompt.h"
#include "requests/EntryRules.h"
#include "requests/ErrorsList.h"
#include "requests/ReprocessAsker.h"
#include "requests/Tdlgreprocess.h"
#include "requests/TextRoutines.h"

#include <QRegularExpression>
#include <algorithm>

namespace corvane {

Tdlgerrors::Tdlgerrors(ErrorsList &errors, EntryRules &rules, const Settings &settings, UserPrompt &prompt,
                       QObject *parent)
    : QObject(parent), m_errors(errors), m_rules(rules), m_settings(settings), m_prompt(prompt) {}

QStringList Tdlgerrors::sortedWithoutDuplicates(const QStringList &lines) {
    QStringList sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    QStringList result;
    for (const QString &line : sorted) {
        if (result.isEmpty() || QString::compare(result.last(), line, Qt::CaseInsensitive) != 0) {
            result.append(line);
        }
    }
    return result;
}

bool Tdlgerrors::holdsVisibleControl(const QString &line) {
    static const QRegularExpression marker(QStringLiteral("<U\\+[0-9A-Fa-f]{4}>"));
    return line.contains(marker);
}

void Tdlgerrors::FormShow() {
    const QStringList shown = sortedWithoutDuplicates(m_errors.lines());
    if (shown != m_errors.lines()) {
        m_errors.setLines(shown);
    }
    setSelection({}, -1);
}

void Tdlgerrors::setSelection(const QList<int> &rows, int focused) {
    const auto size = static_cast<int>(m_errors.lines().size());
    QList<int> selected;
    for (int row : rows) {
        if (row >= 0 && row < size && !selected.contains(row)) {
            selected.append(row);
        }
    }
    std::sort(selected.begin(), selected.end());
    const int focus = focused >= 0 && focused < size ? focused : -1;
    if (selected == m_selected && focus == m_focused) {
        return;
    }
    m_selected = selected;
    m_focused = focus;
    emit selectionChanged();
}

void Tdlgerrors::selectAt(int row) {
    const auto size = static_cast<int>(m_errors.lines().size());
    const int at = std::min(row, size - 1);
    if (at < 0) {
        setSelection({}, -1);
    } else {
        setSelection({at}, at);
    }
}

void Tdlgerrors::DeleteEntry() {
    if (m_selected.isEmpty()) {
        return;
    }
    const QList<int> doomed = m_selected;
    for (auto it = doomed.crbegin(); it != doomed.crend(); ++it) {
        m_errors.removeAt(*it);
    }
    selectAt(doomed.first());
}

Tdlgerrors::Outcome Tdlgerrors::ReprocessEntry(ReprocessAsker &reprocessAsker, AddressChangeAsker &changeAsker) {
    if (m_selected.isEmpty()) {
        return Outcome::Nothing;
    }
    const int row = m_focused >= 0 ? m_focused : m_selected.first();
    const QString line = m_errors.lines().at(row);
    if (holdsVisibleControl(line)) {
        m_prompt.message(UserPrompt::Kind::Warning, refusedText(), UserPrompt::Ok);
        return Outcome::Refused;
    }
    QStringList items;
    TextRoutines::OCVStrToStringlist(items, line, QStringLiteral(" "), true, true, true);
    const QString kind = items.value(0);
    if (kind.toUpper() == QLatin1String("MODIFY")) {
        if (!m_rules.PromptToModifyAddress(changeAsker, items.value(1), items.value(2), true)) {
            return Outcome::Cancelled;
        }
        // A failed change appends its own line, so the reprocessed line is still at `row`.
        m_errors.removeAt(row);
        selectAt(row);
        return Outcome::Reprocessed;
    }
    Tdlgreprocess form(m_settings, kind, items.value(1), items.value(2));
    if (!reprocessAsker.ask(form)) {
        return Outcome::Cancelled;
    }
    m_errors.removeAt(row);
    m_rules.insertentry(form.add, form.email, form.category, QString(), QString(),
                        QStringLiteral("Reprocessing of entry at ") + TextRoutines::getdatetimestring(), 0,
                        form.ignoreAllRules, false);
    selectAt(row);
    return Outcome::Reprocessed;
}

} // namespace corvane

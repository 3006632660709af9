// The "Errors" window's behaviour, free of widgets: the errors list shown sorted without duplicates, the
// selection with its focused line, the enabling of the two actions, the deletion of the selected lines and
// the reprocessing of the focused line through the entry rules or the address change. The window in
// requests/ui shows it and hands it its events.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace corvane {

class AddressChangeAsker;
class EntryRules;
class ErrorsList;
class ReprocessAsker;
class Settings;
class UserPrompt;

class Tdlgerrors : public QObject {
    Q_OBJECT

public:
    // Every argument must outlive the window.
    Tdlgerrors(ErrorsList &errors, EntryRules &rules, const Settings &settings, UserPrompt &prompt,
               QObject *parent = nullptr);

    enum class Outcome {
        Nothing,     // no line to act on
        Cancelled,   // the person cancelled the dialog; the line stays
        Refused,     // the line holds control characters made visible; the person is told, the line stays
        Reprocessed, // the request ran again and the line is gone (a new failure adds a new line)
    };

    // `lines` sorted without regard to letter case, with every line that equals an earlier one (letter case
    // ignored) dropped: of lines that differ only in case, the first in sorted order survives.
    static QStringList sortedWithoutDuplicates(const QStringList &lines);
    // Whether `line` holds a control character written visibly ("<U+000D>"): such a request was refused
    // for its control characters and may not be entered again from its visible form.
    static bool holdsVisibleControl(const QString &line);

    // Showing the window: the list sorted without duplicates, nothing selected.
    void FormShow();

    // The selected line numbers (any order, out-of-range numbers dropped) and the focused one (-1: none).
    void setSelection(const QList<int> &rows, int focused);
    // The selected line numbers in ascending order.
    const QList<int> &selection() const { return m_selected; }
    int focused() const { return m_focused; }
    // "Reprocess Entry..", "Delete Entry", the double click and the Delete key act only while at least one
    // line is selected.
    bool actionsEnabled() const { return !m_selected.isEmpty(); }

    // "Delete Entry": removes every selected line, from the bottom up; then selects the line now at the
    // position of the last one removed (the top-most), or the new last line; nothing when the list is empty.
    // Without a selection it does nothing.
    void DeleteEntry();

    // "Reprocess Entry..": runs the focused line's request again (the first selected line when none has the
    // focus). A MODIFY line goes to the address change with "Ignore All Rules" shown and is removed when the
    // person confirms. Any other line fills the "Reprocess Entry" form; on OK the line is removed first and
    // the entry rules then add or remove the address without acknowledgement, commented "Reprocessing of
    // entry at " + the date and time, with the checks skipped when "Ignore All Rules" is ticked. Afterwards
    // the line at the old position (or the new last line) is selected. A line holding a visible control
    // character is refused with a warning before any dialog. Never raises.
    Outcome ReprocessEntry(ReprocessAsker &reprocessAsker, AddressChangeAsker &changeAsker);

    static QString refusedText() {
        return QStringLiteral("This line holds control characters and cannot be reprocessed.  Delete it and "
                              "enter the request again if it is wanted.");
    }

signals:
    // The selection changed (after a deletion, a reprocessing or FormShow).
    void selectionChanged();

private:
    void selectAt(int row);

    ErrorsList &m_errors;
    EntryRules &m_rules;
    const Settings &m_settings;
    UserPrompt &m_prompt;
    QList<int> m_selected;
    int m_focused = -1;
};

} // namespace corvane

// The "Errors" window: the errors list in a multi-selection list box, "Reprocess Entry..", "Delete Entry"
// and Close, the double click and the Delete key. Created once at start-up and kept for the run; the
// behaviour lives in corvane::Tdlgerrors.
#pragma once

#include "requests/Tdlgerrors.h"

#include <QDialog>
#include <memory>

class QListWidget;
class QPushButton;

namespace corvane {
class AddressChangeAsker;
class ReprocessAsker;
} // namespace corvane

namespace corvane::ui {

class Tdlgerrors : public QDialog {
    Q_OBJECT

public:
    Tdlgerrors(ErrorsList &errors, EntryRules &rules, const Settings &settings, UserPrompt &prompt,
               QWidget *parent = nullptr);
    ~Tdlgerrors() override;

    corvane::Tdlgerrors &core() { return m_core; }

    // "Display Errors...": the list sorted without duplicates, then the window modally.
    void showErrors();

    // The actions of the buttons, the double click and the Delete key; each does nothing without a selection.
    void btnreprocessClick();
    void btndeleteClick();

    QListWidget *lbxerrors = nullptr;
    QPushButton *btnreprocess = nullptr;
    QPushButton *btndelete = nullptr;
    QPushButton *btnclose = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Rebuilds the list box from the errors list and applies the core's selection.
    void refresh();
    void showSelection();
    void takeSelection();

    corvane::Tdlgerrors m_core;
    ErrorsList &m_errors;
    std::unique_ptr<ReprocessAsker> m_reprocessAsker;
    std::unique_ptr<AddressChangeAsker> m_changeAsker;
    bool m_syncing = false;
};

} // namespace corvane::ui

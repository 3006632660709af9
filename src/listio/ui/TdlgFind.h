// The "Find Record" dialog: three rows of tick box, field choice, relation and text, the search options,
// OK and Cancel. OK runs the list search of ListMaintenance; the dialog closes only when an entry is found.
#pragma once

#include "listio/ListMaintenance.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane::ui {

class TdlgFind : public QDialog {
    Q_OBJECT

public:
    static constexpr int kRows = 3;

    TdlgFind(ListMaintenance &maintenance, QWidget *parent = nullptr);

    // Shows the dialog modally over `parent`; the Index of the entry found (the list table is then
    // positioned on it, for the list view to focus), or none when the person cancelled.
    static std::optional<int> findRecord(QWidget *parent, ListMaintenance &maintenance);

    // The search the rows and options describe.
    QList<ListMaintenance::FindTerm> terms() const;
    std::optional<int> foundIndex() const { return m_found; }

    QCheckBox *chkfield[kRows] = {};
    QComboBox *cmbfield[kRows] = {};
    QLabel *lblrelation[kRows] = {};
    QLineEdit *edttext[kRows] = {};
    QCheckBox *chkcaseinsensitive = nullptr;
    QCheckBox *chkpartial = nullptr;
    QPushButton *btnok = nullptr;
    QPushButton *btncancel = nullptr;

    // OK: searches; closes with the entry found, otherwise stays open (the search has shown why).
    void btnokClick();

private:
    void edttextChange();
    void updateRelations();

    ListMaintenance &m_maintenance;
    std::optional<int> m_found;
};

} // namespace corvane::ui

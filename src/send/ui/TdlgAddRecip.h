// The "Add Recipients" dialog over the send dialog's extra To and CC lists (corvane::TdlgAddRecip): each
// list filled from its entry box (leaving the box or ">>") at its sorted place, emptied line by line with
// "<<" or the Delete key.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {
class TdlgAddRecip;
class UserPrompt;
} // namespace corvane

namespace corvane::ui {

class TdlgAddRecip : public QDialog {
    Q_OBJECT

public:
    // `lists` must outlive the dialog; the dialog edits it directly.
    TdlgAddRecip(corvane::TdlgAddRecip &lists, UserPrompt &prompt, QWidget *parent = nullptr);

    QLabel *lblexplain = nullptr;
    QListWidget *lbTo = nullptr;
    QListWidget *lbCC = nullptr;
    QLineEdit *edtTo = nullptr;
    QLineEdit *edtCC = nullptr;
    QPushButton *btnAddTo = nullptr;
    QPushButton *btnRemoveTo = nullptr;
    QPushButton *btnAddCC = nullptr;
    QPushButton *btnRemoveCC = nullptr;
    QPushButton *btnTo = nullptr;
    QPushButton *btnCC = nullptr;

    // Shows the lists as they are now (the send job and the test message change the To list).
    void refresh();
    int exec() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Moves the typed text of the To (`cc` false) or CC entry box into its list and empties the box.
    void addFromEntry(bool cc);
    // "<<" / Delete on the To or CC list.
    void removeSelected(bool cc);

    corvane::TdlgAddRecip &m_lists;
    UserPrompt &m_prompt;
};

} // namespace corvane::ui

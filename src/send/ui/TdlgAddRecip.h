// The "Add Recipients" dialog: the extra To and CC addresses that every message of a send carries, each
// list sorted and filled from its entry box (leaving the box or ">>"), emptied line by line with "<<" or the
// Delete key.
#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {
class UserPrompt;
}

namespace corvane::ui {

class TdlgAddRecip : public QDialog {
    Q_OBJECT

public:
    explicit TdlgAddRecip(UserPrompt &prompt, QWidget *parent = nullptr);

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

    QStringList toList() const;
    QStringList ccList() const;
    // Replaces the To list (kept sorted).
    void setToList(const QStringList &addresses);
    void setCcList(const QStringList &addresses);

    // Moves the text of the entry box into its list and empties the box (nothing for an empty box).
    void addFromEntry(QLineEdit &entry, QListWidget &list);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    UserPrompt &m_prompt;
};

} // namespace corvane::ui

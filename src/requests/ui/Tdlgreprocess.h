// The "Reprocess Entry" dialog: the action, the address, the category, "Ignore All Rules" and the reason
// the address was refused. It edits a corvane::Tdlgreprocess form.
#pragma once

#include "requests/ReprocessAsker.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace corvane::ui {

class Tdlgreprocess : public QDialog {
    Q_OBJECT

public:
    explicit Tdlgreprocess(QWidget *parent = nullptr);

    QRadioButton *rdbadd = nullptr;
    QRadioButton *rdbremove = nullptr;
    QLineEdit *edtemail = nullptr;
    QComboBox *cmbcategory = nullptr;
    QCheckBox *chkignore = nullptr;
    QPlainTextEdit *memreason = nullptr;
    QPushButton *btnok = nullptr;

    // Shows `form` modally; on OK the form receives the dialog's values and the result is true.
    static bool ask(QWidget *parent, corvane::Tdlgreprocess &form);

private:
    void load(const corvane::Tdlgreprocess &form);
    void store(corvane::Tdlgreprocess &form) const;
};

// Asks with the dialog above.
class DialogReprocessAsker : public ReprocessAsker {
public:
    explicit DialogReprocessAsker(QWidget *parent) : m_parent(parent) {}
    bool ask(corvane::Tdlgreprocess &form) override { return Tdlgreprocess::ask(m_parent, form); }

private:
    QWidget *m_parent;
};

} // namespace corvane::ui

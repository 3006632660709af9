// The "Error retrieving Sender Address" dialog: the text of the failed retrieval, "Change Method" and "Do not
// Change", and the box "Always display error when cannot retrieve a sender address". Also the sender-method
// question of the scan answered by this dialog.
#pragma once

#include "requests/SenderMethodAsker.h"

#include <QDialog>

class QCheckBox;
class QLabel;

namespace corvane::ui {

class TdlgSenderMethod : public QDialog {
    Q_OBJECT

public:
    explicit TdlgSenderMethod(QWidget *parent = nullptr);

    QLabel *lblmessage = nullptr;
    QCheckBox *chkalwaysshow = nullptr;

    // Shows the dialog modally with `text`, the box ticked. True when "Change Method" was pressed;
    // `alwaysShow` receives the box's state.
    static bool ask(QWidget *parent, const QString &text, bool &alwaysShow);
};

class DialogSenderMethodAsker : public SenderMethodAsker {
public:
    explicit DialogSenderMethodAsker(QWidget *parent) : m_parent(parent) {}
    bool ask(const QString &text, bool &alwaysShow) override {
        return TdlgSenderMethod::ask(m_parent, text, alwaysShow);
    }

private:
    QWidget *m_parent;
};

} // namespace corvane::ui

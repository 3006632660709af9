// The "Update E-mail Address" dialog: the address as it is now, the address to replace it, and the
// optional "Ignore All Rules" box.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace corvane::ui {

class TdlgChangeAddress : public QDialog {
    Q_OBJECT

public:
    explicit TdlgChangeAddress(QWidget *parent = nullptr);

    QLineEdit *edtold = nullptr;
    QLineEdit *edtnew = nullptr;
    QCheckBox *chkignore = nullptr;

    // Shows the dialog modally with both boxes filled and the "Ignore All Rules" box shown or hidden.
    // True on OK, with the boxes' texts and the box state returned through the arguments.
    static bool ask(QWidget *parent, QString &oldAddress, QString &newAddress, bool showIgnoreBox,
                    bool &ignoreAllRules);
};

} // namespace corvane::ui

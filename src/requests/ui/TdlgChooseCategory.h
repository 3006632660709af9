// The "Choose Category" dialog: a combo box offering the allowed categories, starting with a given one.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;

namespace corvane::ui {

class TdlgChooseCategory : public QDialog {
    Q_OBJECT

public:
    explicit TdlgChooseCategory(QWidget *parent = nullptr);

    QLabel *lblprompt = nullptr;
    QComboBox *cmbcategory = nullptr;

    // Shows the dialog with `prompt` as its label, `categories` to choose from and `current` in the box.
    // The box's text on OK; an empty text on any other close.
    static QString getcategory(QWidget *parent, const QString &prompt, const QStringList &categories,
                               const QString &current);
};

} // namespace corvane::ui

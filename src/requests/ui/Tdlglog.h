// The "Log" window: the activity log as plain, unwrapped text, with "Clear Log" and "Save Log..".
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace corvane {
class UserPrompt;
}

namespace corvane::ui {

class Tdlglog : public QDialog {
    Q_OBJECT

public:
    Tdlglog(UserPrompt &prompt, QWidget *parent = nullptr);

    QPlainTextEdit *memlog = nullptr;
    QPushButton *btnclear = nullptr;
    QPushButton *btnsave = nullptr;

    // Loads the log into the text area (empty when there is none or it cannot be read).
    void FormShow();
    void btnclearClick();
    // Writes the text area to `path`; an empty path asks for one with the save dialog.
    void btnsaveClick(const QString &path = QString());

private:
    UserPrompt &m_prompt;
};

} // namespace corvane::ui

// The "Sending Error" dialog through which a failed message is reported: the bold "Send Error!", the error
// text, OK and Abort, and "Do not show further errors".
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace corvane::ui {

class TdlgSendError : public QDialog {
    Q_OBJECT

public:
    explicit TdlgSendError(QWidget *parent = nullptr);

    QLabel *lbltitle = nullptr;
    QPlainTextEdit *memerror = nullptr;
    QPushButton *btnok = nullptr;
    QPushButton *btnabort = nullptr;
    QCheckBox *chkhide = nullptr;

    // Shows `text` modally. `abortPressed` tells whether Abort closed it; `hideFurther` whether "Do not show
    // further errors" was ticked when it closed.
    void showError(const QString &text, bool &abortPressed, bool &hideFurther);
};

} // namespace corvane::ui

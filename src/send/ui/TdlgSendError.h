// The "Sending Error" dialog through which a failed message is reported: the bold "Send Error!", the error
// text, OK and Abort, and "Do not show further errors".
#pragma once

#include "send/SendErrorPrompt.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace corvane::ui {

class TdlgSendError : public QDialog, public SendErrorPrompt {
    Q_OBJECT

public:
    explicit TdlgSendError(QWidget *parent = nullptr);

    QLabel *lbltitle = nullptr;
    QPlainTextEdit *memerror = nullptr;
    QPushButton *btnok = nullptr;
    QPushButton *btnabort = nullptr;
    QCheckBox *chkhide = nullptr;

    // Shows `text` modally with "Do not show further errors" unticked; returns whether Abort closed it and
    // the check box's state at that moment. Closing it otherwise counts as OK.
    Answer showSendError(const QString &text) override;
};

} // namespace corvane::ui

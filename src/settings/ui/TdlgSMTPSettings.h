// The SMTP settings dialog ("SMTP Settings") opened by "Settings..." of the advanced settings: the fields of
// the SMTP method (with its security, log-in and "Test connection") or of the relay, OK and Cancel. The rules live in
// corvane::TdlgSMTPSettings.
#pragma once

#include "settings/TdlgSMTPSettings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QLabel;
class QLineEdit;

namespace corvane::ui {

class TdlgSMTPSettings : public QDialog {
    Q_OBJECT

public:
    TdlgSMTPSettings(Settings &settings, UserPrompt &prompt, int method, QWidget *parent = nullptr);

    corvane::TdlgSMTPSettings &core() { return m_core; }
    void accept() override;

    // Shows the dialog modally for `method` and frees it.
    static void edit(Settings &settings, UserPrompt &prompt, int method, QWidget *parent);

    QLineEdit *edthost = nullptr;
    QLineEdit *edtport = nullptr;
    QLineEdit *edtuserid = nullptr;
    QLineEdit *edtsendername = nullptr;
    QLineEdit *edtsenderemail = nullptr;
    QCheckBox *chkprocessbounce = nullptr;
    QComboBox *cbosecurity = nullptr;
    QLineEdit *edtsmtpuser = nullptr;
    QLineEdit *edtpassword = nullptr;
    QLineEdit *edtfingerprint = nullptr;
    QPushButton *btntest = nullptr;

private:
    // Copies the widgets' values into the core's controls.
    void takeFields();

    corvane::TdlgSMTPSettings m_core;
};

} // namespace corvane::ui

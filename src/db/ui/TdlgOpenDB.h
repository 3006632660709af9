// The "Create/Open Mailing List Database" dialog: a directory field and a folder tree; OK offers to create
// a directory that does not exist yet.
#pragma once

#include <QDialog>

class QLineEdit;
class QTreeView;
class QFileSystemModel;
class QPushButton;

namespace corvane {
class UserPrompt;
}

namespace corvane::ui {

class TdlgOpenDB : public QDialog {
    Q_OBJECT

public:
    TdlgOpenDB(UserPrompt &prompt, QWidget *parent = nullptr);

    QString directory() const;
    void setDirectory(const QString &dir);

    QLineEdit *edtpath = nullptr;
    QTreeView *ShellTree1 = nullptr;
    QPushButton *btnOK = nullptr;

    // Shows the dialog modally, starting at `initial`; the chosen directory, or a null text on Cancel.
    static QString choose(UserPrompt &prompt, QWidget *parent, const QString &initial);

public slots:
    void accept() override;

private:
    UserPrompt &m_prompt;
    QFileSystemModel *m_model = nullptr;
};

} // namespace corvane::ui

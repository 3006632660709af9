// The list editor "Edit Entries": one entry per line in a plain-text area, OK and Cancel.
#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

namespace corvane::ui {

class Tdlgeditentries : public QDialog {
    Q_OBJECT

public:
    explicit Tdlgeditentries(QWidget *parent = nullptr);

    QPlainTextEdit *memEntries = nullptr;

    void setLines(const QStringList &lines);
    QStringList lines() const;

    // Shows the editor modally with `lines`; on OK `lines` receives the edited lines and true is returned.
    static bool edit(QWidget *parent, QStringList &lines);
};

} // namespace corvane::ui

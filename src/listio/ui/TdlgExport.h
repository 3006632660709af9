// The export dialog ("Export E-mail List") and its print form ("Print E-mail List"): the file name (or the
// print heading), the fields to write, the separator, and OK running the export or the printout.
#pragma once

#include "listio/ListExport.h"

#include <QDialog>
#include <functional>

class QFileDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace corvane {
class UserPrompt;
class SqliteTable;
} // namespace corvane

namespace corvane::ui {

class TdlgExport : public QDialog {
    Q_OBJECT

public:
    enum class Form { Export, Print };
    static constexpr int kHelpContext = 208;

    TdlgExport(UserPrompt &prompt, SqliteTable &table, Form form, QWidget *parent = nullptr);

    QLabel *lblfilename = nullptr;
    QLineEdit *edtfilename = nullptr;
    QPushButton *btnsave = nullptr;
    QLabel *lblfields = nullptr;
    QListWidget *lbxfields = nullptr;
    QLabel *lblseparator = nullptr;
    QLineEdit *edtseparator = nullptr;

    // Where the print form sends its lines: when unset, a ListExportPrinter over this dialog (the print
    // dialog, then the chosen printer). Not owned.
    ListPrintTarget *printTarget = nullptr;

    Form form() const { return m_form; }
    // The ticked fields.
    ExportFields fields() const;

    // OK: runs the export (or the printout) with the ticked fields, then closes the dialog whatever the
    // outcome. Returns the run's result; the failures have been shown by then.
    bool btnokClick();
    // After OK in the print form: true when every copy was printed (not when the print dialog was
    // cancelled or the run ended early).
    bool printed() const { return m_printed; }
    // "Save..": the save-file dialog seeded with the current name; the chosen name replaces it.
    void btnsaveClick();
    // How "Save.." sets up its dialog: the two filters, no overwrite prompt, `current` selected.
    static void configureSaveDialog(QFileDialog &dialog, const QString &current);

    // "Export Mailing List Entries..." (text choice): shows the dialog modally; true when an export ran and
    // succeeded.
    static bool exportList(QWidget *parent, UserPrompt &prompt, SqliteTable &table);
    // "Print Mailing List": the print form; true when every copy was printed, false when the person
    // cancelled a dialog or the progress window, or the run failed (the failure has been shown).
    static bool printList(QWidget *parent, UserPrompt &prompt, SqliteTable &table);

    // The Help button opens help at kHelpContext through this handler, when one is set.
    static void setHelpHandler(std::function<void(int context)> handler);

private:
    UserPrompt &m_prompt;
    SqliteTable &m_table;
    Form m_form;
    bool m_result = false;
    bool m_printed = false;
};

} // namespace corvane::ui

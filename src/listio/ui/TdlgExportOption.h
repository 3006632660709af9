// The "Export Option" dialog of "Export Mailing List Entries...": a delimited text file, an Excel worksheet
// or an HTML page of the list view, each choice with the line that explains it.
#pragma once

#include <QDialog>

class QRadioButton;
class QTableView;

namespace corvane {
class UserPrompt;
class SqliteTable;
} // namespace corvane

namespace corvane::ui {

class TdlgExportOption : public QDialog {
    Q_OBJECT

public:
    enum class Choice { Cancelled, Text, Worksheet, Html };

    explicit TdlgExportOption(QWidget *parent = nullptr);

    QRadioButton *rdbcsv = nullptr;
    QRadioButton *rdbxls = nullptr;
    QRadioButton *rdbhtml = nullptr;

    // The chosen button (the text file initially).
    Choice choice() const;

    // Shows the dialog modally: the choice on OK, Cancelled on any other close.
    static Choice choose(QWidget *parent);

    // The whole "Export Mailing List Entries..." command: the choice, then the export dialog for a text file
    // (on `table`) or the worksheet or HTML file of what `grid` shows. True when a file was written.
    static bool exportMailingList(QWidget *parent, UserPrompt &prompt, SqliteTable &table, const QTableView &grid);
};

} // namespace corvane::ui

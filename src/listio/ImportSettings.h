// The field mapping of a multi-column import and the behaviour of the "Importation Settings" dialog
// (`Tdlgimport2`) without its widgets: the separator, the header option, the three columns ("Field in your
// file:", "Example:", "Enter into database field:"), the greyed rows, moving a mapping row, the example label
// and the check on closing. It also splits a line into fields and picks the entry values of a line.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class UserPrompt;

// The entry values one line of a multi-column file gives.
struct ImportValues {
    QString email;
    QString category;
    QString fullName;
    QString firstName;
    QString comments;
    int bounces = 0;
};

class ImportSettings {
public:
    static constexpr int kMaxFields = 11;

    static QString emailLabel() { return QStringLiteral("E-mail"); }
    static QString ignoreLabel() { return QStringLiteral("(ignore field)"); }
    // "E-mail", "Category", "Full Name", "First Name", "Comments", "Bounces".
    static QStringList fieldLabels();
    // The six field labels followed by five "(ignore field)" rows.
    static QStringList defaultMapping();

    // The fields of `line`: empty for an empty line or one that is exactly the separator; otherwise the text
    // between separators, each trimmed of white space and control characters, then one leading and one
    // trailing double quote removed. Empty fields are kept; a separator at the end opens no last field.
    // Quotes do not protect a separator. An empty separator means ",".
    static QStringList splitFields(const QString &line, const QString &separator);
    // The values `fields` give under `mapping` (row r receives field r). A label not in the mapping, or whose
    // row lies beyond the fields, gives an empty value; bounces not a whole number give 0.
    static ImportValues values(const QStringList &fields, const QStringList &mapping);
    // A mapping from the command line's column list ("e-mail,category,full-name,first-name,comments,bounces"
    // and "ignore", letter case ignored): the columns in the order given, then the labels not named, then
    // "(ignore field)" rows up to 11. False (and `mapping` untouched) for an unknown or repeated name or more
    // than 11 columns.
    static bool parseColumns(const QString &list, QStringList &mapping);

    // The separator; setting it empties the examples and rebuilds when a file is chosen (see rebuild()).
    QString separator() const { return m_separator; }
    void setSeparator(const QString &separator, UserPrompt &prompt);
    // "File has a row of column headings"; as setSeparator().
    bool header() const { return m_header; }
    void setHeader(bool header, UserPrompt &prompt);
    // The file chosen in the import dialog; choosing another empties the examples.
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &fileName);

    // The dialog's showing: rebuilds the columns when the examples are empty (see rebuild()).
    void FormShow(UserPrompt &prompt);
    // Reads the start of the file and builds the columns for its number of fields with the default mapping.
    // Without a file: "Please select your input file before performing your field mapping" and six fields.
    // A file that cannot be read builds six fields.
    void rebuild(UserPrompt &prompt);
    // Builds for `n` fields (at most 11): numbered file fields unless the header option, the default mapping.
    void buildFor(int n);
    // Whether the columns were built (the example column is not empty).
    bool built() const { return !m_examples.isEmpty(); }

    const QStringList &fileFields() const { return m_fileFields; }
    const QStringList &examples() const { return m_examples; }
    const QStringList &mapping() const { return m_mapping; }
    // An arrangement made elsewhere (the command line); it must hold the six labels in at most 11 rows.
    void setMapping(const QStringList &mapping) { m_mapping = mapping; }
    // Whether mapping row `row` is drawn greyed (no file field stands beside it), and its text.
    bool greyed(int row) const { return row >= m_fileFields.size(); }
    QString rowText(int row) const;
    // "(e.g. someone@example.com" + separator + "My_Category)".
    QString exampleLabel() const;

    // Moves mapping row `row` by `delta` (-1 up, +1 down) and returns its new row. No row selected (-1):
    // "You have not selected a field to move!" and -1; at the top or bottom: a beep and the row unmoved.
    int movefield(int row, int delta, UserPrompt &prompt);
    // The close check: false, after telling the person, while "E-mail" has no file field beside it.
    bool canClose(UserPrompt &prompt) const;

private:
    QString m_separator = QStringLiteral(",");
    bool m_header = false;
    QString m_fileName;
    QStringList m_fileFields;
    QStringList m_examples;
    QStringList m_mapping;
};

} // namespace corvane

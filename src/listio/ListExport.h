// The delimited list export (`exportlist`): one line per list entry, in the list table's current order,
// holding the chosen fields in the fixed order E-mail, Category, Full Name, First Name, Comments, Bounces,
// written to a file (the text export and the back-up) or handed to the printer line by line as the table is
// read. Shows the progress window with Cancel, asks whether to go on after a failing entry, and holds the
// table lock for the walk.
#pragma once

#include <QDateTime>
#include <QStringList>

namespace corvane {

class UserPrompt;
class SqliteTable;
class ListPrintTarget;

// The six fields an export can hold, in the order they are written.
struct ExportFields {
    bool email = true;
    bool category = true;
    bool fullName = true;
    bool firstName = true;
    bool comments = true;
    bool bounces = true;

    bool any() const { return email || category || fullName || firstName || comments || bounces; }
    // The field names of the command line ("email,category,fullname,firstname,comments,bounces"), in any
    // order, separated by commas, letter case ignored. False (and `fields` untouched) on an unknown name or an
    // empty list.
    static bool parse(const QString &list, ExportFields &fields);
};

class ListExport {
public:
    // The file buffer is handed to the system after this many entries.
    static constexpr int kFlushInterval = 20;
    // An entry that keeps failing ends the run after this many tries, even when the person (or a command
    // run with --yes) keeps answering Yes.
    static constexpr int kMaxTriesPerEntry = 10;

    ListExport(UserPrompt &prompt, SqliteTable &table);

    // Runs the export. With a file name, writes the lines (UTF-8, CR LF) to a new file that replaces the old
    // one only when the run completes, so a cancelled or failed run leaves the old file (or none). Without one,
    // prints: asks `printTarget` for the printer first (cancelled there: nothing printed, true), then walks the
    // table once per copy, handing each line to the printer as it is read, so nothing grows with the list; a
    // copy stopped by Cancel, No or a failure is thrown away. `separator` goes between fields; empty means ",".
    // `backUp` only chooses the progress text. Every entry of the table is written in its current order: a
    // filter on the table is switched off for the run and restored afterwards. Returns true on success. False:
    // the file cannot be created ("Unable to write to the file, " + name is shown) or is a file of the open
    // database (ProtectedFiles::refusal), a failure before the first entry (no message), the person cancelled
    // in the progress window, No to the question after a failing entry, the complete file cannot be put in
    // place (the message again), no print target, or a printing failure (its message).
    bool exportlist(const QString &fileName, const QString &printHeading, bool email, bool category, bool fullName,
                    bool firstName, bool comments, bool bounces, bool backUp, const QString &separator);
    bool exportlist(const QString &fileName, const QString &printHeading, const ExportFields &fields, bool backUp,
                    const QString &separator);

    // True when the last run without a file name printed every copy (false too when the person cancelled
    // the print dialog): what tells a finished printout from one that ended early.
    bool printed() const { return m_printed; }

    // The printer of a run without a file name. Not owned.
    ListPrintTarget *printTarget = nullptr;

    // "Mailing List Print at " + the date (short format) and time (long format) of `at`.
    static QString printHeading(const QDateTime &at = QDateTime::currentDateTime());
    // "CVNExport.csv" in the process's current directory (the one Corvane was started in; it never changes it).
    static QString defaultFileName();
    static QString entryErrorQuestion(qint64 line);
    static QString cannotWriteMessage(const QString &fileName);
    static QString printErrorMessage(const QString &fileName);

private:
    bool walk(const QString &fileName, const ExportFields &fields, bool backUp, const QString &separator);
    bool print(const QString &heading, const ExportFields &fields, const QString &separator);

    UserPrompt &m_prompt;
    SqliteTable &m_table;
    bool m_printed = false;
    bool m_printerFailed = false;
};

} // namespace corvane

// The import of entry files and the line-batch routine behind every list of addresses Corvane takes in
// (`Importfile`: the single-column import, manual entry, the harvesters, the removal of blocked addresses),
// and the multi-column import (`ImportMultiColumnFile`) with its field mapping. Every line becomes one request
// to the entry rules, which commit each entry on its own: a run that stops half-way (the person says No, the
// program is killed) keeps every line done before, and running it again finds those entries already there.
#pragma once

#include <QString>
#include <functional>

namespace corvane {

class EntryRules;
class ImportLines;
class ImportSettings;
class UserPrompt;

class ListImport {
public:
    // The progress window is updated for the first line and then every this many lines (and whenever the
    // gauge moves), so that a long run does not spend its time repainting.
    static constexpr int kProgressInterval = 64;

    ListImport(EntryRules &rules, UserPrompt &prompt);

    // One add (`add`), removal or, with `undeliverable`, bounce per non-empty line, the line trimmed of white
    // space and control characters. Added entries get the comment `commentPrefix` + " " + the date-time
    // stamp; `category` (trimmed) goes with every line. A failing line asks whether to go on (No ends the
    // run); Cancel in the progress window ends it too. With `showCompletion` the count of processed lines is
    // told at the end. Returns the number of lines processed; never raises (an outer failure shows "error").
    qint64 Importfile(ImportLines &lines, bool add, bool showCompletion, const QString &commentPrefix,
                      const QString &category, bool undeliverable);

    // One add request per line with the values `settings`' mapping picks from its fields (the first line
    // skipped with the header option); a line without comments gets `commentPrefix` + the date-time stamp. The mapping
    // is built from the file first when the settings dialog has not built it. Tells the count at the end and returns
    // it; never raises.
    qint64 ImportMultiColumnFile(ImportLines &lines, ImportSettings &settings, const QString &commentPrefix);

    // OK in the import dialog: checks the category (single column needs one), reads `fileName` and runs the
    // single-column or multi-column import. False when nothing was imported (the dialog's message told why).
    // `processed` receives the count.
    bool importFile(const QString &fileName, bool multiColumn, const QString &category, ImportSettings &settings,
                    qint64 *processed = nullptr);

    // Whether the last run went through every line (no No, no Cancel, no outer failure).
    bool completed() const { return m_completed; }

    // "Import of entries from file " + the file name without its directory in double quotes + " at ".
    static QString singleColumnPrefix(const QString &fileName);
    static QString errorQuestion(qint64 line, const QString &message);

private:
    // Asks the per-line question; true to go on.
    bool goOn(qint64 line, const QString &message);
    void progress(qint64 i, qint64 count, const QString &text);
    // The walk both imports share: `prepare` runs first, then every line of `lines` (numbered from 0) that is
    // not empty goes to `handle` with the line count, which says whether it counted as processed. A line whose
    // handling raises asks whether to go on; Cancel in the progress window stops the walk. `completion`, when
    // not empty, is told with the count ("%1"). A failure outside the lines (`prepare`, reading the file) ends
    // in the error box. Returns the lines processed; completed() says whether the walk reached the end.
    qint64 walkLines(ImportLines &lines, const std::function<void()> &prepare,
                     const std::function<bool(qint64 i, qint64 count, const QString &line)> &handle,
                     const QString &completion);
    // The date-time text of the current second.
    const QString &stamp();

    EntryRules &m_rules;
    UserPrompt &m_prompt;
    bool m_completed = false;
    int m_lastPercent = -1;
    qint64 m_stampSecond = -1;
    QString m_stamp;
};

} // namespace corvane

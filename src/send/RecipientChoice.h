// The recipient half of the send dialog: the choice of recipients (the whole list, the entries of some
// categories, the entries of none of some categories, or typed addresses), the computation of the unique
// recipients into the in-memory table tblTemp (one ordered walk of the filtered list table, or the typed
// lines), the rejects of typed lines, the count label and the staleness flag that says whether tblTemp must
// be computed again before a send.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace corvane {

class SqliteTable;
class UserPrompt;

class RecipientChoice {
public:
    enum class Choice { All, Filter, NotFilter, Manual };

    // The main window's SetFilter: include flag, include text, exclude text, exclude flag.
    using FilterHook =
        std::function<void(bool includeOn, const QString &includeText, const QString &excludeText, bool excludeOn)>;
    // Detaches (false) and re-attaches (true) the main window's grid from tblML around a computation.
    using GridHook = std::function<void(bool attached)>;

    static inline const QString kClearError = QStringLiteral("Error encountered clearing your temporary table!");
    static inline const QString kCalculateError =
        QStringLiteral("An error was encountered calculating your recipeints!");

    // Both tables must outlive the object; `tblTemp` must be open before a computation.
    RecipientChoice(SqliteTable &tblML, SqliteTable &tblTemp, UserPrompt &prompt);

    // The filter put on tblML by rdballClick; the default filters tblML itself on categories with bound
    // parameters (include prefixes when includeOn and the text is not empty, else exclude prefixes when
    // excludeOn and the text is not empty, else no filter).
    void setFilterHook(FilterHook hook) { m_setFilter = std::move(hook); }
    void setGridHook(GridHook hook) { m_grid = std::move(hook); }
    // The default filter hook on `table`.
    static FilterHook tableFilter(SqliteTable &table);

    // The radio buttons. Choosing one does not apply it: the window calls rdballClick afterwards.
    Choice choice() const { return m_choice; }
    void setChoice(Choice choice) { m_choice = choice; }
    // The two category boxes.
    QString edtfilter() const { return m_filter; }
    QString edtnotfilter() const { return m_notFilter; }
    // Sets the box without selecting its button (the dialog's opening takes over the main window's filter).
    void setEdtfilter(const QString &text) { m_filter = text; }
    // Typing in a box: stores the text, selects its radio button and runs rdballClick.
    void edtfilterChange(const QString &text);
    void edtnotfilterChange(const QString &text);

    // The typed recipients (memCustom), "Ignore Invalid addresses" (chkvalidity) and the rejects (memrejects,
    // one line per reject, never cleared by the program). Editing memCustom does not make the list stale.
    QString memCustom;
    bool chkvalidity = false;
    QStringList memrejects;
    // memrejects and its label are enabled exactly while chkvalidity is ticked.
    bool rejectsEnabled() const { return chkvalidity; }
    // "Enter Recipients" is shown exactly while the manual choice is applied.
    bool enterRecipientsVisible() const { return m_manualShown; }

    // Applies the choice: hides the typed-recipients group, or shows it for Manual (the filter of tblML is
    // then left as it is); otherwise calls the filter hook with (Filter chosen, edtfilter, edtnotfilter,
    // NotFilter chosen). Sets the count label to "  N Records" (N the count of tblML as filtered now) and
    // marks the list stale. A table failure leaves the label as it was; the list is stale in every case.
    void rdballClick();

    // Computes tblTemp for the choice: the typed lines (ProcessManual) for Manual, else one walk of tblML
    // in its current order and filter, each row's trimmed Item with its trimmed Name and Salutation when
    // `personalise` (else empty texts) added with INSERT OR IGNORE in one transaction, so that the first row
    // met for an address (letter case ignored) stays. Shows "Generating Unique Recipient List" progress and
    // stops at once when the cancel flag is raised (the rows added so far stay; the list stays stale). On
    // success the label shows "N Unique Recipients" and the list is no longer stale. Failures show
    // kClearError (then kCalculateError) or kCalculateError and leave the list stale. Never raises.
    void btnrecalcClick(bool personalise);
    // The typed lines, in order: each trimmed and split into address and display name; with chkvalidity
    // an address failing the syntax check is appended to memrejects instead; every other one is added with
    // its name and an empty salutation (INSERT OR IGNORE). Progress "Processing address, " + address;
    // cancel, label, staleness and failures as btnrecalcClick. Never raises.
    void ProcessManual();

    // The staleness flag (btnrecalc enabled): true when tblTemp does not match the current choice.
    bool stale() const { return m_stale; }
    // Marks the list stale (a change of the personalisation flag, chkDoAddSalutationClick).
    void markStale() { m_stale = true; }
    // lblcount.
    QString lblcount() const { return m_count; }

    // How many rows go between two progress calls of a computation (at least 1).
    void setProgressInterval(int rows) { m_progressEvery = rows < 1 ? 1 : rows; }

private:
    void computeFromList(bool personalise);
    bool emptyTemp();
    void finish();

    SqliteTable &m_tblML;
    SqliteTable &m_tblTemp;
    UserPrompt &m_prompt;
    FilterHook m_setFilter;
    GridHook m_grid;
    Choice m_choice = Choice::All;
    QString m_filter;
    QString m_notFilter;
    QString m_count;
    bool m_stale = true;
    bool m_manualShown = false;
    int m_progressEvery = 512;
};

} // namespace corvane

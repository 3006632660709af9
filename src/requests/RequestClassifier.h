// What a message of the mailing-list folder is and what it asks for: an out-of-office reply, a delivery-
// failure report (its failed addresses go to the scan's bounce list), an automatic reply of some other
// program, or a subscribe, unsubscribe or change-address command, which is counted in the day's statistics
// and applied through the entry rules. Answers whether the message was handled, which lets the scan mark it
// read or delete it.
#pragma once

#include "requests/BounceList.h"
#include "requests/CurrentMessage.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <functional>
#include <map>
#include <optional>

namespace corvane {

class EntryRules;
class Settings;
class SqliteTable;

class RequestClassifier {
public:
    enum class Outcome {
        NotHandled,
        // "Out of Office AutoReply" in the cleaned subject.
        OutOfOffice,
        // A delivery-failure report; its addresses went to the bounce list.
        DeliveryFailure,
        // Another automatic reply (an Auto-Submitted field other than "no"), finished like an out-of-office one.
        AutomaticReply,
        // A change-address command, performed.
        AddressChange,
        // A subscribe or unsubscribe command, handed to the entry rules.
        Command,
    };

    // Gives the decoded delivery-status part of the message when it is a delivery status notification, else
    // none. Called only for a message recognised as a delivery-failure report; may raise, which counts as none.
    using DeliveryStatusSource = std::function<std::optional<QByteArray>()>;

    // Every argument must outlive the classifier; `tblStats` may be null (nothing is counted).
    RequestClassifier(const Settings &settings, EntryRules &rules, SqliteTable *tblStats);

    // Classifies `message` and acts on it (processEntry), in this order: out-of-office (RemoveOutofOffice),
    // delivery failure (FailedMail: one bounce report counted; with PreciseBounces and a readable delivery-
    // status part only the failed recipients go to `bounces`, else every address found in the lines),
    // automatic replies (never read as commands; finished with RemoveOutofOffice on, else left alone), then
    // the command search over line 0 and 1, or every line with ScanAllEmailLines. Never raises.
    Outcome processEntry(CurrentMessage &message, BounceList &bounces, const DeliveryStatusSource &status = {});

    // With `batched` on, the day's counts are kept and written by flushCounts() (one change per day instead of
    // one per message); off (the default), each count is written at once.
    void setBatchedCounts(bool batched) { m_batched = batched; }
    // Writes the counts kept since the last flush to the statistics. A day that cannot be written keeps its
    // counts for the next flush. Never raises.
    void flushCounts() noexcept;

    // Runs the command parser over one line. False when the line is no command. True when it is one: then
    // `changed` says whether it was a change-address command (already performed), and otherwise the
    // message's add flag, address, name and category hold what the line said.
    bool parseCommand(CurrentMessage &message, const QString &line, bool &changed);

    // The subject without surrounding blanks and without leading "RE:" prefixes, then "FWD:" prefixes (any
    // letter case, blanks after each removed).
    static QString CleanSubject(const QString &subject);

private:
    bool isFailureReport(const QString &line0) const;
    void gatherBounces(const CurrentMessage &message, BounceList &bounces, const DeliveryStatusSource &status) const;
    void count(int kind, const CurrentMessage &message);

    struct DayCounts {
        int subscribes = 0;
        int unsubscribes = 0;
        int bounces = 0;
    };

    const Settings &m_settings;
    EntryRules &m_rules;
    SqliteTable *m_stats;
    bool m_batched = false;
    std::map<QDate, DayCounts> m_pending;
};

} // namespace corvane

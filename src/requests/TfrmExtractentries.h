// The mailing-list folder scan (the work of the scan window "Outlook Objects"): opens the folder through the
// mail store, walks its messages from the highest index down, fills the current message of each, hands it to
// the forwarding of members' posts or to the request classification, marks handled messages read or deletes
// them, and processes the bounce list at the end. The window in requests/ui shows the bar and the "x" button;
// the command line runs the scan without it.
#pragma once

#include "requests/BounceList.h"
#include "requests/CurrentMessage.h"
#include "requests/RequestClassifier.h"
#include "requests/SenderRetrieval.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

namespace corvane {

class EntryRules;
class MailItem;
class MemberPostHandler;
class SafeMailItem;
class SenderMethodAsker;
class Settings;
class SqliteTable;
class UserPrompt;

class TfrmExtractentries {
public:
    // How a scan ended.
    enum class Result {
        // Every message up to the cap was seen.
        Completed,
        // The cancel flag stopped the walk; the bounces gathered so far were processed.
        Cancelled,
        // The root or the folder could not be opened (or the person declined to create the folder).
        FolderUnreachable,
        // Reading or finishing one message failed: the scan ended there, its bounces were not processed.
        Failed,
    };

    struct Summary {
        Result result = Result::Completed;
        int examined = 0;
        int handled = 0;
        int forwarded = 0;
        int bouncesProcessed = 0;
    };

    // Every argument must outlive the scan. `tblStats` may be null (nothing counted); `members` may be null
    // (no forwarding: no message counts as a member's post).
    TfrmExtractentries(Settings &settings, EntryRules &rules, SqliteTable *tblStats, UserPrompt &prompt,
                       SenderMethodAsker &asker, MemberPostHandler *members = nullptr);

    // The scan (OpenBtnClick): with `requests` the mailing-list folder (MailingListGroup) is scanned for
    // requests, and with `memberPosts` also for members' posts; with `memberPosts` alone the user-message
    // folder (UserSendingFolder). Root and folder failures are told to the person (the folder may be
    // created when the person agrees); a failure reading or finishing a message is shown in an error box and
    // ends the scan. Uses the prompt's cancel flag, cleared at the start, read every 20 messages after the
    // pending events ran. Never raises.
    Summary OpenBtnClick(bool requests, bool memberPosts);

    // The bar's position (0 to 100) after each examined message. When unset, the prompt's progress window
    // shows it.
    std::function<void(int percent)> onProgress;
    // One line for every message handled or forwarded, for the command line.
    std::function<void(const QString &line)> onMessage;

    // `text` with every control character (line breaks, tabs, NUL...) turned into a blank: what goes into a
    // current-message field read from mail.
    static QString withoutControls(const QString &text);
    // The sent time as the program writes dates: the locale's short date and long time.
    static QString dateTimeText(const QDateTime &when);

private:
    // Fills `message` from `item`. Raises when the body or subject cannot be read.
    void fill(CurrentMessage &message, const std::shared_ptr<MailItem> &item, const SafeMailItem *safe);
    void finish(MailItem &item);
    void report(const QString &kind, const CurrentMessage &message);
    void progress(int percent);

    Settings &m_settings;
    EntryRules &m_rules;
    UserPrompt &m_prompt;
    MemberPostHandler *m_members;
    RequestClassifier m_classifier;
    SenderRetrieval m_senders;
    bool m_progressShown = false;
};

} // namespace corvane

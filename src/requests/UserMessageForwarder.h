// The forwarding of members' posts: whether a message of the user-message folder is a member's post, which
// list category it goes to (from the subject, the list address it was written to, the sender's own category,
// or the whole list), whether the sender may send, and the forwarded copies themselves, one per member or
// with the members hidden in batches of the recipients-per-message count. Every copy is marked as an
// automatic message and names the list it went to, so that it is never forwarded again when it comes back.
// Outcomes go to the activity log; the one question goes through the UserPrompt.
#pragma once

#include "requests/MemberPostHandler.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace corvane {

class ActivityLog;
class EntryRules;
class MailDraft;
class Settings;
class SqliteTable;
class UserPrompt;

class UserMessageForwarder : public MemberPostHandler {
public:
    // Every argument must outlive the forwarder. `settings` is read at every call; UserSending is switched
    // off in it when the person asks so (saving the settings is the caller's part). `rules` acts on
    // `tblML`. The sending rights are looked up in the table's current view, so callers drop the list
    // view's category filter first, as the scan does; the recipient set always reads the whole table.
    UserMessageForwarder(SqliteTable &tblML, EntryRules &rules, Settings &settings, const ActivityLog &log,
                         UserPrompt &prompt);

    // False for Corvane's own forwarded copy and for an automatic message (Auto-Submitted). Otherwise, with
    // ForwardAll on every message qualifies; with it off only one whose subject (as received) holds a "["
    // and whose first "]" is not its first character.
    bool IsUserEmail(const CurrentMessage &message) const override;

    // The list category the post goes to, as ForwardToWhom says: "ALL" the whole list (an empty category);
    // "EMAIL" the text before the first "@" of the post's first recipient; "SENDER" the category of the
    // sender's first entry; otherwise the trimmed text between the subject's first "[" and the next "]".
    // False when there is none, it is empty, or it cannot be read.
    bool GetRecipientGroup(const MailItem &item, const CurrentMessage &message, QString &category);

    // Whether `sender` may send to `category`: with MustBelongToGroup on and a category given, the entry of
    // this address in this category decides, otherwise the address's first entry; its SendRights field is
    // the answer. False when there is no such entry or the table cannot be searched.
    bool UserCanSend(const QString &sender, const QString &category);

    // Finds the category and checks the sending rights (with CheckUser on), logging a refusal; then sends the
    // copies to the recipient set of the category and logs the outcome. True only when every copy went
    // out. Nothing happens and nothing is logged for a category without members. Never raises.
    bool forwardmailmessage(MailItem &item, const CurrentMessage &message) override;

    // Sends one copy of `item` to the members of `recipients` from `index` on: the one member at `index` as
    // To with one e-mail per address (SendCount 1), else up to SendCount members as BCC; DefaultToAddress as
    // To in every copy. Returns the index after the last member served, or -1 on failure. A failure while
    // composing asks whether to switch forwarding off; a failed send asks nothing. A member's address that
    // no mail server could take is left out of the copy rather than failing it (with one e-mail per address
    // the next member then takes its place); a copy left without members is not sent.
    int Doforwardmailmessage(MailItem &item, const CurrentMessage &message, const QString &category,
                             const QStringList &recipients, int index);

    // True once the person chose to switch forwarding off and it is still off.
    bool forwardingSwitchedOff() const override;

private:
    // Adds `address` as a recipient of `kind` as AlwaysResolveAddresses says. False, with nothing added, for
    // an address that is not deliverable. Raises when the draft refuses it.
    bool addRecipient(MailDraft &draft, const QString &address, int kind) const;
    // The copy for the members from `index` on, `next` set past the last member it serves; null when every
    // one of them was left out. Raises when the copy cannot be composed.
    std::shared_ptr<MailDraft> composeCopy(MailItem &item, const CurrentMessage &message, const QString &category,
                                           const QStringList &recipients, int index, int &next) const;
    void askToSwitchOff();
    void log(const QString &line) const;

    SqliteTable &m_table;
    EntryRules &m_rules;
    Settings &m_settings;
    const ActivityLog &m_log;
    UserPrompt &m_prompt;
    bool m_switchedOff = false;
};

} // namespace corvane

// Deciding on and forwarding members' posts.
#include "requests/UserMessageForwarder.h"

#include "base/CorvaneError.h"
#include "base/UserPrompt.h"
#include "db/SqliteTable.h"
#include "mailstore/MailItem.h"
#include "requests/ActivityLog.h"
#include "requests/AddressRoutines.h"
#include "requests/EntryRules.h"
#include "requests/ForwardingRecipientSet.h"
#include "send/ListHeaders.h"
#include "settings/Settings.h"

#include <algorithm>

namespace corvane {

namespace {

const QString ItemField = QStringLiteral("Item");
const QString ItemAndCategory = QStringLiteral("Item;Category");
const QString SendRightsField = QStringLiteral("SendRights");

// `text` with every control character and line or paragraph separator turned into a blank: subjects and
// senders are written by strangers and go into log lines and header fields.
QString printable(const QString &text) {
    QString result = text;
    for (QChar &c : result) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return result;
}

// The subject rule shared by IsUserEmail and the category from the subject: a "[" somewhere and the first
// "]" not the first character.
bool hasListBrackets(const QString &subject) {
    return subject.contains(QLatin1Char('[')) && subject.indexOf(QLatin1Char(']')) > 0;
}

} // namespace

UserMessageForwarder::UserMessageForwarder(SqliteTable &tblML, EntryRules &rules, Settings &settings,
                                           const ActivityLog &log, UserPrompt &prompt)
    : m_table(tblML), m_rules(rules), m_settings(settings), m_log(log), m_prompt(prompt) {}

void UserMessageForwarder::log(const QString &line) const {
    m_log.AddToLog(line);
}

bool UserMessageForwarder::IsUserEmail(const CurrentMessage &message) const {
    if (message.forwardedByCorvane || message.autoSubmitted)
        return false;
    return m_settings.ForwardAll.checked || hasListBrackets(message.subject);
}

bool UserMessageForwarder::GetRecipientGroup(const MailItem &item, const CurrentMessage &message, QString &category) {
    category.clear();
    try {
        switch (m_settings.ForwardToWhom) {
        case Settings::ForwardTarget::All:
            return true;
        case Settings::ForwardTarget::Email: {
            const MailRecipients recipients = item.Recipients();
            if (recipients.Count() == 0)
                return false;
            const QString address = recipients.Item(1).Address();
            const qsizetype at = address.indexOf(QLatin1Char('@'));
            if (at < 0)
                return false;
            category = address.left(at);
            break;
        }
        case Settings::ForwardTarget::Sender:
            if (!message.sender.isEmpty())
                category = m_rules.GetGroupOfUser(message.sender);
            break;
        case Settings::ForwardTarget::Subject:
        case Settings::ForwardTarget::None: {
            const QString &subject = message.subject;
            if (!hasListBrackets(subject))
                return false;
            const qsizetype open = subject.indexOf(QLatin1Char('['));
            const qsizetype close = subject.indexOf(QLatin1Char(']'), open + 1);
            if (close < 0)
                return false;
            category = subject.mid(open + 1, close - open - 1).trimmed();
            break;
        }
        }
    } catch (const std::exception &) {
        category.clear();
    }
    return !category.isEmpty();
}

bool UserMessageForwarder::UserCanSend(const QString &sender, const QString &category) {
    try {
        const bool found = m_settings.MustBelongToGroup && !category.isEmpty()
                               ? m_table.locate(ItemAndCategory, QVariantList{sender, category}, true)
                               : m_table.locate(ItemField, sender, true);
        return found && m_table.boolean(SendRightsField);
    } catch (const CorvaneError &) {
        return false;
    }
}

bool UserMessageForwarder::forwardmailmessage(MailItem &item, const CurrentMessage &message) {
    const QString subject = printable(message.subject);
    const QString sender = printable(message.sender);
    const QString refused = QStringLiteral("Message of subject, ") + subject + QStringLiteral(", from ") + sender;
    QString category;
    if (!GetRecipientGroup(item, message, category)) {
        log(refused + QStringLiteral(" was not forwarded because the category was not valid!"));
        return false;
    }
    if (m_settings.CheckUser && (message.sender.isEmpty() || !UserCanSend(message.sender, category))) {
        log(refused + QStringLiteral(" was not forwarded because the user does not have sending rights!"));
        return false;
    }

    bool forwarded = true;
    try {
        const QStringList recipients = ForwardingRecipientSet::build(m_table, category);
        if (recipients.isEmpty())
            return false;
        // Each call serves the next member (one e-mail per address) or the next batch (hidden recipients)
        // and says where the following one starts.
        const int count = static_cast<int>(recipients.size());
        for (int index = 0; index < count && forwarded;) {
            index = Doforwardmailmessage(item, message, category, recipients, index);
            forwarded = index >= 0;
        }
    } catch (const std::exception &) {
        // The list could not be read: nothing went out.
        forwarded = false;
    }

    const QString target = category.isEmpty() ? QStringLiteral("the entire mailing list")
                                              : QStringLiteral("the mailing list category, ") + printable(category);
    log((forwarded ? QStringLiteral("Successfully forwarded ") : QStringLiteral("ERROR encountered forwarding ")) +
        QStringLiteral("mail from ") + sender + QStringLiteral(" with the subject, '") + subject +
        QStringLiteral("' to ") + target);
    return forwarded;
}

bool UserMessageForwarder::addRecipient(MailDraft &draft, const QString &address, int kind) const {
    // An address no mail server could take would fail the whole copy (and, the post staying in its folder,
    // every later scan would send the copies before it again): it is left out instead.
    MailRecipient probe(QString(), address, kind);
    if (!probe.Resolve())
        return false;
    const bool resolve = m_settings.AlwaysResolveAddresses || !AddressRoutines::LooksLikeAddress(address);
    MailRecipient &recipient = resolve ? draft.Recipients().Add(address) : draft.Recipients().Add(address, QString());
    recipient.setType(kind);
    if (resolve)
        recipient.Resolve();
    return true;
}

std::shared_ptr<MailDraft> UserMessageForwarder::composeCopy(MailItem &item, const CurrentMessage &message,
                                                             const QString &category, const QStringList &recipients,
                                                             int index, int &next) const {
    std::shared_ptr<MailDraft> copy = item.forward();
    copy->setSubject(printable(message.subject));
    QString body = item.body();
    if (m_settings.SigOnForward)
        body += QStringLiteral("\r\n") + m_settings.Signature.join(QStringLiteral("\r\n"));
    copy->setBody(body);

    const int count = static_cast<int>(recipients.size());
    const int perCopy = std::max(1, m_settings.SendCount);
    const int kind = perCopy == 1 ? MailRecipient::To : MailRecipient::BCC;
    // One e-mail per address: the member as To, then the default To address. Hidden: the default To
    // address, then up to perCopy members as BCC.
    if (perCopy > 1 && !m_settings.DefaultToAddress.isEmpty())
        addRecipient(*copy, m_settings.DefaultToAddress, MailRecipient::To);
    int added = 0;
    for (next = index; next < count && added < perCopy; ++next) {
        if (addRecipient(*copy, recipients.at(next), kind))
            ++added;
    }
    if (added == 0)
        return nullptr;
    if (perCopy == 1 && !m_settings.DefaultToAddress.isEmpty())
        addRecipient(*copy, m_settings.DefaultToAddress, MailRecipient::To);
    copy->setReadReceiptRequested(m_settings.Acknowledge);
    // Marked as written by a program (RFC 3834), so that auto-responders leave it alone, and as Corvane's
    // own copy, so that it is not taken for a member's post when it comes back into a scanned folder.
    copy->setHeaderField(QByteArrayLiteral("Auto-Submitted"), QStringLiteral("auto-generated"));
    copy->setHeaderField(QByteArray(kForwardedCopyField),
                         category.isEmpty() ? QStringLiteral("ALL") : printable(category));
    // A member's post goes out to the list as list mail, with the same list headers as a mailing.
    ListHeaders::addTo(*copy, m_settings.ListAddress);
    return copy;
}

int UserMessageForwarder::Doforwardmailmessage(MailItem &item, const CurrentMessage &message, const QString &category,
                                               const QStringList &recipients, int index) {
    int next = -1;
    std::shared_ptr<MailDraft> copy;
    try {
        copy = composeCopy(item, message, category, recipients, index, next);
    } catch (const std::exception &) {
        askToSwitchOff();
        return -1;
    }
    // Every member of this copy was left out: no copy goes to the default To address alone.
    if (!copy)
        return next;
    try {
        copy->Send();
    } catch (const std::exception &) {
        return -1;
    }
    return next;
}

void UserMessageForwarder::askToSwitchOff() {
    const UserPrompt::Button answer =
        m_prompt.message(UserPrompt::Kind::Warning,
                         QStringLiteral("An error was encountered initiating Mail Forwarding.  Do you want to "
                                        "disable the forwarding of user messages?"),
                         UserPrompt::Yes | UserPrompt::No);
    if (answer == UserPrompt::Yes) {
        m_settings.UserSending = false;
        m_switchedOff = true;
    }
}

bool UserMessageForwarder::forwardingSwitchedOff() const {
    return m_switchedOff && !m_settings.UserSending;
}

} // namespace corvane

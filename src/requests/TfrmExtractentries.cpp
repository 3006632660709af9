// The walk over the mailing-list folder.
#include "requests/TfrmExtractentries.h"

#include "base/BusyCursor.h"
#include "base/CorvaneError.h"
#include "base/LineText.h"
#include "base/UserPrompt.h"
#include "mailstore/MailFolder.h"
#include "mailstore/MailItem.h"
#include "mailstore/MailItems.h"
#include "mailstore/MailNamespace.h"
#include "mailstore/SafeMailItem.h"
#include "requests/EntryRules.h"
#include "requests/MemberPostHandler.h"
#include "requests/TextRoutines.h"
#include "send/MailStoreSettings.h"
#include "settings/Settings.h"

#include <QLocale>
#include <optional>
#include <vector>

namespace corvane {

namespace {

constexpr int kEventPumpInterval = 20;
const QString kProgressText = QStringLiteral("Accessing Outlook Entries..");

// Whether an Auto-Submitted field value marks a message written by a program: any value but "no" (its
// parameters and comments ignored, any letter case).
bool automaticValue(const QByteArray &value) {
    QByteArray word = value.trimmed();
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] == ';' || word[i] == '(' || word[i] == ' ' || word[i] == '\t') {
            word.truncate(i);
            break;
        }
    }
    return !word.isEmpty() && word.toLower() != "no";
}

QString outcomeName(RequestClassifier::Outcome outcome) {
    switch (outcome) {
    case RequestClassifier::Outcome::OutOfOffice:
        return QStringLiteral("Out of office");
    case RequestClassifier::Outcome::DeliveryFailure:
        return QStringLiteral("Delivery failure");
    case RequestClassifier::Outcome::AutomaticReply:
        return QStringLiteral("Automatic reply");
    case RequestClassifier::Outcome::AddressChange:
        return QStringLiteral("Address change");
    case RequestClassifier::Outcome::Command:
        return QStringLiteral("Request");
    case RequestClassifier::Outcome::NotHandled:
        break;
    }
    return QString();
}

} // namespace

TfrmExtractentries::TfrmExtractentries(Settings &settings, EntryRules &rules, SqliteTable *tblStats, UserPrompt &prompt,
                                       SenderMethodAsker &asker, MemberPostHandler *members)
    : m_settings(settings), m_rules(rules), m_prompt(prompt), m_members(members),
      m_classifier(settings, rules, tblStats), m_senders(settings, asker) {
    // The day's counts go to the statistics every few messages and at the end of the scan, not one change
    // per message.
    m_classifier.setBatchedCounts(true);
}

QString TfrmExtractentries::withoutControls(const QString &text) {
    QString out = text;
    for (QChar &c : out) {
        if (LineText::isControl(c.unicode()))
            c = QLatin1Char(' ');
    }
    return out;
}

QString TfrmExtractentries::dateTimeText(const QDateTime &when) {
    const QLocale locale;
    // The formats of the default locale, looked up once per locale rather than for every message.
    thread_local QString name;
    thread_local QString format;
    if (format.isEmpty() || name != locale.name()) {
        name = locale.name();
        format = locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + locale.timeFormat(QLocale::LongFormat);
    }
    return locale.toString(when, format);
}

void TfrmExtractentries::progress(int percent) {
    if (onProgress) {
        onProgress(percent);
        return;
    }
    m_prompt.showProgress(percent, kProgressText, true);
    m_progressShown = true;
}

void TfrmExtractentries::report(const QString &kind, const CurrentMessage &message) {
    if (onMessage)
        onMessage(kind + QStringLiteral(": ") +
                  (message.sender.isEmpty() ? QStringLiteral("(no sender)") : message.sender) + QStringLiteral(" \"") +
                  message.subject + QLatin1Char('"'));
}

void TfrmExtractentries::fill(CurrentMessage &message, const std::shared_ptr<MailItem> &item,
                              const SafeMailItem *safe) {
    const QString body = item->body();
    message.subject = withoutControls(item->subject());
    message.lines.clear();
    message.lines.append(RequestClassifier::CleanSubject(message.subject));
    for (const QString &line : body.split(QStringLiteral("\r\n")))
        message.lines.append(withoutControls(line));
    try {
        const QDateTime sent = item->senton();
        message.sent = dateTimeText(sent);
        message.sentDay = sent.date();
    } catch (const std::exception &) {
        message.sent = TextRoutines::getdatetimestring();
        message.sentDay = QDate::currentDate();
    }
    message.autoSubmitted = automaticValue(item->headerField("auto-submitted"));
    message.forwardedByCorvane = !item->headerField(kForwardedCopyField).trimmed().isEmpty();
    const SenderRetrieval::Sender sender = m_senders.retrieve(item, safe);
    message.sender = withoutControls(sender.address).trimmed();
    message.senderName = withoutControls(sender.name).trimmed();
    if (m_settings.allowfromaddressasentry) {
        message.address = message.sender;
        message.name = message.senderName;
    }
}

void TfrmExtractentries::finish(MailItem &item) {
    if (m_settings.ProcessAsUnread.checked)
        item.setUnRead(false);
    else
        item.Delete();
}

TfrmExtractentries::Summary TfrmExtractentries::OpenBtnClick(bool requests, bool memberPosts) {
    Summary summary;
    m_prompt.setCancelRequested(false);
    BusyCursor busy(m_prompt);
    BounceList bounces;
    m_progressShown = false;
    const auto end = [&](Result result) {
        m_classifier.flushCounts();
        summary.result = result;
        if (m_progressShown)
            m_prompt.hideProgress();
        return summary;
    };

    std::optional<MailFolder> root;
    try {
        const MailStoreApplication application = MailStoreSettings::application(m_settings);
        const MailNamespace names = application.GetNameSpace(QStringLiteral("MAPI"));
        const QString rootName = m_settings.RootFolder;
        root = (rootName.isEmpty() || rootName == QLatin1String("<Root>")) ? names.Folders(1) : names.Folders(rootName);
    } catch (const std::exception &) {
        m_prompt.message(
            UserPrompt::Kind::Warning,
            QStringLiteral("Error accessing your Outlook Root Folder.  You may need to amend your settings "
                           "under 'File|Options, Advanced...'"),
            UserPrompt::Ok);
        return end(Result::FolderUnreachable);
    }
    QString name = requests ? m_settings.MailingListGroup : m_settings.UserSendingFolder;
    if (requests && name.isEmpty())
        name = QStringLiteral("MailingList");
    std::optional<MailFolder> folder;
    try {
        folder = root->Folders(name);
    } catch (const std::exception &) {
        const auto answer = m_prompt.message(UserPrompt::Kind::Confirmation,
                                             QStringLiteral("The folder, ") + name +
                                                 QStringLiteral(", cannot be found.  Would you like to create it?"),
                                             UserPrompt::Yes | UserPrompt::No);
        if (answer != UserPrompt::Yes)
            return end(Result::FolderUnreachable);
        try {
            folder = root->addFolder(name);
        } catch (const std::exception &) {
            m_prompt.message(UserPrompt::Kind::Warning,
                             QStringLiteral("The folder, ") + name + QStringLiteral(", could not be created!"),
                             UserPrompt::Ok);
            return end(Result::FolderUnreachable);
        }
    }

    try {
        const MailItems items = folder->Items();
        const int base = m_settings.ProcessAsUnread.checked ? folder->UnReadItemCount() : items.Count();
        progress(0);
        int n = items.Count();
        if (m_settings.ChokeDownload >= 2 && n > m_settings.ChokeDownload)
            n = m_settings.ChokeDownload;
        // Items 1 to n are taken before the walk: finishing a message changes the folder, and the item list
        // would be read again for every message. Deleting item i leaves items 1 to i-1 in place, so taking
        // them now gives the same messages the walk by index would.
        std::vector<std::shared_ptr<MailItem>> walk;
        walk.reserve(static_cast<size_t>(n));
        for (int i = 1; i <= n; ++i)
            walk.push_back(items.Item(i));
        for (int i = n; i >= 1; --i) {
            if (i % kEventPumpInterval == 0) {
                m_classifier.flushCounts();
                m_prompt.processEvents();
                if (m_prompt.cancelRequested()) {
                    summary.result = Result::Cancelled;
                    break;
                }
            }
            const std::shared_ptr<MailItem> &item = walk[static_cast<size_t>(i - 1)];
            SafeMailItem safe;
            if (m_settings.UseRedemption)
                safe.setItem(item);
            if (m_settings.ProcessAsUnread.checked && !item->UnRead())
                continue;
            ++summary.examined;
            progress(base > 0 ? std::min(100, summary.examined * 100 / base) : 0);
            CurrentMessage message;
            fill(message, item, m_settings.UseRedemption ? &safe : nullptr);
            const bool forwarding = memberPosts && m_members != nullptr && !m_members->forwardingSwitchedOff();
            if (forwarding && !message.forwardedByCorvane && m_members->IsUserEmail(message)) {
                if (m_members->forwardmailmessage(*item, message)) {
                    finish(*item);
                    ++summary.forwarded;
                    report(QStringLiteral("Forwarded"), message);
                }
            } else if (requests) {
                const RequestClassifier::Outcome outcome =
                    m_classifier.processEntry(message, bounces, [item] { return item->deliveryStatus(); });
                if (outcome != RequestClassifier::Outcome::NotHandled) {
                    finish(*item);
                    ++summary.handled;
                    report(outcomeName(outcome), message);
                }
            }
        }
    } catch (const std::exception &error) {
        m_prompt.message(UserPrompt::Kind::Error, CorvaneError::messageOf(error), UserPrompt::Ok);
        return end(Result::Failed);
    }
    if (requests) {
        for (const QString &address : bounces.addresses()) {
            m_rules.processbounce(address);
            ++summary.bouncesProcessed;
        }
    }
    return end(summary.result);
}

} // namespace corvane

// The six sender-retrieval methods and the question that changes the method.
#include "requests/SenderRetrieval.h"

#include "mailstore/MAPISession.h"
#include "mailstore/MailItem.h"
#include "mailstore/SafeMailItem.h"
#include "requests/SenderMethodAsker.h"
#include "send/MailStoreSettings.h"
#include "settings/Settings.h"

namespace corvane {

namespace {

enum Method { None = 0, Dynamic = 1, Reply = 2, ReplyRecipients = 3, Session = 4, SafeItem = 5 };

} // namespace

SenderRetrieval::SenderRetrieval(Settings &settings, SenderMethodAsker &asker) : m_settings(settings), m_asker(asker) {}

QString SenderRetrieval::pickAddress(const QString &address, const QString &name) {
    if (!address.isEmpty())
        return address;
    return name.contains(QLatin1Char('@')) ? name : QString();
}

QString SenderRetrieval::promptText(const QString &method, const QString &proposed, bool unstable) {
    QString text = QStringLiteral("An error was encountered retrieving the sender address of an e-mail.\r\n\r\nThis "
                                  "is probably due to a malformed e-mail, however it may be because the ") +
                   method + QStringLiteral(" Method is not supported on your system (see Advanced Options).") +
                   QStringLiteral("\r\n\r\n") + QStringLiteral("If this problem occurs with every message you should ");
    text += proposed.isEmpty() ? QStringLiteral("disable retrieval of the sender address")
                               : QStringLiteral("change to the ") + proposed +
                                     QStringLiteral(" method for retrieval of the sender address");
    text += QLatin1Char('.');
    if (unstable)
        text += QStringLiteral("  NOTE: May be unstable!\r\n\r\n");
    return text + QStringLiteral("  Do you want to change to this method now?");
}

bool SenderRetrieval::ShowSenderRetrievalError(const QString &method, const QString &proposed, int proposedValue,
                                               bool unstable) {
    if (!m_settings.AlwaysShowSenderError)
        return false;
    bool alwaysShow = true;
    const bool change = m_asker.ask(promptText(method, proposed, unstable), alwaysShow);
    if (change)
        m_settings.GetSenderAddressMethod = proposedValue;
    m_settings.AlwaysShowSenderError = alwaysShow;
    return change;
}

bool SenderRetrieval::byReply(const MailItem &item, Sender &sender) {
    try {
        const auto reply = item.reply();
        const MailRecipient &first = reply->Recipients().Item(1);
        sender.name = first.name();
        sender.address = pickAddress(first.Address(), sender.name);
        return true;
    } catch (const std::exception &) {
        sender = {};
        return false;
    }
}

bool SenderRetrieval::byReplyRecipients(const MailItem &item, Sender &sender) {
    try {
        const MailRecipients recipients = item.Replyrecipients();
        if (recipients.Count() > 0) {
            const MailRecipient &entry = recipients.Item(1).AddressEntry();
            sender.name = entry.Name();
            sender.address = pickAddress(entry.Address(), sender.name);
        }
        return true;
    } catch (const std::exception &) {
        sender = {};
        return false;
    }
}

bool SenderRetrieval::bySession(const MailItem &item, Sender &sender) {
    const MailStoreApplication application = MailStoreSettings::application(m_settings);
    MAPISession session(application);
    try {
        session.Logon(QString(), QString(), false, false, 0);
        const MailRecipient from = session.GetMessage(item.EntryID(), item.StoreID())->Sender();
        sender.name = from.name();
        sender.address = pickAddress(from.Address(), sender.name);
        session.logoff();
        return true;
    } catch (const std::exception &) {
        session.logoff();
        sender = {};
        return false;
    }
}

bool SenderRetrieval::bySafeItem(const std::shared_ptr<MailItem> &item, const SafeMailItem *safe, Sender &sender) {
    try {
        SafeMailItem own;
        if (safe == nullptr) {
            own.setItem(item);
            safe = &own;
        }
        sender.address = safe->fields(SafeMailItem::PR_SENDER_EMAIL_ADDRESS);
        sender.name = safe->item()->SenderName();
        return true;
    } catch (const std::exception &) {
        sender = {};
        return false;
    }
}

SenderRetrieval::Sender SenderRetrieval::retrieve(const std::shared_ptr<MailItem> &item, const SafeMailItem *safe) {
    Sender sender;
    switch (m_settings.GetSenderAddressMethod) {
    case None:
        try {
            sender.name = item->SenderName();
            sender.address = pickAddress(QString(), sender.name);
        } catch (const std::exception &) {
            sender = {};
        }
        break;
    case Dynamic:
        if (!byReply(*item, sender))
            ShowSenderRetrievalError(QStringLiteral("Reply Method"), QStringLiteral("ReplyRecipients"), ReplyRecipients,
                                     false);
        if (sender.address.isEmpty() && !byReplyRecipients(*item, sender))
            ShowSenderRetrievalError(QStringLiteral("ReplyRecipients"), QStringLiteral("Reply Method"), Reply, false);
        break;
    case Reply:
        if (!byReply(*item, sender))
            ShowSenderRetrievalError(QStringLiteral("Reply Method"), QStringLiteral("ReplyRecipients"), ReplyRecipients,
                                     false);
        break;
    case ReplyRecipients:
        if (!byReplyRecipients(*item, sender))
            ShowSenderRetrievalError(QStringLiteral("ReplyRecipients"), QStringLiteral("MAPI retrieval"), Session,
                                     true);
        break;
    case Session:
        if (!bySession(*item, sender))
            ShowSenderRetrievalError(QStringLiteral("MAPI retrieval"), QString(), None, false);
        break;
    case SafeItem:
        if (!bySafeItem(item, safe, sender))
            ShowSenderRetrievalError(QStringLiteral("Redemption Method"), QStringLiteral("Dynamic"), Dynamic, false);
        break;
    default:
        break;
    }
    return sender;
}

} // namespace corvane

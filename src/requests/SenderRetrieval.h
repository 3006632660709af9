// Reads the sender's address and display name of a message by the retrieval method of the advanced settings
// (GetSenderAddressMethod 0 to 5), over the mail store: the From name, a reply's first recipient, the
// Reply-To recipients, the message re-opened through the session object, or the safe item's sender-address
// property. When a method fails as a whole, offers to change the method (ShowSenderRetrievalError).
#pragma once

#include <QString>
#include <memory>

namespace corvane {

class MailItem;
class SafeMailItem;
class SenderMethodAsker;
class Settings;

class SenderRetrieval {
public:
    struct Sender {
        QString address;
        QString name;
    };

    // `settings` is read at every call; the prompt may change GetSenderAddressMethod and
    // AlwaysShowSenderError in it. Both must outlive the retrieval.
    SenderRetrieval(Settings &settings, SenderMethodAsker &asker);

    // The sender of `item` by the current method; `safe` is the safe item wrapping it when the scan made one
    // (else one is made for method 5). A failure inside a method leaves both fields empty; a failed method
    // offers the prompt. Never raises.
    Sender retrieve(const std::shared_ptr<MailItem> &item, const SafeMailItem *safe);

    // `address` when not empty, otherwise `name` when it holds "@", otherwise empty.
    static QString pickAddress(const QString &address, const QString &name);

    // The prompt's text for a failed `method`, proposing `proposed` (empty: no method), with the unstable note.
    static QString promptText(const QString &method, const QString &proposed, bool unstable);

    // Offers the change of method when AlwaysShowSenderError is on: "Change Method" sets
    // GetSenderAddressMethod to `proposedValue` at once; the box's state becomes AlwaysShowSenderError.
    // True when the method was changed.
    bool ShowSenderRetrievalError(const QString &method, const QString &proposed, int proposedValue, bool unstable);

private:
    bool byReply(const MailItem &item, Sender &sender);
    bool byReplyRecipients(const MailItem &item, Sender &sender);
    bool bySession(const MailItem &item, Sender &sender);
    bool bySafeItem(const std::shared_ptr<MailItem> &item, const SafeMailItem *safe, Sender &sender);

    Settings &m_settings;
    SenderMethodAsker &m_asker;
};

} // namespace corvane

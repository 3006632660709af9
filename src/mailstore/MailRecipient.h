// One recipient of a mail item: display name, address and kind (1 To, 2 CC, 3 BCC; Reply-To recipients are
// of kind 1). A recipient added to a composed message holds the text it was given until it is resolved.
#pragma once

#include <QString>

namespace corvane {

class MailRecipient {
public:
    enum Kind { To = 1, CC = 2, BCC = 3 };

    MailRecipient(const QString &name, const QString &address, int type)
        : m_name(name), m_address(address), m_type(type) {}

    // The display name; the address when the header gave no name, as the program expects of a recipient.
    QString name() const { return m_name.isEmpty() ? m_address : m_name; }
    QString Name() const { return name(); }
    QString Address() const { return m_address; }
    // The recipient's address entry; for a stored message it holds the same name and address.
    const MailRecipient &AddressEntry() const { return *this; }
    int Type() const { return m_type; }
    // Sets the kind. Raises for a kind other than 1, 2 or 3.
    void setType(int type);

    // Turns the text the recipient was added with into a display name and a bare address: "Name <address>",
    // "<address>" and a bare address are understood. True when the result is a usable e-mail address (one
    // "@" with text on both sides, no blanks, no control characters); otherwise the recipient is unchanged.
    bool Resolve();
    bool Resolved() const { return m_resolved; }

    // True when `address` can be handed to a mail server as it is (see Resolve()).
    static bool isDeliverableAddress(const QString &address);

private:
    QString m_name;
    QString m_address;
    int m_type;
    bool m_resolved = false;
};

} // namespace corvane

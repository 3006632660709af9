// One recipient of a mail item: display name, address and kind (1 To, 2 CC, 3 BCC; Reply-To recipients are
// of kind 1).
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

private:
    QString m_name;
    QString m_address;
    int m_type;
};

} // namespace corvane

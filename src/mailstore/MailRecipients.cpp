// 1-based access to the recipients of a mail item, and adding recipients to a composed one.
#include "mailstore/MailRecipients.h"

#include "base/CorvaneError.h"

namespace corvane {

const MailRecipient &MailRecipients::Item(int index) const {
    if (index < 1 || index > Count())
        throw CorvaneError(QStringLiteral("There is no recipient %1; the message has %2.").arg(index).arg(Count()));
    return m_recipients[static_cast<size_t>(index - 1)];
}

MailRecipient &MailRecipients::Item(int index) {
    return const_cast<MailRecipient &>(std::as_const(*this).Item(index));
}

MailRecipient &MailRecipients::Add(const QString &address, const QString &name) {
    if (address.trimmed().isEmpty())
        throw CorvaneError(QStringLiteral("A recipient needs an address."));
    for (const QString &text : {address, name}) {
        if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
            throw CorvaneError(QStringLiteral("A recipient may not contain a line break."));
    }
    m_recipients.emplace_back(name, address.trimmed(), MailRecipient::To);
    return m_recipients.back();
}

bool MailRecipients::resolveAll() {
    bool all = true;
    for (MailRecipient &recipient : m_recipients) {
        if (!recipient.Resolved() && !recipient.Resolve())
            all = false;
    }
    return all;
}

} // namespace corvane

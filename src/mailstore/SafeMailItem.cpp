// Property access of the safe-item wrapper.
#include "mailstore/SafeMailItem.h"

#include "base/CorvaneError.h"

namespace corvane {

QString SafeMailItem::fields(quint32 tag) const {
    if (!m_item)
        throw CorvaneError(QStringLiteral("No message has been given to the safe item."));
    if (tag == PR_SENDER_EMAIL_ADDRESS)
        return m_item->SenderEmailAddress();
    throw CorvaneError(QStringLiteral("The message property 0x%1 is not available.").arg(tag, 8, 16, QLatin1Char('0')));
}

MailDraft &SafeMailItem::draft() const {
    if (!m_draft)
        throw CorvaneError(QStringLiteral("The safe item holds no message being composed."));
    return *m_draft;
}

} // namespace corvane

// 1-based access to the recipients of a mail item.
#include "mailstore/MailRecipients.h"

#include "base/CorvaneError.h"

namespace corvane {

const MailRecipient &MailRecipients::Item(int index) const {
    if (index < 1 || index > Count())
        throw CorvaneError(QStringLiteral("There is no recipient %1; the message has %2.").arg(index).arg(Count()));
    return m_recipients[static_cast<size_t>(index - 1)];
}

} // namespace corvane

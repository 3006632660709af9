// Resolving the recipients of composed messages.
#include "mailstore/MailRecipient.h"

#include "base/CorvaneError.h"

namespace corvane {

void MailRecipient::setType(int type) {
    if (type < To || type > BCC)
        throw CorvaneError(QStringLiteral("%1 is not a recipient type.").arg(type));
    m_type = type;
}

bool MailRecipient::isDeliverableAddress(const QString &address) {
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at <= 0 || at != address.lastIndexOf(QLatin1Char('@')) || at == address.size() - 1)
        return false;
    for (const QChar c : address) {
        if (c.isSpace() || c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char('<') ||
            c == QLatin1Char('>') || c == QLatin1Char(',') || c == QLatin1Char(';'))
            return false;
    }
    return !address.startsWith(QLatin1Char('-'));
}

bool MailRecipient::Resolve() {
    QString text = m_address.trimmed();
    QString name = m_name.trimmed();
    const qsizetype open = text.lastIndexOf(QLatin1Char('<'));
    if (open >= 0 && text.endsWith(QLatin1Char('>'))) {
        const QString before = text.left(open).trimmed();
        if (!before.isEmpty() && name.isEmpty()) {
            name = before;
            if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
                name = name.mid(1, name.size() - 2);
        }
        text = text.mid(open + 1, text.size() - open - 2).trimmed();
    }
    if (!isDeliverableAddress(text))
        return false;
    m_address = text;
    m_name = name;
    m_resolved = true;
    return true;
}

} // namespace corvane

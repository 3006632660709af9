// The list headers of a mailing, from the list's address.
#include "send/ListHeaders.h"

#include "base/CorvaneError.h"
#include "mailstore/MailDraft.h"
#include "requests/AddressRoutines.h"
#include "send/SMTPMailbox.h"

namespace corvane {

QString ListHeaders::problem(const QString &address) {
    if (address.isEmpty()) {
        return QString();
    }
    const QString visible = SMTPMailbox::visible(address);
    if (visible != address) {
        return QStringLiteral("The list address \"%1\" holds a control character").arg(visible);
    }
    const AddressRoutines::Validity validity = AddressRoutines::validemailaddress(address);
    if (!validity.valid) {
        return QStringLiteral("The list address \"%1\" is not valid: %2")
            .arg(address, AddressRoutines::GetEmailErrorCode(validity.code));
    }
    // The validity rules allow a few signs the SMTP client does not take in a mailbox.
    const QString mailbox = SMTPMailbox::problem(address);
    if (!mailbox.isEmpty()) {
        return QStringLiteral("The list address \"%1\" is not valid: it %2").arg(address, mailbox);
    }
    return QString();
}

QString ListHeaders::listId(const QString &address) {
    // Every sign the validity rules let into a local part is one of RFC 5322's atext, so local part and
    // domain joined by "." form the dot-atom RFC 2919 asks for.
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    return QLatin1Char('<') + address.left(at) + QLatin1Char('.') + address.mid(at + 1) + QLatin1Char('>');
}

QString ListHeaders::unsubscribeUrl(const QString &address) {
    QString escaped = address;
    escaped.replace(QLatin1Char('%'), QLatin1String("%25"));
    return QStringLiteral("mailto:") + escaped + QStringLiteral("?subject=unsubscribe");
}

QStringList ListHeaders::lines(const QString &address) {
    if (address.isEmpty()) {
        return {};
    }
    const QString why = problem(address);
    if (!why.isEmpty()) {
        throw CorvaneError(why);
    }
    return {QStringLiteral("List-Id: ") + listId(address),
            QStringLiteral("List-Unsubscribe: <") + unsubscribeUrl(address) + QLatin1Char('>'),
            QStringLiteral("Precedence: list")};
}

void ListHeaders::addTo(MailDraft &draft, const QString &address) {
    for (const QString &line : lines(address)) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        draft.setHeaderField(line.left(colon).toLatin1(), line.mid(colon + 1).trimmed());
    }
}

} // namespace corvane

// The header lines that mark a mailing as list mail: List-Id (RFC 2919) and List-Unsubscribe (RFC 2369), both
// made from the list's own address (the ListAddress setting), and "Precedence: list". Every transport of a
// mailing takes its lines from here; acknowledgements never carry them.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class MailDraft;

class ListHeaders {
public:
    // Why `address` cannot serve as the list address (a control character, shown as "\xHH", or the failed
    // validity rule in words); empty when it can, and for the empty text (no list headers). Cannot fail.
    static QString problem(const QString &address);

    // The header lines for `address`, each "Name: value" without line end, in this order:
    //   List-Id: <news.example.org>
    //   List-Unsubscribe: <mailto:news@example.org?subject=unsubscribe>
    //   Precedence: list
    // No lines for an empty address. Throws CorvaneError with problem() when the address is not usable.
    static QStringList lines(const QString &address);

    // Gives `draft` the header fields of lines(`address`); throws as lines() does.
    static void addTo(MailDraft &draft, const QString &address);

    // The value of List-Id alone: the local part, ".", the domain, in angle brackets.
    static QString listId(const QString &address);
    // The mailto URL of List-Unsubscribe alone, "%" in the address percent-encoded.
    static QString unsubscribeUrl(const QString &address);
};

} // namespace corvane

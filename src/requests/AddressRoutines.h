// The address routines every address passes through: the validity check with its error codes, the
// splitting of a display-name form into address and name, the first name taken from a full name, and the
// quick test that picks an address out of a line. Functions of their arguments only; no table access.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace corvane {

class AddressRoutines {
public:
    struct Validity {
        bool valid = false;
        // 0 when valid; 1 to 10 from the standard rules, 101 from the exception list.
        int code = 0;
    };

    // Applies the standard rules in their order (the first failing rule decides the code) and, when
    // `exceptions` is given and the standard rules pass, the exception list: the first non-empty entry found
    // in the address as a plain, case-sensitive substring makes it invalid with code 101. Never raises.
    static Validity validemailaddress(const QString &address, const QStringList *exceptions = nullptr);
    // The same check on a view, so that a scanner can test a piece of a longer line without copying it.
    static Validity validemailaddress(QStringView address, const QStringList *exceptions = nullptr);

    // The text of a validity code; "Invalid error code!" for a code outside the table.
    static QString GetEmailErrorCode(int code);

    // Turns a display-name form (name, then the address in angle brackets) into the bare address and the
    // name; a bare address keeps its text and only the name is tidied.
    static void SMTPAddressToEmailName(QString &address, QString &name);
    // Trims white space and control characters; a text holding "@" becomes empty; then one leading and one
    // trailing double quote are removed.
    static QString CleanDisplayName(const QString &text);
    // "Surname, Given" becomes "Given Surname"; a name without a comma, or beginning with one, is unchanged.
    static QString RemoveCommaFromName(const QString &name);
    // The first word of the full name (the whole name when it has no space); empty when it begins with a
    // space.
    static QString SalutationFromName(const QString &fullName);
    // Whether a word looks like an address: it holds a "." and an "@", the first of each at the second
    // position or later, the first "@" is not last, and it holds no space.
    static bool LooksLikeAddress(const QString &word);
};

} // namespace corvane

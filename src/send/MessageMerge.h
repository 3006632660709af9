// Personalisation of the message for one recipient: the merge fields "%FULL_NAME%", "%SALUTATION%",
// "%DATE%" and "%EMAIL%", the check whether a body uses any of them, and the body assembly with the
// signature rule that every transport applies.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace corvane {

class MessageMerge {
public:
    static inline const QString kFullName = QStringLiteral("%FULL_NAME%");
    static inline const QString kSalutation = QStringLiteral("%SALUTATION%");
    static inline const QString kDate = QStringLiteral("%DATE%");
    static inline const QString kEmail = QStringLiteral("%EMAIL%");

    // True when `body` contains any of the four field texts (case-sensitive).
    static bool containsFields(const QString &body);

    // `body` with, when `personalised`, every "%FULL_NAME%" replaced by `fullName`, then every
    // "%SALUTATION%" by `salutation` (over the whole text, the inserted names included), then "%DATE%" by
    // `date` in the system's short date format, then "%EMAIL%" by `address`. Within one pass a value put in
    // is never scanned again. Values go in unchanged; an empty value removes the field. Never raises.
    static QString MergeFields(const QString &body, bool personalised, const QString &fullName,
                               const QString &salutation, const QString &address, const QDate &date);
    // The same for today's date.
    static QString MergeFields(const QString &body, bool personalised, const QString &fullName,
                               const QString &salutation, const QString &address);
    // `date` as the system's short date format prints it.
    static QString shortDate(const QDate &date);

    // The body a transport sends: `merged` alone when `addSignaturePrior` or `html`, else `merged`, CR LF
    // and the signature lines joined with CR LF. The signature is never merged.
    static QString AssembleBody(const QString &merged, bool html, bool addSignaturePrior, const QStringList &signature);
    // The body the dialog opens with when the signature is placed in the editor (AddSignaturePrior on): CR
    // LF and the signature when it is not empty, else `body` unchanged.
    static QString PlaceSignature(const QString &body, bool addSignaturePrior, const QStringList &signature);
};

} // namespace corvane

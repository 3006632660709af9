// Merge fields and body assembly.
#include "send/MessageMerge.h"

#include <QLocale>

namespace corvane {

bool MessageMerge::containsFields(const QString &body) {
    return body.contains(kFullName) || body.contains(kSalutation) || body.contains(kDate) || body.contains(kEmail);
}

QString MessageMerge::shortDate(const QDate &date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString MessageMerge::MergeFields(const QString &body, bool personalised, const QString &fullName,
                                  const QString &salutation, const QString &address, const QDate &date) {
    if (!personalised) {
        return body;
    }
    // QString::replace continues after each inserted value, so a value holding a field text is not replaced
    // within its own pass; the later passes run over the whole text.
    QString text = body;
    text.replace(kFullName, fullName);
    text.replace(kSalutation, salutation);
    if (text.contains(kDate)) {
        text.replace(kDate, shortDate(date));
    }
    text.replace(kEmail, address);
    return text;
}

QString MessageMerge::MergeFields(const QString &body, bool personalised, const QString &fullName,
                                  const QString &salutation, const QString &address) {
    return MergeFields(body, personalised, fullName, salutation, address, QDate::currentDate());
}

QString MessageMerge::AssembleBody(const QString &merged, bool html, bool addSignaturePrior,
                                   const QStringList &signature) {
    if (addSignaturePrior || html) {
        return merged;
    }
    return merged + QStringLiteral("\r\n") + signature.join(QStringLiteral("\r\n"));
}

QString MessageMerge::PlaceSignature(const QString &body, bool addSignaturePrior, const QStringList &signature) {
    const QString text = signature.join(QStringLiteral("\r\n"));
    if (!addSignaturePrior || text.isEmpty()) {
        return body;
    }
    return QStringLiteral("\r\n") + text;
}

} // namespace corvane

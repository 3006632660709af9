// Splitting and re-forming Maildir message file names.
#include "mailstore/MaildirFileName.h"

#include <algorithm>

namespace corvane {

MaildirFileName::MaildirFileName(const QString &fileName) {
    const qsizetype info = fileName.lastIndexOf(QLatin1String(":2,"));
    if (info < 0) {
        m_unique = fileName;
    } else {
        m_unique = fileName.left(info);
        m_flags = fileName.mid(info + 3);
    }
}

QString MaildirFileName::withFlag(QChar flag, bool set) const {
    QString flags = m_flags;
    flags.remove(flag);
    if (set)
        flags.append(flag);
    std::sort(flags.begin(), flags.end());
    return m_unique + QLatin1String(":2,") + flags;
}

namespace {

// The leading run of digits of `name` as a number (the delivery time), -1 when there is none.
qint64 leadingNumber(const QString &name) {
    qint64 value = -1;
    for (const QChar c : name) {
        if (!c.isDigit())
            break;
        value = (value < 0 ? 0 : value) * 10 + c.digitValue();
        if (value > 1'000'000'000'000'000LL)
            break;
    }
    return value;
}

} // namespace

bool MaildirFileName::deliveredBefore(const QString &uniqueA, const QString &uniqueB) {
    const qint64 a = leadingNumber(uniqueA);
    const qint64 b = leadingNumber(uniqueB);
    if (a != b)
        return a < b;
    return uniqueA < uniqueB;
}

} // namespace corvane

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

qint64 MaildirFileName::deliveryTime(const QString &unique) {
    qint64 value = -1;
    for (const QChar c : unique) {
        if (!c.isDigit() || value > 1'000'000'000'000'000LL)
            break;
        value = (value < 0 ? 0 : value) * 10 + c.digitValue();
    }
    return value;
}

} // namespace corvane

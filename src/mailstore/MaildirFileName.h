// The name of one message file in a Maildir: its unique part (the message's identity, stable across flag
// changes) and its info part (":2," followed by the flag letters, only for files in cur/).
#pragma once

#include <QString>

namespace corvane {

class MaildirFileName {
public:
    // Splits `fileName` (without directory) at the last ":2,"; a name without one has no flags.
    explicit MaildirFileName(const QString &fileName);

    QString unique() const { return m_unique; }
    QString flags() const { return m_flags; }
    bool hasFlag(QChar flag) const { return m_flags.contains(flag); }

    // The file name for the same message with `flag` set or cleared; flag letters stay in ASCII order as
    // Maildir requires, and the name always carries the ":2," info part.
    QString withFlag(QChar flag, bool set) const;

    // The delivery time in seconds that begins a unique name, -1 when it begins with no digit. Folders list
    // their items by this time, then by the whole unique name, so that the order never depends on flags or on
    // the subdirectory.
    static qint64 deliveryTime(const QString &unique);

private:
    QString m_unique;
    QString m_flags;
};

} // namespace corvane

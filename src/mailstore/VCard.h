// Reading one contact from a vCard file (versions 2.1, 3.0 and 4.0): folded lines, quoted-printable values,
// character sets and escapes. Independent of vmime.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace corvane {

class VCard {
public:
    // Reads the first BEGIN:VCARD ... END:VCARD block of `data`. Raises when there is none.
    static VCard parse(const QByteArray &data);

    QString version() const { return m_version; }
    // FN; when the card has no FN, the name parts of N joined as "Prefix Given Middle Family Suffix". Like every
    // value below, one line: each run of control characters (an escaped line break too) is one blank.
    QString fullName() const { return m_fullName; }
    // Every EMAIL value in the order of the file.
    QStringList emails() const { return m_emails; }

private:
    QString m_version;
    QString m_fullName;
    QStringList m_emails;
};

} // namespace corvane

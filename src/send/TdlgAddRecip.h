// The "Add Recipients" form, free of widgets: the extra To and CC addresses that every sent message carries,
// each list kept in alphabetical order. The dialog in send/ui edits it.
#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

class TdlgAddRecip {
public:
    static inline const QString kExplanation = QStringLiteral(
        "If you want all messages to also be sent to or CC'ed to a special address add it here (All other "
        "addresses will appear in the bcc: field so they will be invisible to recipients)");
    static inline const QString kNotWithRelay =
        QStringLiteral("This function is not available with the SMTP server sending option.");

    // lbTo and lbCC, sorted (letter case ignored, then exact text).
    const QStringList &lbTo() const { return m_to; }
    const QStringList &lbCC() const { return m_cc; }

    // Leaving an entry box or ">>": adds the typed text, when not empty, at its sorted place. Returns the
    // row it took, or -1 when nothing was added.
    int addTo(const QString &text) { return insertSorted(m_to, text); }
    int addCC(const QString &text) { return insertSorted(m_cc, text); }
    // "<<" or Delete: removes row `index`; false when there is no such row.
    bool removeTo(int index);
    bool removeCC(int index);
    // Removes the first entry equal to `address` (exactly); false when there is none.
    bool removeToAddress(const QString &address);
    // Replaces the To list as a whole (the send job restores its copy), sorting it.
    void setTo(const QStringList &to);
    void clear();

private:
    static int insertSorted(QStringList &list, const QString &text);

    QStringList m_to;
    QStringList m_cc;
};

} // namespace corvane

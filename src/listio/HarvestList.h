// The lines a harvester found: sorted without regard to letter case, a line equal to one already present
// apart from letter case kept as first met. Every text comes from mail or files written by strangers, so each
// line is made one line (control characters become blanks) and trimmed before it is added.
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace corvane {

class HarvestList {
public:
    // Adds `line` made one line and trimmed; an empty result adds nothing. True when the line was new.
    bool add(const QString &line);
    // The name-and-address join: nothing without an address; a name holding "@" is dropped; a name with a
    // comma after its first character ("Surname, Given") is turned around; with a name the line is
    // name + " <" + address + ">", otherwise the bare address.
    void addNameAndAddress(const QString &name, const QString &address);
    // A field holding several addresses separated by ";": each part trimmed and added bare, empty parts
    // skipped.
    void addSemicolonList(const QString &text);

    qsizetype size() const { return m_lines.size(); }
    bool isEmpty() const { return m_lines.isEmpty(); }
    // The lines in their sorted order.
    QStringList lines() const { return m_lines.values(); }

private:
    // Case-folded line -> the line as first met.
    QMap<QString, QString> m_lines;
};

} // namespace corvane

// A sorted list of rule texts (command words, address exceptions, blocked addresses, failure subjects).
// Items are kept in word order at all times: letter case is ignored and so are hyphens and apostrophes,
// so "Nondeliverable mail" comes before "Non-delivery". Duplicates are kept.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <initializer_list>

namespace corvane {

class RuleList {
public:
    RuleList() = default;
    RuleList(std::initializer_list<QString> items);

    // Replaces the contents with `items`, sorted.
    void setItems(const QStringList &items);
    // Inserts `item` at its sorted place (after any item that compares equal) and returns its index.
    int add(const QString &item);
    // Removes the item at `index`; an index out of range does nothing.
    void removeAt(int index);
    void clear() {
        m_items.clear();
        m_foldedValid = false;
    }

    const QStringList &items() const { return m_items; }
    int size() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }

    // Word order: negative when `a` comes before `b`, 0 only for identical texts, positive otherwise.
    // Levels, each deciding only when the ones before tie: letters compared without case and accents,
    // with blanks and other symbols before digits and digits before letters, hyphens and apostrophes
    // skipped; then accents; then letter case (lower case first); then the text with fewer hyphens and
    // apostrophes first ("coop" before "co-op"); finally the texts code point by code point.
    static int compare(const QString &a, const QString &b);

    // True when an item equals `text` with letter case ignored. A hashed look-up, so that checking an
    // address against a blocked list of any length costs the same; the set is built on the first look-up
    // after a change.
    bool containsIgnoringCase(const QString &text) const;

    bool operator==(const RuleList &other) const { return m_items == other.m_items; }

private:
    QStringList m_items;
    mutable QSet<QString> m_folded;
    mutable bool m_foldedValid = false;
};

} // namespace corvane

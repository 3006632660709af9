// Word-order sorting of rule lists.
#include "settings/RuleList.h"

#include <algorithm>
#include <compare>
#include <numeric>
#include <vector>

namespace corvane {

namespace {

bool isIgnored(char32_t c) {
    return c == U'-' || c == U'\'';
}

// The letter without its accents: canonical decompositions followed down to their first character.
char32_t baseLetter(char32_t c) {
    while (QChar::decompositionTag(c) == QChar::Canonical) {
        const QString parts = QChar::decomposition(c);
        if (parts.isEmpty()) {
            break;
        }
        c = parts.toUcs4().constFirst();
    }
    return c;
}

// Blanks, punctuation and symbols, then digits, then letters.
char32_t characterClass(char32_t c) {
    if (QChar::isLetter(c)) {
        return 2;
    }
    return QChar::isDigit(c) ? 1 : 0;
}

// The comparison levels of one text, computed once so that sorting does not repeat the work.
struct WordKey {
    explicit WordKey(const QString &text) {
        for (const char32_t c : text.toUcs4()) {
            if (isIgnored(c)) {
                ++ignoredCount;
                continue;
            }
            const char32_t folded = QChar::toCaseFolded(c);
            primary.push_back(characterClass(folded) * 0x110000 + baseLetter(folded));
            accented.push_back(folded);
            upperCase.push_back(QChar::isUpper(c) ? 1 : 0);
        }
    }
    std::vector<char32_t> primary;
    std::vector<char32_t> accented;
    std::vector<char32_t> upperCase;
    int ignoredCount = 0;
};

int toInt(std::strong_ordering order) {
    if (order < 0) {
        return -1;
    }
    return order > 0 ? 1 : 0;
}

int levelCompare(const std::vector<char32_t> &a, const std::vector<char32_t> &b) {
    return toInt(std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end()));
}

int compareKeys(const WordKey &ka, const QString &a, const WordKey &kb, const QString &b) {
    if (const int r = levelCompare(ka.primary, kb.primary); r != 0) {
        return r;
    }
    if (const int r = levelCompare(ka.accented, kb.accented); r != 0) {
        return r;
    }
    if (const int r = levelCompare(ka.upperCase, kb.upperCase); r != 0) {
        return r;
    }
    if (ka.ignoredCount != kb.ignoredCount) {
        return ka.ignoredCount < kb.ignoredCount ? -1 : 1;
    }
    const int r = QString::compare(a, b, Qt::CaseSensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

} // namespace

RuleList::RuleList(std::initializer_list<QString> items) {
    setItems(QStringList(items));
}

int RuleList::compare(const QString &a, const QString &b) {
    return compareKeys(WordKey(a), a, WordKey(b), b);
}

void RuleList::setItems(const QStringList &items) {
    std::vector<WordKey> keys;
    keys.reserve(items.size());
    for (const QString &item : items) {
        keys.emplace_back(item);
    }
    std::vector<qsizetype> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype x, qsizetype y) {
        return compareKeys(keys[x], items.at(x), keys[y], items.at(y)) < 0;
    });
    QStringList sorted;
    sorted.reserve(items.size());
    for (const qsizetype i : order) {
        sorted.append(items.at(i));
    }
    m_items = sorted;
    m_foldedValid = false;
}

int RuleList::add(const QString &item) {
    const WordKey key(item);
    const auto place = std::upper_bound(m_items.begin(), m_items.end(), item, [&](const QString &x, const QString &y) {
        return compareKeys(key, x, WordKey(y), y) < 0;
    });
    const auto index = place - m_items.begin();
    m_items.insert(index, item);
    if (m_foldedValid) {
        m_folded.insert(item.toCaseFolded());
    }
    return static_cast<int>(index);
}

void RuleList::removeAt(int index) {
    if (index >= 0 && index < m_items.size()) {
        m_items.removeAt(index);
        m_foldedValid = false;
    }
}

bool RuleList::containsIgnoringCase(const QString &text) const {
    if (!m_foldedValid) {
        m_folded.clear();
        m_folded.reserve(m_items.size());
        for (const QString &item : m_items) {
            m_folded.insert(item.toCaseFolded());
        }
        m_foldedValid = true;
    }
    return m_folded.contains(text.toCaseFolded());
}

} // namespace corvane

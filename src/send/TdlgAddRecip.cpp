// The extra To and CC lists.
#include "send/TdlgAddRecip.h"

#include <algorithm>

namespace corvane {

namespace {

bool before(const QString &a, const QString &b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

bool removeAt(QStringList &list, int index) {
    if (index < 0 || index >= list.size()) {
        return false;
    }
    list.removeAt(index);
    return true;
}

} // namespace

int TdlgAddRecip::insertSorted(QStringList &list, const QString &text) {
    if (text.isEmpty()) {
        return -1;
    }
    const auto at = std::upper_bound(list.begin(), list.end(), text, before);
    const int row = static_cast<int>(at - list.begin());
    list.insert(row, text);
    return row;
}

bool TdlgAddRecip::removeTo(int index) {
    return removeAt(m_to, index);
}

bool TdlgAddRecip::removeCC(int index) {
    return removeAt(m_cc, index);
}

bool TdlgAddRecip::removeToAddress(const QString &address) {
    return removeAt(m_to, static_cast<int>(m_to.indexOf(address)));
}

void TdlgAddRecip::setTo(const QStringList &to) {
    m_to = to;
    std::stable_sort(m_to.begin(), m_to.end(), before);
}

void TdlgAddRecip::clear() {
    m_to.clear();
    m_cc.clear();
}

} // namespace corvane

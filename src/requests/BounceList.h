// The addresses a request scan gathered from delivery-failure reports: sorted without regard to letter case,
// each address once (the first spelling seen is kept), processed after the walk.
#pragma once

#include <QString>
#include <QStringList>
#include <map>

namespace corvane {

class BounceList {
public:
    // Adds `address` unless an address equal to it apart from letter case is already there.
    void add(const QString &address) { m_addresses.try_emplace(address.toLower(), address); }
    // The addresses in sorted order (letter case ignored).
    QStringList addresses() const {
        QStringList out;
        for (const auto &[key, address] : m_addresses)
            out.append(address);
        return out;
    }
    int size() const { return static_cast<int>(m_addresses.size()); }
    void clear() { m_addresses.clear(); }

private:
    std::map<QString, QString> m_addresses;
};

} // namespace corvane

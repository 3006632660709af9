// Asks for an address change with the "Update E-mail Address" dialog.
#pragma once

#include "requests/AddressChangeAsker.h"

class QWidget;

namespace corvane::ui {

class DialogAddressChangeAsker : public AddressChangeAsker {
public:
    explicit DialogAddressChangeAsker(QWidget *parent) : m_parent(parent) {}

    bool ask(QString &oldAddress, QString &newAddress, bool showIgnoreBox, bool &ignoreAllRules) override;

private:
    QWidget *m_parent;
};

} // namespace corvane::ui

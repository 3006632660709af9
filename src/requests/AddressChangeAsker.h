// How the address change asks the person for the old and the new address: the "Update E-mail Address"
// dialog implements it in the desktop program, a fake in the tests.
#pragma once

#include <QString>

namespace corvane {

class AddressChangeAsker {
public:
    virtual ~AddressChangeAsker() = default;

    // Shows both addresses for editing, with the "Ignore All Rules" box shown only when `showIgnoreBox`.
    // True when the person confirmed; the arguments then hold the edited addresses and the box state
    // (false when the box was hidden). False when the person cancelled; the arguments are then undefined.
    virtual bool ask(QString &oldAddress, QString &newAddress, bool showIgnoreBox, bool &ignoreAllRules) = 0;
};

} // namespace corvane

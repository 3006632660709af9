// The address change question answered by the dialog.
#include "requests/ui/DialogAddressChangeAsker.h"

#include "requests/ui/TdlgChangeAddress.h"

namespace corvane::ui {

bool DialogAddressChangeAsker::ask(QString &oldAddress, QString &newAddress, bool showIgnoreBox, bool &ignoreAllRules) {
    return TdlgChangeAddress::ask(m_parent, oldAddress, newAddress, showIgnoreBox, ignoreAllRules);
}

} // namespace corvane::ui

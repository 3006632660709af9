// One mailbox of an address header: the display name (decoded, possibly empty) and the address.
#pragma once

#include <QString>

namespace corvane {

struct MailAddress {
    QString name;
    QString address;
};

} // namespace corvane

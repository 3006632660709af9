// The "Reprocess Entry" form.
#include "requests/Tdlgreprocess.h"

#include "requests/AddressRoutines.h"
#include "settings/Settings.h"

namespace corvane {

Tdlgreprocess::Tdlgreprocess(const Settings &settings, const QString &kind, const QString &address,
                             const QString &lineCategory)
    : add(kind.toUpper() == QLatin1String("ADD")), email(address), category(lineCategory),
      categories(settings.AllowedCategories), reason(reasonFor(address, settings.AddressExceptions.items())) {}

QString Tdlgreprocess::reasonFor(const QString &address, const QStringList &exceptions) {
    const AddressRoutines::Validity validity = AddressRoutines::validemailaddress(address, &exceptions);
    return validity.valid ? QStringLiteral("None") : AddressRoutines::GetEmailErrorCode(validity.code);
}

} // namespace corvane

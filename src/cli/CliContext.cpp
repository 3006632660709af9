// What every corvane-cli command checks before it works on the list.
#include "cli/CliContext.h"

#include "app/Tfrmmain.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"

namespace corvane {

bool CliContext::requireDatabase() const {
    TdmML *dm = main.dataModule();
    if (dm != nullptr && dm->DatabaseLoaded() && dm->tblML().isOpen()) {
        return true;
    }
    fail(QStringLiteral("no mailing list database is open"));
    return false;
}

} // namespace corvane

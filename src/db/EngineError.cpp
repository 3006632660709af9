// Mapping of SQLite result codes onto Corvane's table-engine codes.
#include "db/EngineError.h"

#include "db/DamageNote.h"

#include <sqlite3.h>

namespace corvane {

bool EngineError::isDamage(int code) {
    switch (code) {
    case 8711:
    case 8961:
    case 8962:
    case 8963:
    case 8965:
    case 9217:
    case 9218:
    case 9998:
    case 10023:
    case 10029:
        return true;
    default:
        return false;
    }
}

bool EngineError::isBusy(int sqliteCode) {
    const int primary = sqliteCode & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

int EngineError::codeFor(int sqliteCode) {
    if (sqliteCode == SQLITE_CORRUPT_INDEX) {
        return IndexDamaged;
    }
    switch (sqliteCode & 0xff) {
    case SQLITE_NOTADB:
        return HeaderDamaged;
    case SQLITE_CORRUPT:
        return FileDamaged;
    default:
        return sqliteCode;
    }
}

CorvaneError EngineError::fromConnection(sqlite3 *db, int rc, const QString &context) {
    int code = rc;
    QString text;
    if (db != nullptr) {
        const int extended = sqlite3_extended_errcode(db);
        if ((extended & 0xff) == (rc & 0xff)) {
            code = extended;
        }
        text = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        text = QString::fromUtf8(sqlite3_errstr(rc));
    }
    if (!context.isEmpty()) {
        text += QStringLiteral(" (") + context + QLatin1Char(')');
    }
    const int corvaneCode = codeFor(code);
    if (db != nullptr && isDamage(corvaneCode)) {
        const char *file = sqlite3_db_filename(db, "main");
        if (file != nullptr && *file != '\0') {
            DamageNote::note(QString::fromUtf8(file), text);
        }
    }
    return CorvaneError(text, corvaneCode);
}

CorvaneError EngineError::heldByAnotherUser(const QString &file) {
    return CorvaneError(QStringLiteral("%1 is held by another user").arg(file), HeldByAnotherUser);
}

} // namespace corvane

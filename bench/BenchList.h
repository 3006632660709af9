// The generated list file shared by the export and print benchmarks: `entries` entries with every field
// filled (addresses spread over the alphabet, 13 categories, some empty comments, non-ASCII first names),
// written with a plain connection (no journal, a large page cache) and the indexes built after the rows.
#pragma once

#include "base/LetterCase.h"
#include "db/SqliteDatabase.h"
#include "db/SqliteStatement.h"
#include "db/TableSchema.h"

#include <QFile>
#include <QString>
#include <cstdio>
#include <sqlite3.h>

namespace corvane::bench {

// Writes the list file `file` (which must not exist). False when it cannot be written.
inline bool generateList(const QString &file, int entries) {
    sqlite3 *db = nullptr;
    const auto compare = [](void *, int aSize, const void *a, int bSize, const void *b) {
        return LetterCase::compareUtf8(static_cast<const char *>(a), aSize, static_cast<const char *>(b), bSize);
    };
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK ||
        sqlite3_create_collation_v2(db, SqliteDatabase::CaseCollation, SQLITE_UTF8, nullptr, +compare, nullptr) !=
            SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const QByteArray setup = "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144; BEGIN; " +
                             TableSchema::listTable().createTableSql().toUtf8() + ";";
    bool ok = sqlite3_exec(db, setup.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    {
        SqliteStatement insert(db, QStringLiteral("INSERT INTO tblML (Item, Category, Bounces, Comments, Name, "
                                                  "Salutation, SendRights) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
        for (int i = 0; ok && i < entries; ++i) {
            insert.bindText(1,
                            QStringLiteral("user%1.%2@example%3.com").arg((i * 7919LL) % 1000003).arg(i).arg(i % 97));
            insert.bindText(2, QStringLiteral("list%1").arg(i % 13));
            insert.bindInt(3, i % 5);
            insert.bindText(4, i % 4 == 0 ? QString() : QStringLiteral("Entered %1").arg(i));
            insert.bindText(5, QStringLiteral("Member %1").arg(i % 1000));
            insert.bindText(6, i % 3 == 0 ? QStringLiteral("Zoë") : QStringLiteral("Member"));
            insert.bindInt(7, i % 2);
            insert.execute();
        }
    }
    const QByteArray finish = TableSchema::listTable().createIndexesSql().toUtf8() + " COMMIT;";
    ok = ok && sqlite3_exec(db, finish.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Replaces `file` by a generated list of `entries` entries, saying so; false (and said) when it fails.
inline bool freshList(const QString &file, int entries) {
    QFile::remove(file);
    std::printf("generating %d entries...\n", entries);
    std::fflush(stdout);
    if (!generateList(file, entries)) {
        std::printf("the list file could not be generated\n");
        return false;
    }
    return true;
}

} // namespace corvane::bench

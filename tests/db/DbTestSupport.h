// Helpers shared by the list database tests: filling and walking tables, and a raw SQLite connection that
// plays another copy of the program without waiting for locks.
#pragma once

#include "base/LetterCase.h"
#include "db/SqliteTable.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantList>
#include <sqlite3.h>

namespace corvane::test {

// Appends one list entry per item, with the given categories (cycled) and bounce counts (cycled).
inline void appendEntries(SqliteTable &table, const QStringList &items, const QStringList &categories = {QString()},
                          const QList<int> &bounces = {0}) {
    for (int i = 0; i < items.size(); ++i) {
        table.appendRecord({items.at(i), categories.at(i % categories.size()), bounces.at(i % bounces.size())});
    }
}

// The values of `field` of every row, walking the view from first to end.
inline QVariantList walkField(SqliteTable &table, const QString &field) {
    QVariantList values;
    for (table.first(); !table.eof(); table.next()) {
        values.append(table.field(field));
    }
    return values;
}

inline QStringList walkText(SqliteTable &table, const QString &field) {
    QStringList values;
    for (const QVariant &value : walkField(table, field)) {
        values.append(value.toString());
    }
    return values;
}

// A list table in a fresh file "mailist.DAT" of `dir`, opened as `access`.
inline void openListFile(SqliteTable &table, const QTemporaryDir &dir, SqliteDatabase::Access access) {
    const QString file = dir.filePath(QStringLiteral("mailist.DAT"));
    SqliteDatabase db;
    db.open(file, SqliteDatabase::Access::Shared, true);
    db.exec(TableSchema::listTable().createTableSql() + QLatin1Char(';') + TableSchema::listTable().createIndexesSql());
    db.close();
    table.open(file, access);
}

// Opens `file` on a connection of its own that knows Corvane's collation, as another copy would.
inline int rawOpen(const QString &file, sqlite3 **db) {
    const int rc = sqlite3_open_v2(file.toUtf8().constData(), db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_create_collation_v2(
            *db, SqliteDatabase::CaseCollation, SQLITE_UTF8, nullptr,
            [](void *, int aSize, const void *a, int bSize, const void *b) {
                return LetterCase::compareUtf8(static_cast<const char *>(a), aSize, static_cast<const char *>(b),
                                               bSize);
            },
            nullptr);
    }
    return rc;
}

// Runs `sql` on its own connection to `file`, failing at once on a lock. Returns SQLite's result code.
inline int rawExec(const QString &file, const QString &sql) {
    sqlite3 *db = nullptr;
    int rc = rawOpen(file, &db);
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return rc;
}

// The first column of the first row of `sql` on its own connection, or -1 on failure.
inline qint64 rawQueryInt(const QString &file, const QString &sql) {
    sqlite3 *db = nullptr;
    qint64 result = -1;
    if (rawOpen(file, &db) == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            result = sqlite3_column_int64(statement, 0);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return result;
}

// Every row of `sql` on its own connection to `file`, each as its column values; empty on failure.
inline QList<QVariantList> rawQueryRows(const QString &file, const QString &sql) {
    QList<QVariantList> rows;
    sqlite3 *db = nullptr;
    if (rawOpen(file, &db) == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
                QVariantList row;
                for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                    if (sqlite3_column_type(statement, i) == SQLITE_INTEGER) {
                        row.append(sqlite3_column_int64(statement, i));
                    } else if (sqlite3_column_type(statement, i) == SQLITE_NULL) {
                        row.append(QVariant());
                    } else {
                        row.append(
                            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, i))));
                    }
                }
                rows.append(row);
            }
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

} // namespace corvane::test

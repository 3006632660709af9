// Benchmark of the delimited list export on 1,000,000 entries: exportlist with every field (through the
// navigational table, the progress rules and the flush every 20 entries) against a plain SQLite loop that
// writes the same lines in the same order through stdio. Both files are compared byte for byte. Prints
// entries per second and the ratio. Usage: bench_export [directory for the ~150 MB list and two exports]
#include "base/UserPrompt.h"
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"
#include "listio/ListExport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

using namespace corvane;

namespace {
constexpr int Entries = 1000000;

// A prompt that shows nothing and is never cancelled, as corvane-cli's prompt is when not on a terminal.
class QuietPrompt : public UserPrompt {
public:
    Button message(Kind, const QString &text, Buttons) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return No;
    }
    bool inputText(const QString &, const QString &, QString &) override { return false; }
    void showProgress(int, const QString &, bool) override { ++progressCalls; }
    void hideProgress() override {}
    bool cancelRequested() const override { return false; }
    void setCancelRequested(bool) override {}
    void processEvents() override {}
    void setBusy(bool) override {}
    void beep() override {}
    bool chooseDatabaseDirectory(QString &) override { return false; }
    int progressCalls = 0;
};

double timed(const std::function<void()> &work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Writes the million-entry list file with a plain connection (no journal, a large page cache), the indexes
// built after the rows.
bool generate(const QString &file) {
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(file).constData(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    const QByteArray setup = "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-262144; BEGIN; " +
                             TableSchema::listTable().createTableSql().toUtf8() + ";";
    bool ok = sqlite3_exec(db, setup.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    {
        SqliteStatement insert(db, QStringLiteral("INSERT INTO tblML (Item, Category, Bounces, Comments, Name, "
                                                  "Salutation, SendRights) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"));
        for (int i = 0; ok && i < Entries; ++i) {
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

// The plain loop: one statement in the table's order, the six fields written as they come from SQLite.
qint64 rawExport(SqliteTable &table, const QString &path) {
    SqliteStatement walk(table.database().handle(),
                         QStringLiteral("SELECT Item, Category, Name, Salutation, Comments, Bounces FROM tblML "
                                        "ORDER BY Item, rowid"));
    FILE *out = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (out == nullptr) {
        return -1;
    }
    sqlite3_stmt *statement = walk.handle();
    qint64 rows = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int column = 0; column < 6; ++column) {
            if (column > 0) {
                std::fputc(',', out);
            }
            const unsigned char *text = sqlite3_column_text(statement, column);
            std::fwrite(text, 1, static_cast<size_t>(sqlite3_column_bytes(statement, column)), out);
        }
        std::fwrite("\r\n", 1, 2, out);
        ++rows;
    }
    walk.reset();
    std::fclose(out);
    return rows;
}

QByteArray digest(const QString &path) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result().toHex() : QByteArray();
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();
    const QString listFile = dir + QStringLiteral("/bench_export.DAT");
    const QString apiFile = dir + QStringLiteral("/bench_export_api.csv");
    const QString rawFile = dir + QStringLiteral("/bench_export_raw.csv");
    QFile::remove(listFile);
    std::printf("generating %d entries...\n", Entries);
    std::fflush(stdout);
    if (!generate(listFile)) {
        std::printf("the list file could not be generated\n");
        return 1;
    }

    SqliteTable table(TableSchema::listTable());
    table.open(listFile, SqliteDatabase::Access::Exclusive);
    table.setIndexFieldNames(QStringLiteral("Item"));
    QuietPrompt prompt;
    ListExport run(prompt, table);
    bool ok = true;
    qint64 rawRows = 0;
    // Alternating runs, the shorter of two of each, so that neither profits from a warmer cache alone.
    double api = timed([&] { ok = run.exportlist(apiFile, QString(), ExportFields{}, false, QStringLiteral(",")); });
    double raw = timed([&] { rawRows = rawExport(table, rawFile); });
    api = std::min(api, timed([&] { ok = ok && run.exportlist(apiFile, QString(), ExportFields{}, false, ","); }));
    raw = std::min(raw, timed([&] { rawRows = rawExport(table, rawFile); }));

    const bool same = digest(apiFile) == digest(rawFile) && !digest(apiFile).isEmpty();
    std::printf("export of %d entries, every field, Item order (letter case ignored)\n", Entries);
    std::printf("    exportlist   %10.0f entries/s  (%.2f s, %d progress calls)\n", Entries / api, api,
                prompt.progressCalls / 2);
    std::printf("    plain SQLite %10.0f entries/s  (%.2f s)\n", static_cast<double>(rawRows) / raw, raw);
    std::printf("    ratio %3.0f%%   files %s   exportlist %s\n", 100.0 * raw / api, same ? "identical" : "DIFFER",
                ok ? "succeeded" : "FAILED");
    std::printf("    file size %lld bytes\n", static_cast<long long>(QFile(apiFile).size()));
    QFile::remove(apiFile);
    QFile::remove(rawFile);
    QFile::remove(listFile);
    return ok && same ? 0 : 1;
}

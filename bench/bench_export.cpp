// Benchmark of the delimited list export on 1,000,000 entries: exportlist with every field (through the
// navigational table, the progress rules and the flush every 20 entries) against a plain SQLite loop that
// writes the same lines in the same order through stdio. Both files are compared byte for byte. The two sides
// alternate over the rounds; prints entries per second of each and min / median / max of the ratio.
// Usage: bench_export [directory for the ~150 MB list and two exports] [rounds]
#include "BenchList.h"
#include "BenchRounds.h"
#include "base/UserPrompt.h"
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"
#include "listio/ListExport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>

using namespace corvane;
using namespace corvane::bench;

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
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (!freshList(listFile, Entries)) {
        return 1;
    }

    SqliteTable table(TableSchema::listTable());
    table.open(listFile, SqliteDatabase::Access::Exclusive);
    table.setIndexFieldNames(QStringLiteral("Item"));
    QuietPrompt prompt;
    ListExport run(prompt, table);
    bool ok = true;
    qint64 rawRows = 0;
    const auto times = alternate(
        rounds, {[&] { ok = run.exportlist(apiFile, QString(), ExportFields{}, false, QStringLiteral(",")) && ok; },
                 [&] { rawRows = rawExport(table, rawFile); }});

    const bool same = digest(apiFile) == digest(rawFile) && !digest(apiFile).isEmpty();
    std::printf("export of %d entries, every field, Item order (letter case ignored), %d rounds\n", Entries, rounds);
    printSpread("exportlist (entries/s)", rates(times[0], Entries), "");
    printSpread("plain SQLite (entries/s)", rates(times[1], static_cast<double>(rawRows)), "");
    printSpread("exportlist / plain SQLite (%)", ratios(times[1], times[0]), "%", 100);
    std::printf("  files %s, exportlist %s, file size %lld bytes, %d progress calls per run\n",
                same ? "identical" : "DIFFER", ok ? "succeeded" : "FAILED",
                static_cast<long long>(QFile(apiFile).size()), prompt.progressCalls / rounds);
    QFile::remove(apiFile);
    QFile::remove(rawFile);
    QFile::remove(listFile);
    return ok && same ? 0 : 1;
}

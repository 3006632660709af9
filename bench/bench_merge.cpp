// Benchmark of "Merge All Categories/Remove All Duplicates" on a list of 100,000 entries in five
// categories, 70,000 distinct addresses: 30% of the entries repeat an address of another category (some
// of them already in "Default"), and 1% of the repeats differ only in letter case (kept as distinct).
// The database is opened exclusively, as by default. Also times a search that finds nothing (the worst
// case of "Find Record") on the merged list. Prints the time and entries per second.
// Usage: bench_merge [number of entries]
#include "base/AppPaths.h"
#include "base/UserPrompt.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "listio/ListMaintenance.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

using namespace corvane;

namespace {

// Answers every question with its first positive button and counts the progress calls.
class SilentPrompt : public UserPrompt {
public:
    Button message(Kind, const QString &text, Buttons buttons) override {
        std::printf("  prompt: %s\n", qPrintable(text));
        return buttons.testFlag(Yes) ? Yes : Ok;
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
    qint64 progressCalls = 0;
};

const char *const kCategories[] = {"News", "Sport", "Work", "Friends", "Default"};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 100000;
    const int distinct = entries * 7 / 10;
    QTemporaryDir tmp;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp.filePath(QStringLiteral("config")));
    AppPaths::setApplicationDirectory(tmp.filePath(QStringLiteral("app")) + QLatin1Char('/'));

    SilentPrompt prompt;
    TdmML dm(prompt);
    dm.dmMLCreate();
    if (!dm.DatabaseLoaded()) {
        std::printf("no database could be created\n");
        return 1;
    }
    SqliteTable &table = dm.tblML();
    QElapsedTimer timer;
    timer.start();
    table.lockTable();
    for (int k = 0; k < entries; ++k) {
        const bool repeat = k >= distinct;
        const int id = repeat ? static_cast<int>((static_cast<qint64>(k) * 7919) % distinct) : k;
        QString address = QStringLiteral("member%1@example%2.org").arg(id).arg(id % 53);
        if (repeat && k % 100 == 0) {
            address = address.toUpper();
        }
        table.appendRecord({address, QString::fromLatin1(kCategories[(k * 31 + (repeat ? 1 : 0)) % 5]), k % 4,
                            QStringLiteral("comment"), QStringLiteral("Full Name"), QStringLiteral("First"), k % 2});
    }
    table.unlockTable();
    table.setIndexFieldNames(QStringLiteral("Item"));
    std::printf("list of %d entries (%d distinct addresses) built in %.2f s\n", entries, distinct,
                static_cast<double>(timer.nsecsElapsed()) / 1e9);

    Settings settings;
    ListMaintenance maintenance(dm, settings, prompt);
    timer.restart();
    const ListMaintenance::Outcome outcome = maintenance.MergeCategories(false);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("merge: %.2f s, %.0f entries/s, %d duplicates removed, %lld entries left, %lld progress calls, %s\n",
                seconds, entries / seconds, maintenance.deletedCount(), static_cast<long long>(table.recordCount()),
                static_cast<long long>(prompt.progressCalls),
                outcome == ListMaintenance::Outcome::Completed ? "completed" : "NOT completed");

    timer.restart();
    const auto found = maintenance.Find({{true, QStringLiteral("E-mail"), QStringLiteral("nobody")}}, true, true);
    const double findSeconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::printf("find with no match over %lld entries: %.2f s, %.0f entries/s%s\n",
                static_cast<long long>(table.recordCount()), findSeconds,
                static_cast<double>(table.recordCount()) / findSeconds, found ? " (unexpectedly found)" : "");
    dm.CloseDatabase();
    AppPaths::setApplicationDirectory(QString());
    return 0;
}

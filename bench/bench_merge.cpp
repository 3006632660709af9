// Benchmark of "Merge All Categories/Remove All Duplicates" on a list of 100,000 entries in five
// categories, 70,000 distinct addresses: 30% of the entries repeat an address of another category (some
// of them already in "Default"), and 1% of the repeats differ only in letter case (kept as distinct).
// The database is opened exclusively, as by default. The reference is a plain SQLite loop doing the same
// steps per entry (marker, exact look-up in "Default", delete or move) with prepared statements in one
// transaction, on a copy of the same list with the same pragmas. The two sides alternate over rounds, each
// on a fresh copy; prints entries per second and min / median / max of the ratio. Also times a search that
// finds nothing (the worst case of "Find Record") on the merged list.
// Usage: bench_merge [number of entries] [rounds]
#include "base/AppPaths.h"
#include "base/UserPrompt.h"
#include "db/SqliteStatement.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "listio/ListMaintenance.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
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

// The plain loop over the list file `file`: the same per-entry steps as the merge, one transaction.
double plainMerge(const QString &file, int &deleted) {
    SqliteDatabase db;
    db.open(file, SqliteDatabase::Access::Exclusive, false);
    QElapsedTimer timer;
    timer.start();
    db.begin();
    SqliteStatement walk(db.handle(), QStringLiteral("SELECT rowid, Item FROM tblML ORDER BY rowid"));
    QList<std::pair<qint64, QString>> entries;
    while (walk.step()) {
        entries.append({walk.columnInt(0), walk.columnText(1)});
    }
    walk.reset();
    SqliteStatement set(db.handle(), QStringLiteral("UPDATE tblML SET Category = ?2 WHERE rowid = ?1"));
    SqliteStatement find(db.handle(), QStringLiteral("SELECT 1 FROM tblML WHERE Item = ?1 AND Item = ?1 COLLATE "
                                                     "BINARY AND Category = 'Default' COLLATE BINARY LIMIT 1"));
    SqliteStatement remove(db.handle(), QStringLiteral("DELETE FROM tblML WHERE rowid = ?1"));
    deleted = 0;
    for (const auto &[rowid, item] : std::as_const(entries)) {
        set.bindInt(1, rowid);
        set.bindText(2, QStringLiteral("Z_z_Z_z"));
        set.execute();
        find.bindText(1, item);
        const bool found = find.step();
        find.reset();
        if (found) {
            remove.bindInt(1, rowid);
            remove.execute();
            ++deleted;
        } else {
            set.bindInt(1, rowid);
            set.bindText(2, QStringLiteral("Default"));
            set.execute();
        }
    }
    db.commit();
    db.flush();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

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

    const int rounds = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 3;
    dm.SaveDatabase();
    QList<double> ratios;
    QList<double> corvaneRates;
    QList<double> plainRates;
    int corvaneDeleted = 0;
    int plainDeleted = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString copyDir = tmp.filePath(QStringLiteral("round%1/").arg(round));
        QDir().mkpath(copyDir + QStringLiteral("corvane"));
        QDir().mkpath(copyDir + QStringLiteral("plain"));
        for (const char *side : {"corvane", "plain"}) {
            table.database().exec(QStringLiteral("VACUUM INTO '%1/%2/mailist.DAT'").arg(copyDir, QLatin1String(side)));
            dm.tblStats().database().exec(
                QStringLiteral("VACUUM INTO '%1/%2/mailstat.DAT'").arg(copyDir, QLatin1String(side)));
        }
        double corvaneSeconds = 0;
        double plainSeconds = 0;
        const auto runCorvane = [&] {
            TdmML copy(prompt);
            copy.OpenDatabase(copyDir + QStringLiteral("corvane"));
            Settings settings;
            ListMaintenance maintenance(copy, settings, prompt);
            QElapsedTimer merge;
            merge.start();
            if (maintenance.MergeCategories(false) != ListMaintenance::Outcome::Completed) {
                std::printf("the merge did not complete\n");
            }
            corvaneSeconds = static_cast<double>(merge.nsecsElapsed()) / 1e9;
            corvaneDeleted = maintenance.deletedCount();
            copy.CloseDatabase();
        };
        const auto runPlain = [&] {
            plainSeconds = plainMerge(copyDir + QStringLiteral("plain/mailist.DAT"), plainDeleted);
        };
        if (round % 2 == 0) {
            runCorvane();
            runPlain();
        } else {
            runPlain();
            runCorvane();
        }
        corvaneRates.append(entries / corvaneSeconds);
        plainRates.append(entries / plainSeconds);
        ratios.append(plainSeconds / corvaneSeconds);
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(corvaneRates.begin(), corvaneRates.end());
    std::sort(plainRates.begin(), plainRates.end());
    std::printf("merge, %d rounds: Corvane median %.0f entries/s (%d duplicates removed), plain loop median %.0f "
                "entries/s (%d removed)\n  Corvane / plain loop: min %.0f%% median %.0f%% max %.0f%%\n",
                rounds, corvaneRates.at(rounds / 2), corvaneDeleted, plainRates.at(rounds / 2), plainDeleted,
                100 * ratios.first(), 100 * ratios.at(rounds / 2), 100 * ratios.last());

    Settings settings;
    ListMaintenance maintenance(dm, settings, prompt);
    maintenance.MergeCategories(false);
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

// Benchmark of what every corvane-cli request pays for opening the list: `corvane-cli add` on a list of
// 1,000,000 entries against the same command on a list of 100 entries, as whole processes, alternating
// the two sides over several rounds. Prints the times and min / median / max of the ratio (the aim is at
// most 2). Usage: bench_cli_open [path of corvane-cli] [rounds]
#include "db/SqliteTable.h"
#include "db/TableSchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace corvane;

namespace {
// Creates the database of `dir` through corvane-cli, then fills its list with `count` entries in one pass.
bool makeList(const QString &cli, const QString &dir, int count) {
    QProcess create;
    create.start(cli, {QStringLiteral("--home"), dir, QStringLiteral("--yes"), QStringLiteral("info")});
    if (!create.waitForFinished(60000) || create.exitCode() != 0) {
        std::fprintf(stderr, "corvane-cli info failed: %s\n", create.readAllStandardError().constData());
        return false;
    }
    SqliteTable table(TableSchema::listTable());
    table.open(dir + QStringLiteral("/mailist.DAT"), SqliteDatabase::Access::Exclusive);
    table.lockTable();
    for (int i = 0; i < count; ++i) {
        table.appendRecord({QStringLiteral("member%1@example%2.org").arg(i).arg(i % 97), QStringLiteral("news"), 0,
                            QString(), QStringLiteral("Member %1").arg(i), QStringLiteral("M"), true});
    }
    table.unlockTable();
    table.close();
    return true;
}

// Seconds one `corvane-cli add` of `address` takes on `dir`; negative when it fails.
double addOnce(const QString &cli, const QString &dir, const QString &address) {
    QProcess add;
    QElapsedTimer timer;
    timer.start();
    add.start(cli, {QStringLiteral("--home"), dir, QStringLiteral("add"), address});
    if (!add.waitForFinished(120000) || add.exitCode() != 0) {
        std::fprintf(stderr, "corvane-cli add failed: %s\n", add.readAllStandardError().constData());
        return -1;
    }
    return timer.nsecsElapsed() / 1e9;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QString cli = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                 : QCoreApplication::applicationDirPath() + QStringLiteral("/../src/corvane-cli");
    const int rounds = argc > 2 ? std::max(3, std::atoi(argv[2])) : 7;
    QTemporaryDir work;
    qputenv("XDG_CONFIG_HOME", (work.path() + QStringLiteral("/config")).toLocal8Bit());
    const QString small = work.path() + QStringLiteral("/small");
    const QString large = work.path() + QStringLiteral("/large");
    QDir().mkpath(small);
    QDir().mkpath(large);
    if (!makeList(cli, small, 100) || !makeList(cli, large, 1000000)) {
        return 1;
    }
    QList<double> smallTimes;
    QList<double> largeTimes;
    QList<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        const QString address = QStringLiteral("new%1@example.net").arg(round);
        const double s = addOnce(cli, small, address);
        const double l = addOnce(cli, large, address);
        if (s <= 0 || l <= 0) {
            return 1;
        }
        smallTimes.append(s);
        largeTimes.append(l);
        ratios.append(l / s);
    }
    std::sort(smallTimes.begin(), smallTimes.end());
    std::sort(largeTimes.begin(), largeTimes.end());
    std::sort(ratios.begin(), ratios.end());
    const int mid = rounds / 2;
    std::printf("corvane-cli add, %d rounds\n  100 entries:       min %.3f s median %.3f s max %.3f s\n"
                "  1,000,000 entries: min %.3f s median %.3f s max %.3f s\n"
                "  ratio large/small: min %.2f median %.2f max %.2f\n",
                rounds, smallTimes.first(), smallTimes.at(mid), smallTimes.last(), largeTimes.first(),
                largeTimes.at(mid), largeTimes.last(), ratios.first(), ratios.at(mid), ratios.last());
    return 0;
}

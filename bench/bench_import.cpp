// Importing single-column address files through Importfile into an empty list, against calling insertentry
// for the same number of addresses into a second empty list in the same process. The addresses are split into
// rounds; each round imports one file (read as a stream) into the first list, then adds as many addresses
// through insertentry to the second, so that other load on the machine falls on both alike. Prints the rate of
// each side per round, the min / median / max of their ratio over the rounds, and the peak resident memory.
//
// Usage: bench_import [addresses] [rounds]   (defaults 1000000 and 4)
#include "BenchPrompt.h"
#include "BenchRounds.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"
#include "listio/ImportLines.h"
#include "listio/ListImport.h"
#include "requests/EntryRules.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace corvane;

namespace {

struct List {
    std::unique_ptr<TdmML> dm;
    std::unique_ptr<ActivityLog> log;
    std::unique_ptr<EntryRules> rules;
};

bool openList(List &list, BenchPrompt &prompt, Settings &settings, ErrorsList &errors, Acknowledger &ack,
              const QString &dir) {
    QDir().mkpath(dir);
    list.dm = std::make_unique<TdmML>(prompt);
    list.dm->OpenDatabase(dir);
    if (!list.dm->DatabaseLoaded()) {
        return false;
    }
    list.log = std::make_unique<ActivityLog>(settings);
    list.rules = std::make_unique<EntryRules>(list.dm->tblML(), settings, *list.log, errors, prompt, ack);
    return true;
}

QString address(qint64 i) {
    return QStringLiteral("member%1.reader@new-members.example.org").arg(i);
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1'000'000;
    const int rounds = std::max(1, argc > 2 ? QByteArray(argv[2]).toInt() : 4);
    const qint64 perRound = total / rounds;

    QTemporaryDir work(QDir::currentPath() + QStringLiteral("/bench_import-XXXXXX"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path() + QStringLiteral("/settings"));
    AppPaths::setApplicationDirectory(work.path() + QStringLiteral("/home"));

    BenchPrompt prompt(QStringLiteral("Processing of "));
    Settings settings;
    settings.MaintainLog = true;
    ErrorsList errors;
    Acknowledger ack;
    List imported;
    List direct;
    if (!openList(imported, prompt, settings, errors, ack, work.path() + QStringLiteral("/import")) ||
        !openList(direct, prompt, settings, errors, ack, work.path() + QStringLiteral("/direct"))) {
        std::printf("the list databases could not be created\n");
        return 1;
    }
    std::printf("peak resident memory before the runs: %.0f MB\n", bench::peakResidentMb());
    QElapsedTimer timer;

    // The whole file at once, read through the import's line source: what the import holds of it.
    {
        const QString whole = work.path() + QStringLiteral("/whole.txt");
        QFile file(whole);
        if (!file.open(QIODevice::WriteOnly)) {
            std::printf("cannot write %s\n", qPrintable(whole));
            return 1;
        }
        for (qint64 i = 0; i < total; ++i) {
            file.write((address(i) + QStringLiteral("\r\n")).toUtf8());
        }
        file.close();
        timer.start();
        ImportLines lines = ImportLines::fromFile(whole);
        QString line;
        qint64 read = 0;
        while (lines.next(line)) {
            ++read;
        }
        std::printf("line source: %lld of %lld lines read in %.1f s; peak resident memory %.0f MB\n",
                    static_cast<long long>(read), static_cast<long long>(lines.count()),
                    double(timer.nsecsElapsed()) / 1e9, bench::peakResidentMb());
        QFile::remove(whole);
    }

    std::vector<double> ratios;
    qint64 importNs = 0;
    qint64 directNs = 0;
    for (int round = 0; round < rounds; ++round) {
        const qint64 first = round * perRound;
        const QString path = work.path() + QStringLiteral("/round%1.txt").arg(round);
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly)) {
                std::printf("cannot write %s\n", qPrintable(path));
                return 1;
            }
            for (qint64 i = first; i < first + perRound; ++i) {
                file.write((address(i) + QStringLiteral("\r\n")).toUtf8());
            }
        }
        timer.start();
        ImportLines lines = ImportLines::fromFile(path);
        ListImport run(*imported.rules, prompt);
        const qint64 done =
            run.Importfile(lines, true, true, ListImport::singleColumnPrefix(path), QStringLiteral("News"), false);
        const qint64 importTime = timer.nsecsElapsed();
        timer.start();
        const QString comment = ListImport::singleColumnPrefix(path);
        for (qint64 i = first; i < first + perRound; ++i) {
            direct.rules->insertentry(true, address(i + total), QStringLiteral("News"), QString(), QString(), comment,
                                      0, false, false);
        }
        const qint64 directTime = timer.nsecsElapsed();
        importNs += importTime;
        directNs += directTime;
        const double importRate = done / (double(importTime) / 1e9);
        const double directRate = perRound / (double(directTime) / 1e9);
        ratios.push_back(importRate / directRate);
        std::printf("round %d: Importfile %.0f entries/s, insertentry %.0f entries/s, ratio %.0f%%\n", round + 1,
                    importRate, directRate, 100 * importRate / directRate);
        QFile::remove(path);
    }
    std::printf("entries: %lld imported, %lld through insertentry\n",
                static_cast<long long>(imported.dm->tblML().recordCount()),
                static_cast<long long>(direct.dm->tblML().recordCount()));
    std::printf("Importfile: %.0f entries/s; insertentry: %.0f entries/s\n",
                rounds * perRound / (double(importNs) / 1e9), rounds * perRound / (double(directNs) / 1e9));
    std::printf("Importfile / insertentry over %d rounds: min %.0f%%, median %.0f%%, max %.0f%%\n", rounds,
                100 * *std::min_element(ratios.begin(), ratios.end()), 100 * bench::spread(ratios).median,
                100 * *std::max_element(ratios.begin(), ratios.end()));
    std::printf("peak resident memory: %.0f MB\n", bench::peakResidentMb());
    return 0;
}

// Speed of the request scan: a folder of subscribe requests (a command line with an address in each body) is
// scanned into a list that already holds a million entries, acknowledgements off, messages marked read. In the
// same run and on the same messages and list, the two halves of that work are timed on their own: reading every
// message through the mail store (subject, sender name and address, plain body: the maildir-read benchmark's
// work) and adding as many new addresses through insertentry (the insertentry benchmark's work). The scan is
// their sum, so its rate is compared with the slower of the two. The three take turns over several rounds, each
// round on a fresh folder and fresh addresses; prints each round and min / median / max of the ratio.
//
// Usage: bench_scan [rounds] [messages per round] [existing entries]   (defaults 5, 10000, 1000000)
#include "BenchMaildir.h"
#include "BenchPrompt.h"
#include "BenchRounds.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"
#include "mailstore/MailFolder.h"
#include "mailstore/MailItems.h"
#include "mailstore/MailNamespace.h"
#include "mailstore/MailStoreApplication.h"
#include "requests/EntryRules.h"
#include "requests/PromptSenderMethodAsker.h"
#include "requests/TfrmExtractentries.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace corvane;

namespace {

QString fillSql(qint64 count) {
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                          "INSERT INTO tblML (Item, Category, Bounces, Comments, Name, Salutation, SendRights) "
                          "SELECT 'member' || i || '@list.example.com', 'Cat' || (i % 20), 0, 'imported', "
                          "'Member ' || i, 'Member', 1 FROM n")
        .arg(count);
}

// Writes `count` subscribe requests of round `round` as new messages of the Maildir folder `dir` (emptied first).
bool writeRequests(const QString &dir, int round, int count) {
    QDir(dir).removeRecursively();
    for (const char *sub : {"new", "cur", "tmp"}) {
        if (!QDir().mkpath(dir + QLatin1Char('/') + QLatin1String(sub)))
            return false;
    }
    QFile marker(dir + QStringLiteral("/maildirfolder"));
    if (!marker.open(QIODevice::WriteOnly))
        return false;
    for (int i = 0; i < count; ++i) {
        const QByteArray text = QStringLiteral("Return-Path: <reader%1.%2@readers.example.net>\r\n"
                                               "Received: from mx.readers.example.net by mail.list.example.com\r\n"
                                               "From: Reader %2 <reader%1.%2@readers.example.net>\r\n"
                                               "To: list@list.example.com\r\nSubject: Subscription request\r\n"
                                               "Date: Tue, 12 Mar 2024 10:15:00 +0000\r\n"
                                               "Message-ID: <r%1.%2@readers.example.net>\r\nMIME-Version: 1.0\r\n"
                                               "Content-Type: text/plain; charset=utf-8\r\n\r\n"
                                               "subscribe new%1.%2@readers.example.net News\r\n\r\nThanks,\r\n"
                                               "Reader %2\r\n")
                                    .arg(round)
                                    .arg(i)
                                    .toUtf8();
        QFile file(dir + QStringLiteral("/new/%1.M%2P1.bench").arg(1700000000 + i).arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            return false;
    }
    return true;
}

// CPU time of the process in seconds: on a machine shared with other work the wall-clock rates vary with the
// load, the CPU-time rates much less.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Times `work` over `count` items: items per second of wall-clock and of CPU time.
template <typename Work> std::pair<double, double> rates(int count, Work work) {
    QElapsedTimer timer;
    const double cpu = cpuSeconds();
    timer.start();
    work();
    const double wall = double(timer.nsecsElapsed()) / 1e9;
    return {count / wall, count / std::max(1e-9, cpuSeconds() - cpu)};
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 5;
    const int messages = argc > 2 ? std::max(1, QByteArray(argv[2]).toInt()) : 10'000;
    const qint64 existing = argc > 3 ? QByteArray(argv[3]).toLongLong() : 1'000'000;

    QTemporaryDir work(QDir::currentPath() + QStringLiteral("/bench_scan-XXXXXX"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path() + QStringLiteral("/settings"));
    AppPaths::setApplicationDirectory(work.path() + QStringLiteral("/home"));
    const QString mail = work.path() + QStringLiteral("/Mail");
    for (const char *sub : {"db", "Mail/new", "Mail/cur", "Mail/tmp"})
        QDir().mkpath(work.path() + QLatin1Char('/') + QLatin1String(sub));

    BenchPrompt prompt;
    TdmML dm(prompt);
    dm.OpenDatabase(work.path() + QStringLiteral("/db"));
    if (!dm.DatabaseLoaded()) {
        std::printf("the list database could not be created\n");
        return 1;
    }
    SqliteTable &table = dm.tblML();
    table.database().exec(QStringLiteral("BEGIN;") + fillSql(existing) + QStringLiteral("; COMMIT;"));
    table.first();
    std::printf("list database: %lld entries; %d rounds of %d requests\n", static_cast<long long>(table.recordCount()),
                rounds, messages);

    Settings settings;
    settings.MaintainLog = true;
    settings.MailStore = mail;
    settings.ProcessAsUnread = {true, false};
    settings.SendAcknowledgement = false;
    ActivityLog log(settings);
    ErrorsList errors;
    Acknowledger acknowledger;
    EntryRules rules(table, settings, log, errors, prompt, acknowledger);
    PromptSenderMethodAsker asker(prompt);

    std::vector<double> wallRatios;
    std::vector<double> cpuRatios;
    for (int round = 0; round < rounds; ++round) {
        if (!writeRequests(mail + QStringLiteral("/.MailingList"), round, messages)) {
            std::printf("the requests could not be written\n");
            return 1;
        }
        qsizetype bytes = 0;
        // Reading first leaves the folder unread for the scan.
        const auto read = rates(messages, [&] {
            const MailStoreApplication store(mail);
            const MailFolder folder =
                store.GetNameSpace(QStringLiteral("MAPI")).Folders(1).Folders(QStringLiteral("MailingList"));
            bytes += bench::readItems(folder.Items(), true).characters;
        });
        const auto insertAll = [&] {
            for (int i = 0; i < messages; ++i)
                rules.insertentry(true, QStringLiteral("added%1.%2@readers.example.net").arg(round).arg(i),
                                  QStringLiteral("News"), QString(), QString(), QStringLiteral("bench"), 0, false,
                                  false);
        };
        TfrmExtractentries::Summary summary;
        const auto scanAll = [&] {
            TfrmExtractentries scan(settings, rules, &dm.tblStats(), prompt, asker);
            summary = scan.OpenBtnClick(true, false);
        };
        // The order of scan and insertion alternates from round to round.
        std::pair<double, double> scanned;
        std::pair<double, double> inserted;
        if (round % 2 == 0) {
            scanned = rates(messages, scanAll);
            inserted = rates(messages, insertAll);
        } else {
            inserted = rates(messages, insertAll);
            scanned = rates(messages, scanAll);
        }
        if (summary.handled != messages || bytes == 0) {
            std::printf("round %d: the scan handled %d of %d requests\n", round + 1, summary.handled, messages);
            return 1;
        }
        wallRatios.push_back(scanned.first / std::min(read.first, inserted.first));
        cpuRatios.push_back(scanned.second / std::min(read.second, inserted.second));
        std::printf("round %d: scan %.0f msg/s (CPU %.0f), maildir read %.0f msg/s (CPU %.0f), insertentry %.0f/s "
                    "(CPU %.0f); scan / slower %.0f%% (CPU %.0f%%)\n",
                    round + 1, scanned.first, scanned.second, read.first, read.second, inserted.first, inserted.second,
                    100 * wallRatios.back(), 100 * cpuRatios.back());
    }
    for (const auto &[name, ratios] : {std::pair{"wall-clock", wallRatios}, std::pair{"CPU time", cpuRatios}}) {
        std::printf("scan / slower of read and insertentry, %s: min %.0f%%, median %.0f%%, max %.0f%% (target 50%%)\n",
                    name, 100 * *std::min_element(ratios.begin(), ratios.end()), 100 * bench::spread(ratios).median,
                    100 * *std::max_element(ratios.begin(), ratios.end()));
    }
    std::printf("list database now: %lld entries\n", static_cast<long long>(table.recordCount()));
    return 0;
}

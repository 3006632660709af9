// Speed of harvesting addresses from message bodies: the benchmark folder of 10,000 generated messages (see
// BenchMaildir.h) read by the mail-store harvest with only "Message Body " ticked, against reading the
// subject, sender and plain body of every message through the mail store as the request scan does, in the same
// run. The two sides alternate over the rounds (after one warming pass of each); prints messages per second of
// each side per round and min / median / max of the ratio harvest / read. Target: at least 70%. The generated
// bodies hold no addresses, so a second harvest with all three ticks (senders by the sender-address property,
// recipients, bodies), which finds a line for nearly every message, is timed beside it.
//
// Usage: bench_harvest [rounds] [messages]
#include "BenchMaildir.h"
#include "BenchPrompt.h"
#include "BenchRounds.h"
#include "base/CorvaneError.h"
#include "listio/OutlookHarvest.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailStoreApplication.h"
#include "requests/SenderMethodAsker.h"
#include "settings/Settings.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace corvane;

namespace {

class NeverAsked : public SenderMethodAsker {
public:
    bool ask(const QString &, bool &alwaysShow) override {
        alwaysShow = false;
        return false;
    }
};

// Messages per second reading subject, sender and body of every message; `characters` keeps the work alive.
double readRate(const QString &root, qint64 &characters) {
    bench::ReadResult read;
    const double took = bench::seconds([&] { read = bench::readInbox(root); });
    characters += read.characters;
    return read.messages / took;
}

// Messages per second harvesting the bodies; `found` receives the number of lines found.
double harvestRate(Settings &settings, UserPrompt &prompt, const OutlookHarvest::Options &options, qsizetype &found) {
    NeverAsked asker;
    QElapsedTimer timer;
    timer.start();
    OutlookHarvest harvest(settings, prompt, asker);
    const OutlookHarvest::Result result = harvest.ProcessSelectedFolder({QStringLiteral("Inbox")}, false, options);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    found = result.lines.size();
    return result.items / seconds;
}

} // namespace

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10'000;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    const QString root = dir.path() + QStringLiteral("/Mail");
    const qint64 bytes = bench::buildMaildir(root, count);
    std::printf("maildir: %d messages, %.1f MB\n", count, double(bytes) / 1e6);

    Settings settings;
    settings.MailStore = root;
    settings.GetSenderAddressMethod = 5;
    BenchPrompt prompt;
    qint64 characters = 0;
    qsizetype found = 0;
    qsizetype foundAll = 0;
    const OutlookHarvest::Options bodies{false, false, true};
    const OutlookHarvest::Options all{true, true, true};
    readRate(root, characters);
    harvestRate(settings, prompt, bodies, found);
    std::vector<double> ratios;
    std::vector<double> ratiosAll;
    for (int round = 0; round < rounds; ++round) {
        double read = 0;
        double harvest = 0;
        double harvestAll = 0;
        // Alternate which side runs first, so that neither always finds the caches as the other left them.
        if (round % 2 == 0) {
            read = readRate(root, characters);
            harvest = harvestRate(settings, prompt, bodies, found);
            harvestAll = harvestRate(settings, prompt, all, foundAll);
        } else {
            harvestAll = harvestRate(settings, prompt, all, foundAll);
            harvest = harvestRate(settings, prompt, bodies, found);
            read = readRate(root, characters);
        }
        ratios.push_back(harvest / read);
        ratiosAll.push_back(harvestAll / read);
        std::printf("round %d: read %.0f messages/s, bodies %.0f messages/s (%lld lines, %.1f%%), all ticks %.0f "
                    "messages/s (%lld lines, %.1f%%)\n",
                    round + 1, read, harvest, static_cast<long long>(found), 100.0 * harvest / read, harvestAll,
                    static_cast<long long>(foundAll), 100.0 * harvestAll / read);
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(ratiosAll.begin(), ratiosAll.end());
    std::printf("bodies / read: min %.1f%%, median %.1f%%, max %.1f%% (target at least 70%%)\n", 100.0 * ratios.front(),
                100.0 * ratios[ratios.size() / 2], 100.0 * ratios.back());
    std::printf("all ticks / read: min %.1f%%, median %.1f%%, max %.1f%% (%lld characters read)\n",
                100.0 * ratiosAll.front(), 100.0 * ratiosAll[ratiosAll.size() / 2], 100.0 * ratiosAll.back(),
                static_cast<long long>(characters));
    return 0;
}

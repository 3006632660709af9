// Reading speed of the mail store: builds a Maildir of 10,000 generated messages in a temporary directory (plain
// text, multipart/alternative with quoted-printable, base64 bodies, encoded-word subjects and names, ISO-8859-1,
// HTML only, a few attachments; 1 KB to about 30 KB each) and times reading the subject, the sender's name and
// address and the plain body of every message through the public mail-store API, as the request scan does,
// against a plain read of the same files (each read whole, its Subject and From lines found, nothing decoded).
// Prints messages per second for the first pass in the process (cold: vmime and caches not yet warmed; the files
// are in the system's file cache since they were just written), then the two sides alternating over the rounds:
// min / median / max of each side's rate and of the ratio Corvane / plain read.
//
// Usage: bench_maildir_read [rounds] [messages] [directory]; the messages are generated from a fixed seed, so runs
// compare. With a directory (which must not exist yet), the Maildir is built there and kept for inspection.
//
// bench_maildir_read hostile [rounds]: times, in processor seconds (min / median / max over the rounds), the body,
// the header fields and the forward of messages built to make the reader slow: deep nesting, millions of header
// lines, many parts whose boundary never closes, each up to the 64 MB limit, beside a plain 60 MB message.
#include "BenchMaildir.h"
#include "BenchRounds.h"
#include "base/CorvaneError.h"
#include "mailstore/MailFolders.h"
#include "mailstore/MailStoreApplication.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

using namespace corvane;
using corvane::bench::buildMaildir;

namespace {

constexpr int kDefaultMessages = 10'000;
constexpr int kDefaultRounds = 5;

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

QByteArray nestedHostile(int depth, qsizetype textBytes) {
    QByteArray head = "From: deep@example.org\nSubject: deep\n";
    QByteArray tail;
    for (int level = 0; level < depth; ++level) {
        const QByteArray b = "n" + QByteArray::number(level);
        head += "Content-Type: multipart/mixed; boundary=" + b + "\n\n--" + b + "\n";
        tail = "\n--" + b + "--\n" + tail;
    }
    QByteArray text;
    while (text.size() < textBytes)
        text += QByteArray(70, 'y') + '\n';
    return head + "Content-Type: text/plain\n\ndeepest\n" + text + tail;
}

QByteArray unclosedSiblings(int parts) {
    QByteArray raw = "From: a@example.org\nSubject: s\nContent-Type: multipart/mixed; boundary=o\n\n";
    for (int i = 0; i < parts; ++i) {
        const QByteArray b = "u" + QByteArray::number(i);
        raw += "--o\nContent-Type: multipart/mixed; boundary=" + b + "\n\n--" + b + "\nContent-Type: text/plain\n\nx\n";
    }
    return raw + "--o--\n";
}

// Times each read path of every hostile message over `rounds` rounds, a fresh item (nothing cached) each time.
int hostileBench(int rounds) {
    const std::vector<std::pair<const char *, QByteArray>> cases = {
        {"4,000 levels", nestedHostile(4000, 0)},
        {"20,000 levels", nestedHostile(20000, 0)},
        {"64 levels around 60 MB of text", nestedHostile(64, 60 * 1024 * 1024)},
        {"8 million header lines, one without colon",
         "Subject: x\nnot a field\n" + QByteArray("X-A: b\n").repeated(8 * 1024 * 1024) + "\nbody\n"},
        {"20,000 parts never closed", unclosedSiblings(20000)},
        {"600,000 parts never closed", unclosedSiblings(600000)},
        {"60 MB plain text", nestedHostile(0, 60 * 1024 * 1024)},
    };
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/Mail");
    for (const char *sub : {"/new", "/cur", "/tmp"})
        QDir().mkpath(root + QLatin1String(sub));
    std::printf("%-44s %8s  %-26s %-26s %-26s\n", "message", "MB", "body s (min/med/max)", "header fields s",
                "forward s");
    for (const auto &[name, raw] : cases) {
        QFile file(root + QStringLiteral("/cur/1000.M1P1.bench:2,S"));
        if (!file.open(QIODevice::WriteOnly) || file.write(raw) != raw.size())
            return 1;
        file.close();
        std::vector<double> times[3];
        for (int round = 0; round < rounds; ++round) {
            MailStoreApplication app(root);
            const MailItems items =
                app.GetNameSpace(QStringLiteral("MAPI")).Folders(1).Folders(QStringLiteral("Inbox")).Items();
            const auto timed = [&](int path, const auto &read) {
                const auto item = items.Item(1);
                const double start = processSeconds();
                try {
                    read(*item);
                } catch (const CorvaneError &) {
                }
                times[path].push_back(processSeconds() - start);
            };
            timed(0, [](const MailItem &item) { item.body(); });
            timed(1, [](const MailItem &item) {
                item.subject();
                item.SenderName();
                item.Recipients();
            });
            timed(2, [](const MailItem &item) { item.forward(); });
        }
        char columns[3][32];
        for (int path = 0; path < 3; ++path) {
            std::sort(times[path].begin(), times[path].end());
            std::snprintf(columns[path], sizeof columns[path], "%.3f / %.3f / %.3f", times[path].front(),
                          times[path][times[path].size() / 2], times[path].back());
        }
        std::printf("%-44s %8.1f  %-26s %-26s %-26s\n", name, double(raw.size()) / 1e6, columns[0], columns[1],
                    columns[2]);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "hostile") == 0)
        return hostileBench(argc > 2 ? std::max(1, std::atoi(argv[2])) : 3);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : kDefaultMessages;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    const QString root = argc > 3 ? QString::fromLocal8Bit(argv[3]) : dir.path() + QStringLiteral("/Mail");
    if (QFileInfo::exists(root)) {
        std::fprintf(stderr, "%s exists already\n", argv[3]);
        return 1;
    }
    qint64 bytes = 0;
    const double built = bench::seconds([&] { bytes = buildMaildir(root, count); });
    std::printf("maildir: %d messages, %.1f MB, average %.1f KB, built in %.1f s\n", count, double(bytes) / 1e6,
                double(bytes) / count / 1024.0, built);

    bench::ReadResult corvane;
    bench::ReadResult plain;
    const double cold = bench::seconds([&] { corvane = bench::readInbox(root); });
    std::printf("first read in the process (cold): %.0f messages/s, %d failed\n", corvane.messages / cold,
                corvane.failures);
    const auto times =
        bench::alternate(rounds, {[&] { corvane = bench::readInbox(root); }, [&] { plain = bench::plainRead(root); }});
    std::printf("%d rounds, warm:\n", rounds);
    bench::printSpread("Corvane (messages/s)", bench::rates(times[0], corvane.messages), "");
    bench::printSpread("plain read (messages/s)", bench::rates(times[1], plain.messages), "");
    bench::printSpread("Corvane / plain read (%)", bench::ratios(times[1], times[0]), "%", 100);
    std::printf("  %d failed; %lld characters read by Corvane, %lld bytes by the plain read\n", corvane.failures,
                static_cast<long long>(corvane.characters), static_cast<long long>(plain.characters));
    return 0;
}

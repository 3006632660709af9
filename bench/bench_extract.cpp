// Throughput of the address scanner over about 100 MB of generated mixed text (prose, addresses in their usual
// wrappings, long lines, non-ASCII text, near-miss candidates), and the call rate of the validity check.
// Prints its figures; the text is generated from a fixed seed, so runs are comparable.
#include "listio/AddressExtraction.h"
#include "requests/AddressRoutines.h"

#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace corvane;

namespace {

constexpr qint64 kTargetBytes = 100LL * 1000 * 1000;
constexpr int kPasses = 3;
constexpr int kValidityCalls = 5'000'000;

class CorpusGenerator {
public:
    explicit CorpusGenerator(unsigned seed) : m_random(seed) {}

    // Appends generated lines to `lines` until their UTF-8 size reaches `targetBytes`; answers that size.
    qint64 fill(QStringList &lines, qint64 targetBytes) {
        qint64 bytes = 0;
        while (bytes < targetBytes) {
            const QString line = nextLine();
            bytes += line.toUtf8().size() + 2;
            lines.append(line);
        }
        return bytes;
    }

private:
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }

    QString word() {
        static const char *const words[] = {"the",    "list",    "message", "delivery", "members", "weekly",
                                            "report", "failed",  "please",  "contact",  "server",  "returned",
                                            "news",   "sports",  "reply",   "original", "address", "because",
                                            "mail",   "account", "quota",   "exceeded", "unknown", "recipient"};
        return QString::fromLatin1(words[below(std::size(words))]);
    }

    QString foreignWord() {
        static const char16_t *const words[] = {
            u"\u00e9t\u00e9", u"M\u00fcller", u"\u65e5\u672c\u8a9e", u"\u0441\u043f\u0438\u0441\u043e\u043a",
            u"caf\u00e9",     u"\U0001F600",  u"\u00a0na\u00efve"};
        return QString::fromUtf16(words[below(std::size(words))]);
    }

    QString address() {
        static const char *const domains[] = {"example.com", "mail.example.org", "list-server.net", "sub.domain.co.uk",
                                              "corvane.test"};
        QString user;
        const int length = 3 + below(14);
        for (int i = 0; i < length; ++i) {
            const int pick = below(40);
            user += pick < 26 ? QChar(u'a' + pick) : pick < 36 ? QChar(u'0' + pick - 26) : QChar(u'.');
        }
        if (user.startsWith(u'.') || user.endsWith(u'.') || user.contains(u"..")) {
            user.replace(u'.', u'x');
        }
        return user + u'@' + QString::fromLatin1(domains[below(std::size(domains))]);
    }

    QString wrapped(const QString &addr) {
        switch (below(10)) {
        case 0:
            return u'<' + addr + u'>';
        case 1:
            return QStringLiteral("mailto:") + addr;
        case 2:
            return u'(' + addr + u')';
        case 3:
            return QStringLiteral("\"Doe, John\" <") + addr + u'>';
        case 4:
            return addr + QStringLiteral(",");
        case 5:
            return addr + QStringLiteral("_x");
        case 6:
            return QStringLiteral("___") + addr;
        case 7:
            return QStringLiteral("\t") + addr;
        default:
            return addr;
        }
    }

    QString nearMiss() {
        switch (below(5)) {
        case 0:
            return QStringLiteral("postmaster@localhost");
        case 1:
            return QStringLiteral("a..b@example.com");
        case 2:
            return QStringLiteral("@handle");
        case 3:
            return QStringLiteral("x@y@example.com");
        default:
            return QString(70, u'u') + QStringLiteral("@example.com");
        }
    }

    QString prose(int minChars, bool foreign) {
        QString line;
        while (line.size() < minChars) {
            if (!line.isEmpty()) {
                line += u' ';
            }
            line += (foreign && below(4) == 0) ? foreignWord() : word();
        }
        return line;
    }

    QString nextLine() {
        const int kind = below(100);
        if (kind < 50) {
            return prose(30 + below(90), false);
        }
        if (kind < 75) {
            QString line = prose(10 + below(40), false);
            const int count = 1 + below(3);
            for (int i = 0; i < count; ++i) {
                line += u' ' + wrapped(address()) + u' ' + prose(5 + below(20), false);
            }
            return line;
        }
        if (kind < 80) {
            QString line = prose(1000 + below(4000), false);
            if (below(2) == 0) {
                line += u' ' + wrapped(address());
            }
            return line;
        }
        if (kind < 90) {
            return prose(30 + below(90), true) + (below(3) == 0 ? u' ' + foreignWord() + address() : QString());
        }
        return prose(10 + below(30), false) + u' ' + nearMiss() + u' ' + prose(10 + below(30), false);
    }

    std::mt19937 m_random;
};

void benchExtraction() {
    QStringList lines;
    CorpusGenerator generator(20261209u);
    const qint64 bytes = generator.fill(lines, kTargetBytes);
    const double megabytes = double(bytes) / 1e6;
    std::printf("corpus: %.1f MB (UTF-8), %lld lines\n", megabytes, static_cast<long long>(lines.size()));

    double bestSeconds = 1e9;
    qsizetype found = 0;
    for (int pass = 0; pass < kPasses; ++pass) {
        QStringList result;
        QElapsedTimer timer;
        timer.start();
        AddressExtraction::extractemailaddresses(lines, result, nullptr);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        bestSeconds = std::min(bestSeconds, seconds);
        found = result.size();
        std::printf("extraction pass %d: %.3f s, %.1f MB/s\n", pass + 1, seconds, megabytes / seconds);
    }
    std::printf("extraction best: %.1f MB/s, %lld addresses found\n", megabytes / bestSeconds,
                static_cast<long long>(found));

    const QStringList exceptions{QStringLiteral("hotmial"), QStringLiteral("abuse@"), QStringLiteral("noreply")};
    QStringList result;
    QElapsedTimer timer;
    timer.start();
    AddressExtraction::extractemailaddresses(lines, result, &exceptions);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("extraction with 3 exception fragments: %.1f MB/s, %lld addresses found\n", megabytes / seconds,
                static_cast<long long>(result.size()));
}

void benchValidity() {
    const QStringList samples{QStringLiteral("john.doe@example.com"),
                              QStringLiteral("a$%'+-/_b@sub-1.example.co.uk"),
                              QStringLiteral("postmaster@localhost"),
                              QStringLiteral("jo..hn@example.com"),
                              QStringLiteral("john doe@example.com"),
                              QStringLiteral("j\u00f6rg@example.com"),
                              QStringLiteral("x@y@example.com"),
                              QStringLiteral("someone.with.a.rather.long.local.part@mail.server.example.org")};
    int valid = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kValidityCalls; ++i) {
        valid += AddressRoutines::validemailaddress(samples[i % samples.size()]).valid ? 1 : 0;
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    std::printf("validemailaddress: %.1f M calls/s (%d of %d valid)\n", kValidityCalls / seconds / 1e6, valid,
                kValidityCalls);
}

} // namespace

int main() {
    benchExtraction();
    benchValidity();
    return 0;
}

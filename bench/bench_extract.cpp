// Throughput of the address scanner over about 100 MB of generated mixed text (prose, addresses in their usual
// wrappings, long lines, non-ASCII text, near-miss candidates), and the call rate of the validity check. The
// reference for both is one compiled regular expression for an address (QRegularExpression, PCRE2 with its
// JIT): every match of it in each line, and one anchored match per sample. The sides alternate over the
// rounds; prints min / median / max of each rate and of the ratio Corvane / regular expression. The text is
// generated from a fixed seed, so runs are comparable.
#include "listio/AddressExtraction.h"
#include "requests/AddressRoutines.h"

#include "BenchRounds.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace corvane;

namespace {

constexpr qint64 kTargetBytes = 100LL * 1000 * 1000;
constexpr int kRounds = 3;

// The reference's idea of an address: a local part, "@", and a dotted domain.
const QString kAddressPattern =
    QStringLiteral("[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9-]+(?:\\.[A-Za-z0-9-]+)*\\.[A-Za-z]{2,}");
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

    qsizetype found = 0;
    qsizetype matched = 0;
    const QRegularExpression pattern(kAddressPattern);
    const auto times = bench::alternate(kRounds, {[&] {
                                                      QStringList result;
                                                      AddressExtraction::extractemailaddresses(lines, result, nullptr);
                                                      found = result.size();
                                                  },
                                                  [&] {
                                                      matched = 0;
                                                      for (const QString &line : std::as_const(lines)) {
                                                          auto matches = pattern.globalMatch(line);
                                                          while (matches.hasNext()) {
                                                              matches.next();
                                                              ++matched;
                                                          }
                                                      }
                                                  }});
    std::printf("extraction, %d rounds (%lld addresses found; %lld regular-expression matches):\n", kRounds,
                static_cast<long long>(found), static_cast<long long>(matched));
    bench::printSpread("extractemailaddresses (MB/s)", bench::rates(times[0], megabytes), "");
    bench::printSpread("regular expression (MB/s)", bench::rates(times[1], megabytes), "");
    bench::printSpread("Corvane / regular expression (%)", bench::ratios(times[1], times[0]), "%", 100);

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
    int matching = 0;
    const QRegularExpression anchored(QRegularExpression::anchoredPattern(kAddressPattern));
    const auto times = bench::alternate(
        kRounds, {[&] {
                      valid = 0;
                      for (int i = 0; i < kValidityCalls; ++i) {
                          valid += AddressRoutines::validemailaddress(samples[i % samples.size()]).valid ? 1 : 0;
                      }
                  },
                  [&] {
                      matching = 0;
                      for (int i = 0; i < kValidityCalls; ++i) {
                          matching += anchored.match(samples[i % samples.size()]).hasMatch() ? 1 : 0;
                      }
                  }});
    std::printf("validity, %d calls per round (%d valid; %d matching the regular expression):\n", kValidityCalls, valid,
                matching);
    bench::printSpread("validemailaddress (M calls/s)", bench::rates(times[0], kValidityCalls / 1e6), "");
    bench::printSpread("regular expression (M calls/s)", bench::rates(times[1], kValidityCalls / 1e6), "");
    bench::printSpread("Corvane / regular expression (%)", bench::ratios(times[1], times[0]), "%", 100);
}

} // namespace

int main() {
    benchExtraction();
    benchValidity();
    return 0;
}

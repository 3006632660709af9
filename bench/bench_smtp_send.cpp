// Send rate of the SMTP client over one connection, in rounds that alternate the sides being compared, with
// the min / median / max of each ratio over the rounds.
//
// Default: to Postfix's smtp-sink on 127.0.0.1, Corvane's client against two references sending the same
// number of messages of the same size to the same sink: a lock-step Python client (smtplib doing RSET, MAIL,
// RCPT and DATA per message) and Postfix's smtp-source -d.
// --tls: to Debian's aiosmtpd on 127.0.0.1 (a Python server: its own cost per message is far above smtp-sink's,
// which shrinks the ratio's distance from 1), Corvane's client over STARTTLS with AUTH PLAIN against the same
// client over plain SMTP; prints the ratio of the rates, the cost of TLS per message (the difference of the
// times per message) and the handshake time (connect, EHLO, STARTTLS, EHLO, AUTH; plain: connect, HELO).
//
// Usage: bench_smtp_send [messages] [rounds]        (defaults 5000 and 5)
//        bench_smtp_send --tls [messages] [rounds]  (defaults 2000 and 5)
// Needs smtp-sink and smtp-source (package postfix) and python3; --tls needs python3-aiosmtpd and openssl.
#include "base/CorvaneError.h"
#include "send/SMTPMessageBuilder.h"
#include "send/TNMSMTP.h"

#include "BenchRounds.h"
#include "SmtpSink.h"

#include "../tests/send/AiosmtpdServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace corvane;

namespace {

// The lock-step reference: one connection, HELO, then RSET and sendmail (MAIL, RCPT, DATA) per message.
// Prints the messages per second of the send loop, then its CPU microseconds and context switches per message.
constexpr char kReferenceClient[] = R"(import resource, smtplib, sys, time
host, port, count, path = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
message = open(path, "rb").read()
s = smtplib.SMTP(host, port)
s.helo("bench.test")
before = resource.getrusage(resource.RUSAGE_SELF)
start = time.perf_counter()
for i in range(count):
    s.rset()
    s.sendmail("list@example.org", ["member@example.com"], message)
elapsed = time.perf_counter() - start
after = resource.getrusage(resource.RUSAGE_SELF)
s.quit()
cpu = (after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime) * 1e6 / count
switches = (after.ru_nvcsw + after.ru_nivcsw - before.ru_nvcsw - before.ru_nivcsw) / count
print(count / elapsed, cpu, switches)
)";

const QString kFrom = QStringLiteral("list@example.org");
const QString kTo = QStringLiteral("Member <member@example.com>");

// A typical list message: a few header lines and a dozen lines of text.
void fillMessage(TPostMessage &m) {
    m.FromAddress = kFrom;
    m.FromName = QStringLiteral("List Owner");
    m.ToAddress = QStringList{kTo};
    m.Subject = QStringLiteral("Weekly news of the list");
    m.Body.clear();
    for (int i = 0; i < 12; ++i) {
        m.Body.append(QStringLiteral("Line %1 of the weekly news, sent to every member of the list.").arg(i + 1));
    }
}

// The figures of one client's send loop.
struct Figures {
    double rate = -1;       // messages per second; negative when the client failed
    double cpuUs = 0;       // CPU time (user and system) per message, in microseconds
    double switches = 0;    // context switches per message
    double handshakeMs = 0; // Connect: the TCP connection and the greeting, with TLS and AUTH when chosen
};

struct Usage {
    double cpuUs;
    long switches;
};

Usage usageNow() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return {(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e6 + u.ru_utime.tv_usec + u.ru_stime.tv_usec,
            u.ru_nvcsw + u.ru_nivcsw};
}

// Corvane's client to 127.0.0.1:`port`, made ready by `setUp` (security, user): Connect once, SendMail `count`
// times, Disconnect. Throws on a failed send.
Figures corvaneFigures(quint16 port, int count, const std::function<void(TNMSMTP &)> &setUp = {}) {
    TNMSMTP client;
    client.Host = QStringLiteral("127.0.0.1");
    client.Port = port;
    client.UserID = QStringLiteral("bench.test");
    client.setTimeLimits(10000, 10000);
    if (setUp) {
        setUp(client);
    }
    QElapsedTimer handshake;
    handshake.start();
    client.Connect();
    const double handshakeMs = handshake.nsecsElapsed() / 1e6;
    fillMessage(client.PostMessage);
    const Usage before = usageNow();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        client.PostMessage.ToAddress = QStringList{kTo};
        client.SendMail();
    }
    const qint64 ns = timer.nsecsElapsed();
    const Usage after = usageNow();
    client.Disconnect();
    return {count / (static_cast<double>(ns) / 1e9), (after.cpuUs - before.cpuUs) / count,
            static_cast<double>(after.switches - before.switches) / count, handshakeMs};
}

void printSpread(const char *what, const std::vector<double> &v, const char *unit, double scale = 1) {
    const bench::Spread s = bench::spread(v);
    std::printf("%s: min %.1f%s, median %.1f%s, max %.1f%s\n", what, scale * s.min, unit, scale * s.median, unit,
                scale * s.max, unit);
}

// The reference client sending `content` (the bytes after DATA); a negative rate when it failed, with its
// output printed.
Figures referenceFigures(const QString &python, quint16 port, int count, const QByteArray &content,
                         const QTemporaryDir &dir) {
    QFile script(dir.filePath(QStringLiteral("reference.py")));
    QFile message(dir.filePath(QStringLiteral("message.eml")));
    if (!script.open(QIODevice::WriteOnly) || script.write(kReferenceClient) < 0 ||
        !message.open(QIODevice::WriteOnly) || message.write(content) < 0) {
        std::fprintf(stderr, "cannot write the reference client's files\n");
        return {};
    }
    script.close();
    message.close();
    QProcess process;
    process.start(python, {script.fileName(), QStringLiteral("127.0.0.1"), QString::number(port),
                           QString::number(count), message.fileName()});
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "reference client failed: %s\n%s\n", qPrintable(process.errorString()),
                     process.readAllStandardError().constData());
        return {};
    }
    const QList<QByteArray> fields = process.readAllStandardOutput().simplified().split(' ');
    if (fields.size() != 3) {
        std::fprintf(stderr, "unexpected output of the reference client\n");
        return {};
    }
    return {fields[0].toDouble(), fields[1].toDouble(), fields[2].toDouble()};
}

void printFigures(const char *name, const Figures &f) {
    std::printf("%-26s %8.0f messages/s  %7.1f us CPU/message  %5.1f context switches/message\n", name, f.rate, f.cpuUs,
                f.switches);
}

// Corvane, smtplib and smtp-source, alternating over `rounds` rounds of `count` messages to one smtp-sink.
int sinkComparison(int count, int rounds) {
    const QString sink = bench::findProgram(QStringLiteral("smtp-sink"));
    const QString source = bench::findProgram(QStringLiteral("smtp-source"));
    const QString python = QFile::exists(QStringLiteral("/usr/bin/python3"))
                               ? QStringLiteral("/usr/bin/python3")
                               : bench::findProgram(QStringLiteral("python3"));
    if (sink.isEmpty() || source.isEmpty() || python.isEmpty()) {
        std::fprintf(stderr, "needs smtp-sink and smtp-source (package postfix) and python3; scripts/setup.sh "
                             "installs them\n");
        return 1;
    }
    QTemporaryDir dir;
    bench::SmtpSink server;
    if (!dir.isValid() || !server.start(sink)) {
        std::fprintf(stderr, "no temporary directory, or smtp-sink did not start on 127.0.0.1:%u\n", server.port);
        return 1;
    }
    const quint16 port = server.port;
    int status = 0;
    try {
        TPostMessage sample;
        fillMessage(sample);
        const SMTPMessageBuilder::Composed composed =
            SMTPMessageBuilder::compose(sample, SMTPMessageBuilder::Plain, QStringLiteral("us-ascii"));
        const QByteArray content = composed.headerBlock + composed.body;
        std::printf("%d messages of %lld bytes over one connection to smtp-sink on 127.0.0.1, %d rounds\n", count,
                    static_cast<long long>(content.size()), rounds);
        std::vector<double> toSmtplib;
        std::vector<double> toSource;
        for (int round = 1; round <= rounds && status == 0; ++round) {
            const Figures corvane = corvaneFigures(port, count);
            const Figures reference = referenceFigures(python, port, count, content, dir);
            const double sourced = bench::sourceRate(source, port, count, content.size(), kFrom);
            if (reference.rate <= 0 || sourced <= 0) {
                status = 1;
                break;
            }
            std::printf("round %d\n", round);
            printFigures("  Corvane TNMSMTP:", corvane);
            printFigures("  Python smtplib reference:", reference);
            std::printf("  %-26s %8.0f messages/s\n", "Postfix smtp-source -d:", sourced);
            std::fflush(stdout);
            toSmtplib.push_back(corvane.rate / reference.rate);
            toSource.push_back(corvane.rate / sourced);
        }
        if (status == 0) {
            printSpread("Corvane / smtplib", toSmtplib, " %", 100);
            printSpread("Corvane / smtp-source -d (target >= 80 %)", toSource, " %", 100);
        }
    } catch (const CorvaneError &e) {
        std::fprintf(stderr, "send failed: %s\n", qPrintable(e.message()));
        status = 1;
    }
    return status;
}

// Corvane over STARTTLS with AUTH against Corvane over plain SMTP, alternating over `rounds` rounds of `count`
// messages, each side to its own aiosmtpd (the same script).
int tlsComparison(int count, int rounds) {
    const TestCertificates certificates;
    if (!certificates.made) {
        std::fprintf(stderr, "openssl could not make the throw-away certificates\n");
        return 1;
    }
    const QString user = QStringLiteral("bench");
    const QString password = QStringLiteral("bench-secret");
    AiosmtpdServer plain(certificates, QStringLiteral("plain"), QString(), user, password);
    AiosmtpdServer starttls(certificates, QStringLiteral("starttls"), QStringLiteral("localhost"), user, password);
    if (plain.port == 0 || starttls.port == 0) {
        std::fprintf(stderr, "aiosmtpd did not start (package python3-aiosmtpd)\n");
        return 1;
    }
    const QString fingerprint = certificates.sha256(QStringLiteral("localhost"));
    const auto secure = [&](TNMSMTP &client) {
        client.SecurityMode = TNMSMTP::Security::StartTls;
        client.AuthUser = user;
        client.AuthPassword = password;
        client.TrustedFingerprint = fingerprint;
    };
    std::printf("%d messages per run over one connection to aiosmtpd on 127.0.0.1, %d rounds\n", count, rounds);
    std::vector<double> ratio;
    std::vector<double> costUs;
    std::vector<double> plainHandshake;
    std::vector<double> tlsHandshake;
    try {
        for (int round = 1; round <= rounds; ++round) {
            const Figures clear = corvaneFigures(static_cast<quint16>(plain.port), count);
            const Figures tls = corvaneFigures(static_cast<quint16>(starttls.port), count, secure);
            std::printf("round %d\n", round);
            printFigures("  plain SMTP:", clear);
            printFigures("  STARTTLS and AUTH:", tls);
            std::printf("  handshake: plain %.2f ms, STARTTLS and AUTH %.2f ms\n", clear.handshakeMs, tls.handshakeMs);
            std::fflush(stdout);
            ratio.push_back(tls.rate / clear.rate);
            costUs.push_back(1e6 / tls.rate - 1e6 / clear.rate);
            plainHandshake.push_back(clear.handshakeMs);
            tlsHandshake.push_back(tls.handshakeMs);
        }
    } catch (const CorvaneError &e) {
        std::fprintf(stderr, "send failed: %s\n", qPrintable(e.message()));
        return 1;
    }
    printSpread("STARTTLS and AUTH / plain, messages per second", ratio, " %", 100);
    printSpread("cost of TLS per message", costUs, " us");
    printSpread("handshake, plain (connect, HELO)", plainHandshake, " ms");
    printSpread("handshake, connect, EHLO, STARTTLS, EHLO, AUTH", tlsHandshake, " ms");
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bool tls = argc > 1 && QByteArray(argv[1]) == "--tls";
    const int first = tls ? 2 : 1;
    const int count = argc > first ? QByteArray(argv[first]).toInt() : (tls ? 2000 : 5000);
    const int rounds = argc > first + 1 ? QByteArray(argv[first + 1]).toInt() : 5;
    if (count <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_smtp_send [--tls] [messages] [rounds]\n");
        return 2;
    }
    return tls ? tlsComparison(count, rounds) : sinkComparison(count, rounds);
}

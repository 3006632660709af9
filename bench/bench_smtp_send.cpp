// Send rate of the SMTP client over one connection to Postfix's smtp-sink on 127.0.0.1, next to a lock-step
// reference client (Python's smtplib doing RSET, MAIL, RCPT and DATA per message) sending the same message bytes
// to the same sink. Prints messages per second for both and Corvane's share of the reference rate.
// Usage: bench_smtp_send [messages] (5000 unless given). Needs smtp-sink (package postfix) and python3.
#include "base/CorvaneError.h"
#include "send/SMTPMessageBuilder.h"
#include "send/TNMSMTP.h"

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

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

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

QString findProgram(const QString &name, const QStringList &preferred) {
    const QString found = QStandardPaths::findExecutable(name, preferred);
    return found.isEmpty() ? QStandardPaths::findExecutable(name) : found;
}

quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// Waits up to `limitMs` for something to accept connections on 127.0.0.1:`port`.
bool waitListening(quint16 port, int limitMs) {
    const QDeadlineTimer deadline(limitMs);
    while (!deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(200)) {
            probe.abort();
            return true;
        }
        QThread::msleep(20);
    }
    return false;
}

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
    double rate = -1;    // messages per second; negative when the client failed
    double cpuUs = 0;    // CPU time (user and system) per message, in microseconds
    double switches = 0; // context switches per message
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

// Corvane's client: Connect once, SendMail `count` times, Disconnect. Throws on a failed send.
Figures corvaneFigures(quint16 port, int count) {
    TNMSMTP client;
    client.Host = QStringLiteral("127.0.0.1");
    client.Port = port;
    client.UserID = QStringLiteral("bench.test");
    client.setTimeLimits(10000, 10000);
    client.Connect();
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
            static_cast<double>(after.switches - before.switches) / count};
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

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 5000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_smtp_send [messages]\n");
        return 2;
    }
    const QString sink = findProgram(QStringLiteral("smtp-sink"), {QStringLiteral("/usr/sbin")});
    const QString python = findProgram(QStringLiteral("python3"), {QStringLiteral("/usr/bin")});
    if (sink.isEmpty() || python.isEmpty()) {
        std::fprintf(stderr, "needs smtp-sink (package postfix) and python3; scripts/setup.sh installs both\n");
        return 1;
    }
    QTemporaryDir dir;
    const quint16 port = freePort();
    if (!dir.isValid() || port == 0) {
        std::fprintf(stderr, "no temporary directory or no free port on 127.0.0.1\n");
        return 1;
    }

    // smtp-sink refuses to keep root privileges once its socket is open.
    QStringList arguments;
    if (::geteuid() == 0) {
        arguments << QStringLiteral("-u") << QStringLiteral("nobody");
    }
    arguments << QStringLiteral("127.0.0.1:%1").arg(port) << QStringLiteral("1000");
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(sink, arguments);
    if (!server.waitForStarted(5000) || !waitListening(port, 5000)) {
        std::fprintf(stderr, "smtp-sink did not start on 127.0.0.1:%u\n", port);
        server.kill();
        server.waitForFinished(2000);
        return 1;
    }

    int status = 0;
    try {
        TPostMessage sample;
        fillMessage(sample);
        const SMTPMessageBuilder::Composed composed =
            SMTPMessageBuilder::compose(sample, SMTPMessageBuilder::Plain, QStringLiteral("us-ascii"));
        std::printf("%d messages of %lld bytes over one connection to smtp-sink on 127.0.0.1\n", count,
                    static_cast<long long>(composed.headerBlock.size() + composed.body.size()));
        const Figures corvane = corvaneFigures(port, count);
        printFigures("Corvane TNMSMTP:", corvane);
        const Figures reference = referenceFigures(python, port, count, composed.headerBlock + composed.body, dir);
        if (reference.rate <= 0) {
            status = 1;
        } else {
            printFigures("Python smtplib reference:", reference);
            std::printf("Corvane / reference: %.1f %%\n", 100.0 * corvane.rate / reference.rate);
        }
    } catch (const CorvaneError &e) {
        std::fprintf(stderr, "send failed: %s\n", qPrintable(e.message()));
        status = 1;
    }
    server.kill();
    server.waitForFinished(2000);
    return status;
}

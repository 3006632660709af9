// The whole send job over SMTP to Postfix's smtp-sink on 127.0.0.1: one personalised message per recipient
// (the dialog's job: recipient computation, merging, progress, the send log on disk), against the SMTP
// client sending the same number of ready-made messages over one connection (as bench_smtp_send measures
// it) and against Postfix's own smtp-source on the same sink. The three alternate over several rounds;
// prints messages per second per round and the min / median / max of the job's share of the other two.
// With --memory, instead, one job of many recipients in hidden batches and its peak resident size.
//
// Usage: bench_send_job [recipients] [rounds]          (defaults 10000 and 3)
//        bench_send_job --memory [recipients] [batch] [--no-mmap]   (defaults 1000000 and 500; --no-mmap
//        reads the list file without mapping it, to tell the job's own memory from the mapped file's pages)
// Needs smtp-sink and smtp-source (package postfix).
#include "BenchPrompt.h"
#include "BenchRounds.h"
#include "SmtpSink.h"
#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "db/SqliteStatement.h"
#include "db/TdmML.h"
#include "send/SMTPMessageBuilder.h"
#include "send/TNMSMTP.h"
#include "send/TdlgSendMail.h"
#include "settings/Settings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

using namespace corvane;
using corvane::bench::peakResidentMb;

namespace {

const QString kFrom = QStringLiteral("list@example.org");

// The resident size now, split into anonymous memory and mapped file pages, in MB.
QString residentNow() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return QStringLiteral("unknown");
    }
    QStringList parts;
    for (const QByteArray &line : status.readAll().split('\n')) {
        for (const char *name : {"VmRSS:", "RssAnon:", "RssFile:"}) {
            if (line.startsWith(name)) {
                parts.append(
                    QStringLiteral("%1 %2 MB")
                        .arg(QString::fromLatin1(name).chopped(1))
                        .arg(line.mid(int(qstrlen(name))).trimmed().split(' ').value(0).toDouble() / 1024, 0, 'f', 0));
            }
        }
    }
    return parts.join(QStringLiteral(", "));
}

// A typical list message: a greeting with two fields and a dozen lines of text.
QString bodyText() {
    QString body = QStringLiteral("Dear %SALUTATION%,\r\n\r\nThis is the weekly news for %FULL_NAME% (%EMAIL%).\r\n");
    for (int i = 0; i < 12; ++i) {
        body += QStringLiteral("Line %1 of the weekly news, sent to every member of the list.\r\n").arg(i + 1);
    }
    return body;
}

void fill(SqliteTable &table, qint64 entries) {
    SqliteDatabase &db = table.database();
    db.begin();
    SqliteStatement insert(db.handle(),
                           QStringLiteral("INSERT INTO tblML (Item, Category, Bounces, Comments, Name, "
                                          "Salutation, SendRights) VALUES (?1, 'News', 0, '', ?2, ?3, 1)"));
    for (qint64 i = 0; i < entries; ++i) {
        insert.bindText(1, QStringLiteral("member%1@example.com").arg(i));
        insert.bindText(2, QStringLiteral("Member Number %1").arg(i));
        insert.bindText(3, QStringLiteral("Reader%1").arg(i));
        insert.execute();
    }
    db.commit();
}

void configure(Settings &settings, quint16 port, int sendCount) {
    settings.EmailMethod = 3;
    settings.SMTPHost = QStringLiteral("127.0.0.1");
    settings.SMTPPort = port;
    settings.SMTPID = QStringLiteral("bench.test");
    settings.SMTPName = QStringLiteral("List Owner");
    settings.SMTPEmail = kFrom;
    settings.SendCount = sendCount;
    settings.SendLog = true;
    settings.StaggerDelay.checked = false;
}

// One send job over all of tblML; returns messages per second, negative when a message failed.
double jobRate(TdmML &dm, Settings &settings, BenchPrompt &prompt, qint64 &messages) {
    TdlgSendMail job(dm, settings, prompt, false);
    job.FormShow(QString(), false);
    job.draft().subject = QStringLiteral("Weekly news of the list");
    job.draft().body = bodyText();
    QElapsedTimer timer;
    timer.start();
    const bool completed = job.Button2Click();
    const double seconds = timer.nsecsElapsed() / 1e9;
    messages = job.status().messagesSent;
    job.FormClose();
    if (!completed || job.status().messagesFailed > 0) {
        std::printf("the job failed: %lld messages failed\n", static_cast<long long>(job.status().messagesFailed));
        return -1;
    }
    return messages / seconds;
}

// The client alone: `count` ready-made messages over one connection.
double clientRate(quint16 port, qint64 count, qint64 &bytes) {
    TNMSMTP client;
    client.Host = QStringLiteral("127.0.0.1");
    client.Port = port;
    client.UserID = QStringLiteral("bench.test");
    client.setTimeLimits(10000, 10000);
    client.Connect();
    TPostMessage &m = client.PostMessage;
    m.FromAddress = kFrom;
    m.FromName = QStringLiteral("List Owner");
    m.Subject = QStringLiteral("Weekly news of the list");
    m.Body = bodyText().split(QStringLiteral("\r\n"));
    const SMTPMessageBuilder::Composed composed =
        SMTPMessageBuilder::compose(m, SMTPMessageBuilder::Plain, QStringLiteral("us-ascii"));
    bytes = composed.headerBlock.size() + composed.body.size();
    QElapsedTimer timer;
    timer.start();
    for (qint64 i = 0; i < count; ++i) {
        m.ToAddress = QStringList{QStringLiteral("member%1@example.com").arg(i)};
        client.SendMail();
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    client.Disconnect();
    return count / seconds;
}

int memoryRun(TdmML &dm, Settings &settings, BenchPrompt &prompt, const bench::SmtpSink &sink, qint64 recipients,
              int batch) {
    configure(settings, sink.port, batch);
    std::printf("peak resident size before the job: %.0f MB (%s; SQLite's own allocations %.0f MB)\n", peakResidentMb(),
                qPrintable(residentNow()), sqlite3_memory_used() / 1048576.0);
    QElapsedTimer timer;
    timer.start();
    TdlgSendMail job(dm, settings, prompt, false);
    job.FormShow(QString(), false);
    job.draft().subject = QStringLiteral("Weekly news of the list");
    job.draft().body = QStringLiteral("Weekly news without fields.\r\nSecond line.\r\n");
    job.recipients().btnrecalcClick(false);
    std::printf("after computing the recipients: %s; SQLite's own allocations %.0f MB, at most %.0f MB\n",
                qPrintable(residentNow()), sqlite3_memory_used() / 1048576.0, sqlite3_memory_highwater(0) / 1048576.0);
    const bool completed = job.Button2Click();
    std::printf("%lld recipients in batches of %d: %lld messages sent, %lld failed, %s, in %.1f s\n",
                static_cast<long long>(recipients), batch, static_cast<long long>(job.status().messagesSent),
                static_cast<long long>(job.status().messagesFailed), completed ? "completed" : "not completed",
                timer.nsecsElapsed() / 1e9);
    std::printf("after the job: %s; SQLite's own allocations at most %.0f MB\n", qPrintable(residentNow()),
                sqlite3_memory_highwater(0) / 1048576.0);
    std::printf("peak resident size of the job: %.0f MB (target < 300 MB)\n", peakResidentMb());
    job.FormClose();
    return completed && job.status().messagesFailed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const bool memory = argc > 1 && QByteArray(argv[1]) == "--memory";
    const int first = memory ? 2 : 1;
    const qint64 recipients = argc > first ? QByteArray(argv[first]).toLongLong() : (memory ? 1'000'000 : 10'000);
    const int third = argc > first + 1 ? QByteArray(argv[first + 1]).toInt() : (memory ? 500 : 3);
    const QString sinkProgram = bench::findProgram(QStringLiteral("smtp-sink"));
    const QString sourceProgram = bench::findProgram(QStringLiteral("smtp-source"));
    if (sinkProgram.isEmpty() || sourceProgram.isEmpty() || recipients <= 0 || third <= 0) {
        std::fprintf(stderr, "needs smtp-sink and smtp-source (package postfix); see the usage at the top\n");
        return 1;
    }
    QTemporaryDir work(QDir::currentPath() + QStringLiteral("/bench_send_job-XXXXXX"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path() + QStringLiteral("/settings"));
    AppPaths::setApplicationDirectory(work.path() + QStringLiteral("/home"));
    QDir().mkpath(work.path() + QStringLiteral("/home"));
    BenchPrompt prompt(QStringLiteral("Your e-mails to "));
    TdmML dm(prompt);
    QDir().mkpath(work.path() + QStringLiteral("/list"));
    dm.OpenDatabase(work.path() + QStringLiteral("/list"));
    if (!dm.DatabaseLoaded()) {
        std::printf("the list database could not be created\n");
        return 1;
    }
    fill(dm.tblML(), recipients);
    if (memory && QCoreApplication::arguments().contains(QStringLiteral("--no-mmap"))) {
        dm.tblML().database().exec(QStringLiteral("PRAGMA mmap_size=0"));
    }
    dm.tblML().setIndexFieldNames(QStringLiteral("Item"));
    bench::SmtpSink sink;
    if (!sink.start(sinkProgram)) {
        std::printf("smtp-sink did not start on 127.0.0.1:%u\n", sink.port);
        return 1;
    }
    Settings settings;
    try {
        if (memory) {
            return memoryRun(dm, settings, prompt, sink, recipients, third);
        }
        configure(settings, sink.port, 1);
        std::vector<double> toClient;
        std::vector<double> toSource;
        for (int round = 0; round < third; ++round) {
            qint64 messages = 0;
            const double job = jobRate(dm, settings, prompt, messages);
            qint64 bytes = 0;
            const double client = clientRate(sink.port, recipients, bytes);
            const double source = bench::sourceRate(sourceProgram, sink.port, recipients, bytes, kFrom);
            if (job <= 0 || source <= 0 || messages != recipients) {
                return 1;
            }
            toClient.push_back(job / client);
            toSource.push_back(job / source);
            std::printf("round %d: job %7.0f messages/s (%lld sent)   client %7.0f messages/s   smtp-source %7.0f "
                        "messages/s (%lld bytes each)\n",
                        round + 1, job, static_cast<long long>(messages), client, source,
                        static_cast<long long>(bytes));
            std::fflush(stdout);
        }
        const auto line = [](const char *what, const std::vector<double> &v) {
            const bench::Spread s = bench::spread(v);
            std::printf("%s: min %.1f %%, median %.1f %%, max %.1f %%\n", what, 100 * s.min, 100 * s.median,
                        100 * s.max);
        };
        line("job / client (target >= 80 %)", toClient);
        line("job / smtp-source", toSource);
    } catch (const CorvaneError &e) {
        std::printf("failed: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}

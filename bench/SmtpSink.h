// What the SMTP benchmarks share: finding Postfix's tools, Postfix's smtp-sink on a free port of 127.0.0.1
// (stopped with the object), the reference rate of smtp-source -d against it.
#pragma once

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace corvane::bench {

// `name` from /usr/sbin, else from PATH; empty when neither has it.
inline QString findProgram(const QString &name) {
    const QString found = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin")});
    return found.isEmpty() ? QStandardPaths::findExecutable(name) : found;
}

inline quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// Waits up to `limitMs` for something to accept connections on 127.0.0.1:`port`.
inline bool waitListening(quint16 port, int limitMs) {
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

struct SmtpSink {
    QProcess process;
    quint16 port = 0;
    // Starts smtp-sink (`program`) on a free port; false when it does not listen within 5 s.
    bool start(const QString &program) {
        port = freePort();
        QStringList arguments;
        // smtp-sink refuses to keep root privileges once its socket is open.
        if (::geteuid() == 0) {
            arguments << QStringLiteral("-u") << QStringLiteral("nobody");
        }
        arguments << QStringLiteral("127.0.0.1:%1").arg(port) << QStringLiteral("1000");
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program, arguments);
        return port != 0 && process.waitForStarted(5000) && waitListening(port, 5000);
    }
    ~SmtpSink() {
        process.kill();
        process.waitForFinished(2000);
    }
};

// Postfix's smtp-source (`program`): `count` messages of `bytes` bytes from `from` over one connection, lock
// step (-d); messages per second, negative when it failed.
inline double sourceRate(const QString &program, quint16 port, qint64 count, qint64 bytes, const QString &from) {
    QProcess source;
    QElapsedTimer timer;
    timer.start();
    source.start(program, {QStringLiteral("-d"), QStringLiteral("-s"), QStringLiteral("1"), QStringLiteral("-m"),
                           QString::number(count), QStringLiteral("-l"), QString::number(bytes), QStringLiteral("-f"),
                           from, QStringLiteral("-t"), QStringLiteral("member@example.com"), QStringLiteral("-M"),
                           QStringLiteral("bench.test"), QStringLiteral("127.0.0.1:%1").arg(port)});
    if (!source.waitForFinished(600000) || source.exitStatus() != QProcess::NormalExit || source.exitCode() != 0) {
        std::printf("smtp-source failed: %s\n", source.readAllStandardError().constData());
        return -1;
    }
    return count / (timer.nsecsElapsed() / 1e9);
}

} // namespace corvane::bench

// Test fixture: the DNS responder script (Debian's python3-dnslib) on 127.0.0.1 and a free port, serving a
// zone the test gives as records and silent names, and logging the questions it got. Stops when destroyed.
#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace corvane {

struct DnsResponder {
    QTemporaryDir dir;
    QProcess process;
    int port = 0;

    // `records` are "name TYPE data" texts (data may hold blanks). port stays 0 when the script did not start.
    DnsResponder(const QStringList &records, const QStringList &silent = {}) {
        QJsonArray zone;
        for (const QString &record : records) {
            const QStringList f = record.split(QLatin1Char(' '));
            zone.append(QJsonArray{f.value(0), f.value(1), f.mid(2).join(QLatin1Char(' '))});
        }
        QFile file(dir.filePath(QStringLiteral("zone.json")));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(QJsonDocument(QJsonObject{{"records", zone}, {"silent", QJsonArray::fromStringList(silent)}})
                           .toJson()) < 0) {
            return;
        }
        file.close();
        process.start(QStringLiteral("/usr/bin/python3"),
                      {QStringLiteral(CORVANE_DNS_SCRIPT), file.fileName(), dir.filePath(QStringLiteral("queries"))});
        while (process.waitForStarted(10000) && !process.canReadLine() && process.waitForReadyRead(15000)) {
        }
        const QByteArray line = process.readLine().trimmed();
        if (line.startsWith("READY ")) {
            port = line.mid(6).toInt();
        }
    }

    // The questions so far, as "name TYPE".
    QStringList queries() const {
        QFile file(dir.filePath(QStringLiteral("queries")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }

    ~DnsResponder() {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

} // namespace corvane

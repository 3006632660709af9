// Delivery-failure reports written by a real Postfix: a private instance on 127.0.0.1 bounces a message to a
// local recipient that does not exist, one whose server (smtp-sink) refuses the recipient at RCPT, and a
// message with one delivered and one failed recipient; it delivers its reports into the list's Maildir, and the
// scan counts them with precise bounces on (only the failed recipients) and off (every address in the report).
#include "../send/PostfixInstance.h"
#include "ScanFixture.h"

#include <QDirIterator>
#include <QProcess>
#include <QTcpServer>

using namespace corvane;
using namespace corvane::test;

class TestPostfixBounces : public QObject {
    Q_OBJECT

private:
    PostfixInstance m_postfix;
    QProcess m_sink;
    // The reports (and the one delivered original) as Postfix wrote them into the Maildir.
    QList<QByteArray> m_delivered;

    static QString postconf() { return QStringLiteral("/usr/sbin/postconf"); }

    bool run(const QString &program, const QStringList &arguments, const QByteArray &input, QString &output) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        process.write(input);
        process.closeWriteChannel();
        const bool done = process.waitForFinished(30000);
        output = QString::fromLocal8Bit(process.readAll());
        return done && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    void submit(const QStringList &recipients, const QString &to, const QString &subject) {
        const QByteArray text = (QStringLiteral("From: News <member@corvane.test>\r\nTo: ") + to +
                                 QStringLiteral("\r\nCc: cc@example.org\r\nSubject: ") + subject +
                                 QStringLiteral("\r\n\r\nThis month's news.\r\n"))
                                    .toUtf8();
        QString output;
        QVERIFY2(run(QStringLiteral("/usr/sbin/sendmail"),
                     QStringList{QStringLiteral("-C"), m_postfix.configDirectory(), QStringLiteral("-oi"),
                                 QStringLiteral("-f"), QStringLiteral("member@corvane.test"), QStringLiteral("--")} +
                         recipients,
                     text, output),
                 qPrintable(output));
    }

    QStringList filesIn(const QString &dir) const {
        QStringList files;
        QDirIterator it(dir, QDir::Files);
        while (it.hasNext())
            files.append(it.next());
        files.sort();
        return files;
    }

private slots:
    void initTestCase() {
        QString error;
        QVERIFY2(m_postfix.start(error), qPrintable(error));
        // The refusing server: smtp-sink answers every RCPT with a hard error naming its help desk.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 sinkPort = probe.serverPort();
        probe.close();
        m_sink.setProcessChannelMode(QProcess::MergedChannels);
        m_sink.start(QStringLiteral("/usr/sbin/smtp-sink"),
                     {QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("-f"), QStringLiteral("RCPT"),
                      QStringLiteral("-B"), QStringLiteral("550 5.1.1 No such mailbox here; write to help@refuse.test"),
                      QStringLiteral("127.0.0.1:%1").arg(sinkPort), QStringLiteral("10")});
        QVERIFY2(m_sink.waitForStarted(5000), qPrintable(m_sink.errorString()));
        QString output;
        const QString conf = m_postfix.configDirectory();
        QVERIFY2(run(postconf(),
                     {QStringLiteral("-c"), conf, QStringLiteral("-e"),
                      QStringLiteral("transport_maps = inline:{ refuse.test=smtp:[127.0.0.1]:%1 }").arg(sinkPort),
                      QStringLiteral("smtp_dns_support_level = disabled")},
                     {}, output),
                 qPrintable(output));
        QVERIFY2(run(postconf(),
                     {QStringLiteral("-c"), conf, QStringLiteral("-M"),
                      QStringLiteral("smtp/unix=smtp unix - - n - - smtp")},
                     {}, output),
                 qPrintable(output));
        QVERIFY2(run(QStringLiteral("/usr/sbin/postfix"), {QStringLiteral("-c"), conf, QStringLiteral("reload")}, {},
                     output),
                 qPrintable(output));
        QTest::qWait(1500);

        submit({QStringLiteral("nobody@corvane.test")}, QStringLiteral("nobody@corvane.test"),
               QStringLiteral("Unknown here"));
        submit({QStringLiteral("someone@refuse.test")}, QStringLiteral("someone@refuse.test"),
               QStringLiteral("Refused there"));
        submit({QStringLiteral("member@corvane.test"), QStringLiteral("gone@corvane.test")},
               QStringLiteral("member@corvane.test, gone@corvane.test"), QStringLiteral("Half way"));
        const QString inbox = m_postfix.maildir() + QStringLiteral("/new");
        QTRY_VERIFY2_WITH_TIMEOUT(filesIn(inbox).size() >= 4, qPrintable(m_postfix.logText()), 60000);
        for (const QString &path : filesIn(inbox)) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            m_delivered.append(file.readAll());
        }
        QCOMPARE(m_delivered.size(), 4);
    }

    void cleanupTestCase() {
        m_sink.kill();
        m_sink.waitForFinished(3000);
        QString error;
        QVERIFY2(m_postfix.stop(&error), qPrintable(error));
    }

    void counting_data() {
        QTest::addColumn<bool>("precise");
        QTest::addColumn<bool>("outOfOffice");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("bouncesProcessed");
        const QStringList preciseRows{"cc@example.org|A|0",      "gone@corvane.test|A|1",   "help@refuse.test|A|0",
                                      "member@corvane.test|A|0", "nobody@corvane.test|A|1", "someone@refuse.test|A|1"};
        QTest::newRow("precise") << true << false << preciseRows << 3;
        // Postfix marks its reports Auto-Submitted; they still count with out-of-office removal on.
        QTest::newRow("precise, out-of-office removal on") << true << true << preciseRows << 3;
        QTest::newRow("every address") << false << false
                                       << QStringList{"cc@example.org|A|0",      "gone@corvane.test|A|1",
                                                      "help@refuse.test|A|1",    "member@corvane.test|A|0",
                                                      "nobody@corvane.test|A|1", "someone@refuse.test|A|1"}
                                       << 4;
    }

    void counting() {
        QFETCH(bool, precise);
        QFETCH(bool, outOfOffice);
        ScanFixture f;
        f.settings.RemoveOutofOffice = outOfOffice;
        f.settings.FailedMail = true;
        f.settings.PreciseBounces = precise;
        f.settings.ProcessAsUnread = {false, true};
        f.addEntries({"cc@example.org|A", "gone@corvane.test|A", "help@refuse.test|A", "member@corvane.test|A",
                      "nobody@corvane.test|A", "someone@refuse.test|A"});
        for (const QByteArray &message : m_delivered)
            f.deliver(message);
        const TfrmExtractentries::Summary summary = f.scan();
        QCOMPARE(summary.result, TfrmExtractentries::Result::Completed);
        QCOMPARE(summary.examined, 4);
        // Three reports handled; the delivered original is no request and stays.
        QCOMPARE(summary.handled, 3);
        QCOMPARE(f.filesLeft(), 1);
        QTEST(summary.bouncesProcessed, "bouncesProcessed");
        QTEST(f.rows(), "rows");
        // Each report counts once, whatever its addresses.
        QCOMPARE(f.totalBounces(), 3);
    }
};

QTEST_GUILESS_MAIN(TestPostfixBounces)
#include "tst_postfixbounces.moc"

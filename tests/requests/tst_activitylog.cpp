// The activity log: appending only while logging is on, and the viewer's loading, clearing and saving with
// their questions and failure messages.
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "requests/ActivityLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace corvane;

namespace {
const QString ClearQuestion = QStringLiteral("Are you sure you want to clear your log file?");
const QString EnableQuestion =
    QStringLiteral("You do not currently have logging enabled.  Do you want to enable it now?");

QByteArray bytesOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

class TestActivityLog : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    ScriptedPrompt m_prompt;

private slots:
    void init() {
        m_home = std::make_unique<QTemporaryDir>();
        AppPaths::setApplicationDirectory(m_home->path());
        m_prompt = ScriptedPrompt();
    }
    void cleanup() {
        QVERIFY(m_prompt.allAnswersUsed());
        AppPaths::setApplicationDirectory(QString());
    }

    void addToLog() {
        Settings settings;
        settings.MaintainLog = false;
        const ActivityLog log(settings);
        log.AddToLog(QStringLiteral("lost"));
        QVERIFY(!QFile::exists(ActivityLog::fileName()));

        settings.MaintainLog = true;
        log.AddToLog(QStringLiteral("first"));
        log.AddToLog(QString());
        log.AddToLog(QStringLiteral("ADD a@b.org  [] -> Entered Successfully"));
        QCOMPARE(bytesOf(ActivityLog::fileName()),
                 QByteArray("first\r\n\r\nADD a@b.org  [] -> Entered Successfully\r\n"));
    }

    void checkLoggingBeforeDisplay_data() {
        QTest::addColumn<bool>("logging");
        QTest::addColumn<int>("answer"); // NoButton: no question expected
        QTest::addColumn<bool>("showViewer");
        QTest::addColumn<bool>("loggingAfter");

        QTest::newRow("logging on shows the viewer") << true << int(UserPrompt::NoButton) << true << true;
        QTest::newRow("Yes switches logging on") << false << int(UserPrompt::Yes) << false << true;
        QTest::newRow("No leaves it off") << false << int(UserPrompt::No) << false << false;
    }

    void checkLoggingBeforeDisplay() {
        QFETCH(bool, logging);
        QFETCH(int, answer);
        Settings settings;
        settings.MaintainLog = logging;
        if (answer != UserPrompt::NoButton) {
            m_prompt.answer(UserPrompt::Button(answer));
        }
        QTEST(ActivityLog::CheckLoggingBeforeDisplay(settings, m_prompt), "showViewer");
        QTEST(settings.MaintainLog, "loggingAfter");
        QCOMPARE(m_prompt.texts(), answer == UserPrompt::NoButton ? QStringList{} : QStringList{EnableQuestion});
    }

    void loadLog_data() {
        QTest::addColumn<QByteArray>("content"); // "<none>": no file; "<directory>": unreadable
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("missing log: empty, no message") << QByteArray("<none>") << "" << QStringList{};
        QTest::newRow("CR LF lines") << QByteArray("one\r\ntwo \xc3\xa9\r\n") << "one\ntwo \u00e9\n" << QStringList{};
        QTest::newRow("unreadable log") << QByteArray("<directory>") << ""
                                        << QStringList{"An error was encountered loading your text file!"};
    }

    void loadLog() {
        QFETCH(QByteArray, content);
        if (content == "<directory>") {
            QVERIFY(QDir().mkpath(ActivityLog::fileName()));
        } else if (content != "<none>") {
            writeBytes(ActivityLog::fileName(), content);
        }
        QTEST(ActivityLog::LoadLog(m_prompt), "text");
        QTEST(m_prompt.texts(), "messages");
        QCOMPARE(m_prompt.busyDepth, 0);
    }

    void clearLog_data() {
        QTest::addColumn<QByteArray>("content"); // "<none>": no file; "<directory>": cannot be deleted
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("cleared");
        QTest::addColumn<bool>("fileLeft");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("No keeps the file")
            << QByteArray("a\r\n") << int(UserPrompt::No) << false << true << QStringList{ClearQuestion};
        QTest::newRow("Yes deletes the file")
            << QByteArray("a\r\n") << int(UserPrompt::Yes) << true << false << QStringList{ClearQuestion};
        QTest::newRow("Yes without a file")
            << QByteArray("<none>") << int(UserPrompt::Yes) << true << false << QStringList{ClearQuestion};
        QTest::newRow("deletion fails") << QByteArray("<directory>") << int(UserPrompt::Yes) << true << true
                                        << QStringList{ClearQuestion, "Error clearing your log file"};
    }

    void clearLog() {
        QFETCH(QByteArray, content);
        QFETCH(int, answer);
        if (content == "<directory>") {
            QVERIFY(QDir().mkpath(ActivityLog::fileName() + QStringLiteral("/inside")));
        } else if (content != "<none>") {
            writeBytes(ActivityLog::fileName(), content);
        }
        m_prompt.answer(UserPrompt::Button(answer));
        QTEST(ActivityLog::ClearLog(m_prompt), "cleared");
        QTEST(QFileInfo::exists(ActivityLog::fileName()), "fileLeft");
        QTEST(m_prompt.texts(), "messages");
        if (content == "a\r\n" && answer == UserPrompt::No) {
            QCOMPARE(bytesOf(ActivityLog::fileName()), content);
        }
    }

    void saveLog() {
        const QString target = m_home->path() + QStringLiteral("/copy.txt");
        writeBytes(target, "old content");
        QVERIFY(ActivityLog::SaveLog(m_prompt, target, QStringLiteral("typed\nlines\r\nend")));
        QCOMPARE(bytesOf(target), QByteArray("typed\r\nlines\r\nend"));
        QVERIFY(m_prompt.shown.isEmpty());

        QVERIFY(!ActivityLog::SaveLog(m_prompt, m_home->path() + QStringLiteral("/no/such/dir/x.txt"),
                                      QStringLiteral("x")));
        QCOMPARE(m_prompt.texts(), QStringList{"Save Error!"});
    }
};

QTEST_GUILESS_MAIN(TestActivityLog)
#include "tst_activitylog.moc"

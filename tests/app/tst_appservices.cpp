// Single-instance hand-over, the missing-directory offer and the progress window rules.
#include "ScriptedPrompt.h"
#include "app/DirectoryCreation.h"
#include "app/SingleInstance.h"
#include "base/ProgressWindow.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

using namespace corvane;

class TestAppServices : public QObject {
    Q_OBJECT

private slots:
    void secondCopyHandsOverItsArguments() {
        const QString name = QStringLiteral("corvane-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        SingleInstance first(name);
        QVERIFY(first.claim({}));
        QSignalSpy spy(&first, &SingleInstance::activated);

        QStringList arguments;
        for (int i = 0; i < 12; ++i) {
            arguments.append(QString(i == 0 ? 400 : 3, QLatin1Char('a' + i)));
        }
        SingleInstance second(name);
        QVERIFY(!second.claim(arguments));
        QTRY_COMPARE(spy.count(), 1);
        const QStringList received = spy.at(0).at(0).toStringList();
        QCOMPARE(received.size(), 10);
        QCOMPARE(received.at(0), QString(300, QLatin1Char('a')));
        QCOMPARE(received.at(9), QStringLiteral("jjj"));
    }

    void staleSocketIsReplaced() {
        const QString name = QStringLiteral("corvane-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        {
            SingleInstance crashed(name);
            QVERIFY(crashed.claim({}));
        }
        SingleInstance next(name);
        QVERIFY(next.claim({}));
    }

    void directoryCreation_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("asked");
        QTest::newRow("existing") << QString() << -1 << true << false;
        QTest::newRow("created with parents") << "a/b/c" << int(UserPrompt::Ok) << true << true;
        QTest::newRow("cancelled") << "a/b/c" << int(UserPrompt::Cancel) << false << true;
    }
    void directoryCreation() {
        QFETCH(QString, relative);
        QFETCH(int, answer);
        QFETCH(bool, accepted);
        QFETCH(bool, asked);
        QTemporaryDir tmp;
        const QString path = relative.isEmpty() ? tmp.path() : tmp.filePath(relative);
        ScriptedPrompt prompt;
        if (answer >= 0) {
            prompt.answer(UserPrompt::Button(answer));
        }
        QCOMPARE(DirectoryCreation::ensureDirectory(prompt, path), accepted);
        QCOMPARE(QFileInfo(path).isDir(), accepted);
        QCOMPARE(prompt.shown.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(prompt.shown.at(0).text, QStringLiteral("The folder, ") + path +
                                                  QStringLiteral(" does not exist.  Would you like to create it?"));
        }
    }

    void shortPathIsNotOffered() {
        ScriptedPrompt prompt;
        QVERIFY(!DirectoryCreation::ensureDirectory(prompt, QStringLiteral("/q9")));
        QVERIFY(prompt.shown.isEmpty());
    }

    void failedCreationIsReported() {
        QTemporaryDir tmp;
        QFile blocker(tmp.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString path = tmp.filePath(QStringLiteral("file/sub"));
        ScriptedPrompt prompt;
        prompt.answer(UserPrompt::Ok);
        QVERIFY(!DirectoryCreation::ensureDirectory(prompt, path));
        QCOMPARE(prompt.shown.last().text,
                 QStringLiteral("An error was encountered while creating the folder, ") + path);
        QCOMPARE(prompt.shown.last().kind, UserPrompt::Kind::Warning);
    }

    void progressRules() {
        ScriptedPrompt prompt;
        ProgressWindow::showprogress(prompt, true, 5, 1, QStringLiteral("one"), false);
        QVERIFY(prompt.progress.isEmpty());
        ProgressWindow::showprogress(prompt, true, 1, 3, QStringLiteral("a third"), false);
        ProgressWindow::showprogress(prompt, true, 9, 4, QStringLiteral("clamped"), true);
        ProgressWindow::showprogress(prompt, true, 2000000000, 2100000000, QStringLiteral("no overflow"), false);
        QCOMPARE(prompt.progress, QStringList({"33|a third", "100|clamped", "95|no overflow"}));
        QCOMPARE(prompt.eventPumps, 1);
        QVERIFY(prompt.progressVisible);
        ProgressWindow::hideprogress(prompt);
        QVERIFY(!prompt.progressVisible);
    }

    void cancelQuestionSetsTheFlag_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("yes") << int(UserPrompt::Yes) << true;
        QTest::newRow("no") << int(UserPrompt::No) << false;
    }
    void cancelQuestionSetsTheFlag() {
        QFETCH(int, answer);
        QFETCH(bool, cancelled);
        ScriptedPrompt prompt;
        prompt.setCancelRequested(true);
        prompt.answer(UserPrompt::Button(answer));
        ProgressWindow::cancelPressed(prompt);
        QCOMPARE(prompt.cancelRequested(), cancelled);
        QCOMPARE(prompt.shown.at(0).text, QStringLiteral("Are you sure you want to cancel processing?"));
        QCOMPARE(prompt.shown.at(0).kind, UserPrompt::Kind::Confirmation);
    }
};

QTEST_GUILESS_MAIN(TestAppServices)
#include "tst_appservices.moc"

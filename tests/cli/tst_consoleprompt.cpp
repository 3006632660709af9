// The console prompt's stop on a question that comes back word for word after the same answer.
#include "cli/ConsolePrompt.h"

#include <QTest>
#include <cstdio>

using namespace corvane;

class TestConsolePrompt : public QObject {
    Q_OBJECT

private slots:
    void repeatedAnswerStops_data() {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("messages"); // "ok:" marks a message that only informs
        QTest::addColumn<QString>("answers");
        QTest::addColumn<bool>("gaveUp");
        QTest::newRow("--yes, the same question twice")
            << "yes" << QByteArray() << QStringList{"Q1", "Q1"} << "yes no" << true;
        QTest::newRow("--yes, a message between")
            << "yes" << QByteArray() << QStringList{"Q1", "ok:done", "Q1"} << "yes ok no" << true;
        QTest::newRow("--yes, another question between")
            << "yes" << QByteArray() << QStringList{"Q1", "Q2", "Q1"} << "yes yes yes" << false;
        QTest::newRow("once stopped, every question is answered no")
            << "yes" << QByteArray() << QStringList{"Q1", "Q1", "Q2", "Q3"} << "yes no no no" << true;
        QTest::newRow("console, the same answer twice")
            << "ask" << QByteArray("y\ny\n") << QStringList{"Q1", "Q1"} << "yes no" << true;
        QTest::newRow("console, another answer")
            << "ask" << QByteArray("y\nn\n") << QStringList{"Q1", "Q1"} << "yes no" << false;
    }
    void repeatedAnswerStops() {
        QFETCH(QString, mode);
        QFETCH(QByteArray, input);
        QFETCH(QStringList, messages);
        QFETCH(QString, answers);
        QFETCH(bool, gaveUp);
        std::FILE *in = std::tmpfile();
        std::FILE *err = std::tmpfile();
        QVERIFY(in != nullptr && err != nullptr);
        std::fwrite(input.constData(), 1, static_cast<size_t>(input.size()), in);
        std::rewind(in);
        const ConsolePrompt::Answer fixed = mode == QLatin1String("yes")  ? ConsolePrompt::Answer::Yes
                                            : mode == QLatin1String("no") ? ConsolePrompt::Answer::No
                                                                          : ConsolePrompt::Answer::Ask;
        ConsolePrompt prompt(fixed, in, err);
        QStringList given;
        for (const QString &message : messages) {
            const bool ok = message.startsWith(QLatin1String("ok:"));
            const UserPrompt::Button b =
                prompt.message(UserPrompt::Kind::Warning, message,
                               ok ? UserPrompt::Buttons(UserPrompt::Ok) : UserPrompt::Yes | UserPrompt::No);
            given.append(b == UserPrompt::Yes ? "yes" : b == UserPrompt::No ? "no" : b == UserPrompt::Ok ? "ok" : "?");
        }
        QCOMPARE(given.join(QLatin1Char(' ')), answers);
        QCOMPARE(prompt.gaveUp(), gaveUp);
        std::rewind(err);
        char buffer[8192] = {};
        const size_t read = std::fread(buffer, 1, sizeof buffer - 1, err);
        QCOMPARE(QByteArray(buffer, static_cast<qsizetype>(read)).contains("so the command stops"), gaveUp);
        std::fclose(in);
        std::fclose(err);
    }
};

QTEST_GUILESS_MAIN(TestConsolePrompt)
#include "tst_consoleprompt.moc"

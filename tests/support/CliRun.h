// Runs corvane-cli for a test as a separate process, with its home and settings inside the test's
// temporary folder, and collects its exit status and output.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace corvane::test {

struct CliResult {
    int status;
    QString out;
    QString err;
};

// Runs `program` with "--home" DIR/home and `arguments`, XDG_CONFIG_HOME set to DIR/config and
// CORVANE_HOME removed, standard input closed. With `pumpEvents` the wait keeps this process's event loop
// running (for a server living in the test). A run past `limitMs` is killed and gives status -1 with
// "timed out" as its error output.
inline CliResult runCli(const QString &program, const QTemporaryDir &dir, const QStringList &arguments,
                        bool pumpEvents = false, int limitMs = 30000) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.remove(QStringLiteral("CORVANE_HOME"));
    process.setProcessEnvironment(env);
    process.start(program, QStringList{QStringLiteral("--home"), dir.filePath(QStringLiteral("home"))} + arguments);
    process.closeWriteChannel();
    const bool finished = pumpEvents ? QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, limitMs)
                                     : process.waitForFinished(limitMs);
    if (!finished) {
        process.kill();
        process.waitForFinished(2000);
        return {-1, QString(), QStringLiteral("timed out")};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace corvane::test

// Runs corvane-cli for a test as a separate process, with its home and settings inside the test's
// temporary folder, and collects its exit status and output.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace corvane::test {

struct CliResult {
    int status;
    QString out;
    QString err;
};

// How a run differs from the plain one.
struct CliOptions {
    QByteArray input;         // written to standard input before it is closed
    QString workingDirectory; // empty: this process's
    QString home;             // the "--home" folder; empty: DIR/home
    QStringList leading;      // arguments between "--home" and the command's own (such as "--yes")
    QList<std::pair<QString, QString>> environment; // variables set; a null value removes the variable
    bool pumpEvents = false; // keep this process's event loop running (for a server living in the test)
    int limitMs = 30000;     // a run past this is killed
};

// Starts `program` with "--home" DIR/home (or options.home), options.leading and `arguments`,
// XDG_CONFIG_HOME set to DIR/config and CORVANE_HOME removed, then options.environment applied.
inline void startCli(QProcess &process, const QString &program, const QTemporaryDir &dir, const QStringList &arguments,
                     const CliOptions &options = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.remove(QStringLiteral("CORVANE_HOME"));
    for (const auto &[name, value] : options.environment) {
        if (value.isNull()) {
            env.remove(name);
        } else {
            env.insert(name, value);
        }
    }
    process.setProcessEnvironment(env);
    if (!options.workingDirectory.isEmpty()) {
        process.setWorkingDirectory(options.workingDirectory);
    }
    const QString home = options.home.isEmpty() ? dir.filePath(QStringLiteral("home")) : options.home;
    process.start(program, QStringList{QStringLiteral("--home"), home} + options.leading + arguments);
}

// Runs `program` as startCli() does, writes options.input and closes standard input. A run past
// options.limitMs is killed and gives status -1 with "timed out" as its error output.
inline CliResult runCli(const QString &program, const QTemporaryDir &dir, const QStringList &arguments,
                        const CliOptions &options) {
    QProcess process;
    startCli(process, program, dir, arguments, options);
    process.write(options.input);
    process.closeWriteChannel();
    const bool finished =
        options.pumpEvents ? QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, options.limitMs)
                           : process.waitForFinished(options.limitMs);
    if (!finished) {
        process.kill();
        process.waitForFinished(2000);
        return {-1, QString(), QStringLiteral("timed out")};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

inline CliResult runCli(const QString &program, const QTemporaryDir &dir, const QStringList &arguments,
                        bool pumpEvents = false, int limitMs = 30000) {
    CliOptions options;
    options.pumpEvents = pumpEvents;
    options.limitMs = limitMs;
    return runCli(program, dir, arguments, options);
}

} // namespace corvane::test

// corvane-cli: Corvane without windows, for servers and cron. Parses the global options (--home, --yes,
// --no, --help), opens the database as the desktop program does, runs one command, and ends as the
// program's shutdown does for what the command touched.
#pragma once

#include <QStringList>
#include <cstdio>

namespace corvane {

class ConsolePrompt;
class UserPrompt;
class Tfrmmain;
class SqliteTable;

class CliApplication {
public:
    CliApplication(std::FILE *out, std::FILE *err, std::FILE *in);

    // Runs the command line `arguments` (program name excluded). Returns the exit status: 0 on success,
    // 1 when the command failed, 2 for a usage error.
    int run(const QStringList &arguments);

    static QString usage();

private:
    int runCommand(Tfrmmain &main, UserPrompt &prompt, const QStringList &command);
    int info(Tfrmmain &main);
    int list(Tfrmmain &main, const QStringList &arguments);
    int settings(Tfrmmain &main, const QStringList &arguments);
    // add, remove, bounce and change: through the list rules, printing every log line they produce.
    int request(Tfrmmain &main, const QString &name, const QStringList &arguments);
    // True when every log line of a request reports a success (an existing entry counts as one).
    static bool requestSucceeded(const QStringList &lines);
    int errors(Tfrmmain &main);
    int log();
    bool requireDatabase(Tfrmmain &main);
    // The eight fields of the current entry separated by tabs; the may-post flag as "True" or "False".
    static QString entryLine(const SqliteTable &table);
    void print(const QString &text);
    void fail(const QString &text);

    std::FILE *m_out;
    std::FILE *m_err;
    std::FILE *m_in;
    bool m_settingsChanged = false;
    bool m_errorsChanged = false;
    // Only rule lists changed (a request may block an address): their files are merged, the values not written.
    bool m_rulesChanged = false;
};

} // namespace corvane

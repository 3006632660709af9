// What a corvane-cli command works with: the headless main window (database, settings, rules), output to
// standard output and error messages, and the marks that decide what is saved when the command ends.
#pragma once

#include <QString>
#include <functional>

namespace corvane {

class Tfrmmain;
class UserPrompt;

struct CliContext {
    Tfrmmain &main;
    UserPrompt &prompt;
    // One line of output (a line end is added).
    std::function<void(const QString &)> print;
    // One error message on standard error.
    std::function<void(const QString &)> fail;
    // Set when the command changed settings or rule lists (they are saved at the end, with the database).
    bool &settingsChanged;
    // Set when the command changed the errors list.
    bool &errorsChanged;

    // True when a mailing list database is open; otherwise says so through `fail` and returns false.
    bool requireDatabase() const;
};

} // namespace corvane

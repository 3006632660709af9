// Reprocessing an errors-list line on the command line.
#include "cli/CliErrorsCommand.h"

#include "app/Tfrmmain.h"
#include "cli/CliContext.h"
#include "requests/AddressChangeAsker.h"
#include "requests/ErrorsList.h"
#include "requests/ReprocessAsker.h"
#include "requests/Tdlgerrors.h"
#include "requests/Tdlgreprocess.h"

#include <QFileInfo>

namespace corvane {

namespace {
// Accepts the line's own values, with "Ignore All Rules" as the command line asks.
class LineValues : public ReprocessAsker, public AddressChangeAsker {
public:
    explicit LineValues(bool ignore) : m_ignore(ignore) {}
    bool ask(Tdlgreprocess &form) override {
        form.ignoreAllRules = m_ignore;
        return true;
    }
    bool ask(QString &, QString &, bool, bool &ignoreAllRules) override {
        ignoreAllRules = m_ignore;
        return true;
    }

private:
    bool m_ignore;
};
} // namespace

QString CliErrorsCommand::usage() {
    return QStringLiteral("  errors --reprocess N [--ignore-rules]\n"
                          "                            run line N of the errors list again (1 is the first);\n"
                          "                            exits with 1 when the request fails again\n");
}

int CliErrorsCommand::reprocess(CliContext &context, const QStringList &arguments) {
    int number = 0;
    bool ignore = false;
    bool usable = true;
    for (int i = 0; i < arguments.size() && usable; ++i) {
        if (arguments.at(i) == QLatin1String("--reprocess") && i + 1 < arguments.size() && number == 0) {
            number = arguments.at(++i).toInt(&usable);
            usable = usable && number > 0;
        } else if (arguments.at(i) == QLatin1String("--ignore-rules")) {
            ignore = true;
        } else {
            usable = false;
        }
    }
    if (!usable || number == 0) {
        context.fail(QStringLiteral("usage: errors [--reprocess N [--ignore-rules]]"));
        return 2;
    }
    ErrorsList &errors = context.main.errorsList();
    if (QFileInfo::exists(ErrorsList::fileName()) && !errors.LoadFromFile()) {
        context.fail(QStringLiteral("cannot read ") + ErrorsList::fileName());
        return 1;
    }
    if (number > errors.lines().size()) {
        context.fail(QStringLiteral("the errors list has %1 lines").arg(errors.lines().size()));
        return 2;
    }
    const QString line = errors.lines().at(number - 1);
    const auto before = errors.lines().size();
    Tdlgerrors window(errors, context.main.rules(), context.main.settings(), context.prompt);
    window.setSelection({number - 1}, number - 1);
    LineValues values(ignore);
    if (window.ReprocessEntry(values, values) != Tdlgerrors::Outcome::Reprocessed) {
        // The window's warning has told why.
        return 1;
    }
    context.errorsChanged = true;
    // The rules may have extended the blocked list.
    context.settingsChanged = true;
    context.print(QStringLiteral("Reprocessed: ") + line);
    if (errors.lines().size() >= before) {
        context.print(QStringLiteral("Failed again: ") + errors.lines().last());
        return 1;
    }
    return 0;
}

} // namespace corvane

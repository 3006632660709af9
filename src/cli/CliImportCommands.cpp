// The import and enter commands of corvane-cli.
#include "cli/CliImportCommands.h"

#include "app/Tfrmmain.h"
#include "base/CorvaneError.h"
#include "base/TextFile.h"
#include "cli/CliContext.h"
#include "db/TdmML.h"
#include "listio/EnterAddresses.h"
#include "listio/ImportLines.h"
#include "listio/ImportSettings.h"
#include "listio/ListImport.h"
#include "requests/ActivityLog.h"
#include "requests/EntryRules.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <cstdio>
#include <functional>
#include <optional>

namespace corvane {

namespace {

// Runs `run` with the errors list loaded from its file (new failures join it) and counts the outcomes the
// activity log receives; prints the summary. The rule files are saved afterwards, as removals may have
// added to the blocked addresses. False when the errors list cannot be read or the rule files not written.
bool withOutcomes(CliContext &context, const std::function<void()> &run) {
    if (QFileInfo::exists(ErrorsList::fileName()) && !context.main.errorsList().LoadFromFile()) {
        context.fail(QStringLiteral("cannot read ") + ErrorsList::fileName());
        return false;
    }
    QMap<QString, qint64> outcomes;
    context.main.activityLog().setObserver([&outcomes](const QString &line) {
        const qsizetype arrow = line.lastIndexOf(QLatin1String(" -> "));
        ++outcomes[arrow < 0 ? QStringLiteral("(other)") : line.mid(arrow + 4)];
    });
    try {
        run();
    } catch (...) {
        context.main.activityLog().setObserver(nullptr);
        throw;
    }
    context.main.activityLog().setObserver(nullptr);
    context.errorsChanged = true;
    for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it) {
        context.print(QString::number(it.value()) + QLatin1Char('\t') + it.key());
    }
    if (!context.main.settingsStore()->saveFiles(context.main.settings())) {
        context.fail(QStringLiteral("the rule files could not be saved"));
        return false;
    }
    return true;
}

bool takeValue(CliContext &context, const QString &command, const QStringList &arguments, int &i, QString &value) {
    if (i + 1 >= arguments.size()) {
        context.fail(command + QStringLiteral(": ") + arguments.at(i) + QStringLiteral(" needs a value"));
        return false;
    }
    value = arguments.at(++i);
    return true;
}

} // namespace

QString CliImportCommands::usage() {
    return QStringLiteral(
        "  import FILE [--category C] [--columns LIST] [--separator C] [--header]\n"
        "                            import an entry file: one address per line into category C (default:\n"
        "                            the default category), or with --columns/--separator/--header one entry\n"
        "                            per line from its fields; LIST maps the file's columns in order to\n"
        "                            e-mail,category,full-name,first-name,comments,bounces or ignore\n"
        "  enter (--add [--category C] | --remove [--category C] | --undeliverable) [FILE|-]\n"
        "                            add, remove or count as undeliverable every line of FILE or of standard\n"
        "                            input (\"-\" or no FILE)\n");
}

int CliImportCommands::import(CliContext &context, const QStringList &arguments) {
    QString file;
    QString category;
    bool categoryGiven = false;
    bool multiColumn = false;
    ImportSettings settings;
    QStringList mapping = ImportSettings::defaultMapping();
    QString separator = QStringLiteral(",");
    bool header = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString value;
        if (argument == QLatin1String("--category")) {
            if (!takeValue(context, QStringLiteral("import"), arguments, i, category)) {
                return 2;
            }
            categoryGiven = true;
        } else if (argument == QLatin1String("--columns")) {
            if (!takeValue(context, QStringLiteral("import"), arguments, i, value)) {
                return 2;
            }
            if (!ImportSettings::parseColumns(value, mapping)) {
                context.fail(QStringLiteral("import: unknown, repeated or too many columns in ") + value);
                return 2;
            }
            multiColumn = true;
        } else if (argument == QLatin1String("--separator")) {
            if (!takeValue(context, QStringLiteral("import"), arguments, i, separator)) {
                return 2;
            }
            if (separator.size() > 1) {
                context.fail(QStringLiteral("import: the separator must be one character"));
                return 2;
            }
            multiColumn = true;
        } else if (argument == QLatin1String("--header")) {
            header = true;
            multiColumn = true;
        } else if (file.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            file = argument;
        } else {
            context.fail(QStringLiteral("import: unexpected argument ") + argument);
            return 2;
        }
    }
    if (file.isEmpty()) {
        context.fail(QStringLiteral("usage: import FILE [--category C] [--columns LIST] [--separator C] [--header]"));
        return 2;
    }
    if (multiColumn && categoryGiven) {
        context.fail(QStringLiteral("import: --category is for a single-column file; map a category column instead"));
        return 2;
    }
    if (!context.requireDatabase()) {
        return 1;
    }
    if (!categoryGiven) {
        category = context.main.settings().defaultcategory;
    }
    const QString path = QFileInfo(file).absoluteFilePath();
    ListImport run(context.main.rules(), context.prompt);
    bool started = false;
    qint64 processed = 0;
    const bool ok = withOutcomes(context, [&] {
        if (multiColumn) {
            // The mapping given on the command line stands in for the settings dialog's arrangement.
            settings.setFileName(path);
            settings.setSeparator(separator, context.prompt);
            settings.setHeader(header, context.prompt);
            settings.rebuild(context.prompt);
            settings.setMapping(mapping);
        }
        started = run.importFile(path, multiColumn, multiColumn ? QString() : category, settings, &processed);
    });
    context.print(QString::number(processed) + QStringLiteral(" lines processed"));
    return ok && started && run.completed() ? 0 : 1;
}

int CliImportCommands::enter(CliContext &context, const QStringList &arguments) {
    std::optional<EnterAddresses::Choice> choice;
    QString category;
    QString file;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const auto choose = [&](EnterAddresses::Choice c) {
            if (choice) {
                return false;
            }
            choice = c;
            return true;
        };
        bool ok = true;
        if (argument == QLatin1String("--add")) {
            ok = choose(EnterAddresses::Choice::Add);
        } else if (argument == QLatin1String("--remove")) {
            ok = choose(EnterAddresses::Choice::Remove);
        } else if (argument == QLatin1String("--undeliverable")) {
            ok = choose(EnterAddresses::Choice::Undeliverable);
        } else if (argument == QLatin1String("--category")) {
            if (!takeValue(context, QStringLiteral("enter"), arguments, i, category)) {
                return 2;
            }
        } else if (file.isEmpty() && (argument == QLatin1String("-") || !argument.startsWith(QLatin1String("-")))) {
            file = argument;
        } else {
            ok = false;
        }
        if (!ok) {
            context.fail(QStringLiteral("enter: unexpected argument ") + argument);
            return 2;
        }
    }
    if (!choice || (*choice == EnterAddresses::Choice::Undeliverable && !category.isEmpty())) {
        context.fail(
            QStringLiteral("usage: enter (--add [--category C] | --remove [--category C] | --undeliverable) [FILE|-]"));
        return 2;
    }
    if (!context.requireDatabase()) {
        return 1;
    }
    QStringList lines;
    try {
        if (file.isEmpty() || file == QLatin1String("-")) {
            QFile in;
            if (!in.open(stdin, QIODevice::ReadOnly)) {
                throw CorvaneError(QStringLiteral("cannot read standard input"));
            }
            lines = TextFile::decodeLines(in.readAll());
        } else {
            lines = TextFile::readLines(QFileInfo(file).absoluteFilePath());
        }
    } catch (const CorvaneError &e) {
        context.fail(e.message());
        return 1;
    }
    const QString addCategory = category.isEmpty() && *choice == EnterAddresses::Choice::Add
                                    ? context.main.settings().defaultcategory
                                    : category;
    bool accepted = false;
    bool completed = false;
    const bool ok = withOutcomes(context, [&] {
        accepted = EnterAddresses::accept(context.main.rules(), context.prompt, lines, *choice, addCategory,
                                          category.isEmpty(), category, &completed);
    });
    context.print(QString::number(lines.size()) + QStringLiteral(" lines read"));
    return ok && accepted && completed ? 0 : 1;
}

} // namespace corvane

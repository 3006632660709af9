// The command line's options and commands.
#include "cli/CliApplication.h"

#include "app/Tfrmmain.h"
#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "cli/ConsolePrompt.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"

#include <QDir>

namespace corvane {

CliApplication::CliApplication(std::FILE *out, std::FILE *err, std::FILE *in) : m_out(out), m_err(err), m_in(in) {}

QString CliApplication::usage() {
    return QStringLiteral(
        "Usage: corvane-cli [--home DIR] [--yes | --no] COMMAND [ARGUMENTS]\n"
        "\n"
        "Runs Corvane without windows, on the same application directory, settings and database as the\n"
        "desktop program.\n"
        "\n"
        "Global options:\n"
        "  --home DIR   the application directory (rule files, logs, recent list); as CORVANE_HOME does\n"
        "  --yes        answer Yes (or OK) to every question\n"
        "  --no         answer No (or Cancel) to every question\n"
        "  --help       show this text\n"
        "\n"
        "Commands:\n"
        "  info                      application directory, settings file, database directory, entries\n"
        "  list [--category C]       every entry, one per line, its eight fields separated by tabs;\n"
        "                            with --category only categories beginning with C (letter case ignored)\n"
        "  settings get NAME         a setting in its stored text form\n"
        "  settings set NAME VALUE   change a setting and save all settings and rule files\n"
        "  settings list             every setting name with its stored text\n");
}

void CliApplication::print(const QString &text) {
    std::fputs(text.toUtf8().constData(), m_out);
    std::fputc('\n', m_out);
}

void CliApplication::fail(const QString &text) {
    std::fputs(("corvane-cli: " + text + "\n").toUtf8().constData(), m_err);
}

int CliApplication::run(const QStringList &arguments) {
    ConsolePrompt::Answer answer = ConsolePrompt::Answer::Ask;
    QStringList command;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (!command.isEmpty()) {
            command.append(arg);
        } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            print(usage());
            return 0;
        } else if (arg == QLatin1String("--home")) {
            if (i + 1 >= arguments.size()) {
                fail(QStringLiteral("--home needs a directory"));
                return 2;
            }
            AppPaths::setApplicationDirectory(arguments.at(++i));
        } else if (arg == QLatin1String("--yes")) {
            answer = ConsolePrompt::Answer::Yes;
        } else if (arg == QLatin1String("--no")) {
            answer = ConsolePrompt::Answer::No;
        } else if (arg.startsWith(QLatin1String("--"))) {
            fail(QStringLiteral("unknown option ") + arg + QStringLiteral(" (see --help)"));
            return 2;
        } else {
            command.append(arg);
        }
    }
    if (command.isEmpty()) {
        fail(QStringLiteral("no command given (see --help)"));
        return 2;
    }
    static const QStringList known = {QStringLiteral("info"), QStringLiteral("list"), QStringLiteral("settings")};
    if (!known.contains(command.first())) {
        fail(QStringLiteral("unknown command ") + command.first() + QStringLiteral(" (see --help)"));
        return 2;
    }

    ConsolePrompt prompt(answer, m_in, m_err);
    Tfrmmain main(prompt);
    main.FormCreate({});
    main.createDataModule();
    int status = 1;
    try {
        status = runCommand(main, command);
    } catch (const CorvaneError &e) {
        fail(e.message());
        status = 1;
    }
    // End as the program's shutdown does for what the command touched.
    if (m_settingsChanged) {
        main.settingsStore()->SaveEntries(main.settings());
    } else if (main.dataModule()->DatabaseLoaded()) {
        try {
            main.dataModule()->SaveDatabase();
        } catch (const CorvaneError &e) {
            fail(e.message());
            status = 1;
        }
    }
    main.FormDestroy();
    return status;
}

int CliApplication::runCommand(Tfrmmain &main, const QStringList &command) {
    const QString &name = command.first();
    const QStringList rest = command.mid(1);
    if (name == QLatin1String("info")) {
        if (!rest.isEmpty()) {
            fail(QStringLiteral("info takes no arguments"));
            return 2;
        }
        return info(main);
    }
    if (name == QLatin1String("list")) {
        return list(main, rest);
    }
    return settings(main, rest);
}

QString CliApplication::entryLine(const SqliteTable &table) {
    QStringList fields;
    for (int i = 0; i < table.schema().fields.size(); ++i) {
        const QVariant value = table.field(i);
        if (value.typeId() == QMetaType::Bool) {
            fields.append(value.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
        } else {
            fields.append(value.toString());
        }
    }
    return fields.join(QLatin1Char('\t'));
}

bool CliApplication::requireDatabase(Tfrmmain &main) {
    if (main.dataModule()->DatabaseLoaded()) {
        return true;
    }
    fail(QStringLiteral("no mailing list database is open"));
    return false;
}

int CliApplication::info(Tfrmmain &main) {
    TdmML &dm = *main.dataModule();
    print(QStringLiteral("Application directory: ") + main.applicationDirectory());
    print(QStringLiteral("Settings file: ") + AppPaths::settingsFilePath());
    print(QStringLiteral("Database directory: ") + (dm.DatabaseLoaded() ? dm.databaseDirectory() : QString()));
    if (!requireDatabase(main)) {
        return 1;
    }
    print(QStringLiteral("Entries: ") + QString::number(dm.tblML().recordCount()));
    return 0;
}

int CliApplication::list(Tfrmmain &main, const QStringList &arguments) {
    QString category;
    bool filtered = false;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--category") && i + 1 < arguments.size()) {
            category = arguments.at(++i);
            filtered = true;
        } else {
            fail(QStringLiteral("list: unexpected argument ") + arguments.at(i));
            return 2;
        }
    }
    if (!requireDatabase(main)) {
        return 1;
    }
    SqliteTable &table = main.dataModule()->tblML();
    if (filtered) {
        table.setFilter(TableFilter::prefixes(QStringLiteral("Category"), TableFilter::Mode::Include, {category}));
        table.setFiltered(true);
    }
    for (table.first(); !table.eof(); table.next()) {
        print(entryLine(table));
    }
    if (filtered) {
        table.setFiltered(false);
    }
    return 0;
}

int CliApplication::settings(Tfrmmain &main, const QStringList &arguments) {
    SettingsStore &store = *main.settingsStore();
    Settings &values = main.settings();
    store.Loadentries(values);
    const QString verb = arguments.value(0);
    if (verb == QLatin1String("list") && arguments.size() == 1) {
        for (const QString &name : SettingsStore::valueNames()) {
            print(name + QLatin1Char('\t') + store.storedText(values, name));
        }
        return 0;
    }
    if (verb == QLatin1String("get") && arguments.size() == 2) {
        const QString text = store.storedText(values, arguments.at(1));
        if (text.isNull()) {
            fail(QStringLiteral("unknown setting \"") + arguments.at(1) + QStringLiteral("\" (see settings list)"));
            return 1;
        }
        print(text);
        return 0;
    }
    if (verb == QLatin1String("set") && arguments.size() == 3) {
        if (!store.setStoredText(values, arguments.at(1), arguments.at(2))) {
            fail(QStringLiteral("unknown setting \"") + arguments.at(1) + QStringLiteral("\" (see settings list)"));
            return 1;
        }
        m_settingsChanged = true;
        print(arguments.at(1) + QLatin1Char('\t') + store.storedText(values, arguments.at(1)));
        return 0;
    }
    fail(QStringLiteral("usage: settings get NAME | settings set NAME VALUE | settings list"));
    return 2;
}

} // namespace corvane

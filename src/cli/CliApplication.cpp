// The command line's options and commands.
#include "cli/CliApplication.h"

#include "app/Tfrmmain.h"
#include "base/AppPaths.h"
#include "base/CorvaneError.h"
#include "base/TextFile.h"
#include "cli/CliContext.h"
#include "cli/CliErrorsCommand.h"
#include "cli/CliExportCommands.h"
#include "cli/CliHarvestCommand.h"
#include "cli/CliImapCommand.h"
#include "cli/CliImportCommands.h"
#include "cli/CliMailCommands.h"
#include "cli/CliMaintenanceCommands.h"
#include "cli/CliScanCommand.h"
#include "cli/CliSendCommand.h"
#include "cli/CliSmtpTestCommand.h"
#include "cli/CliStatsCommands.h"
#include "cli/ConsolePrompt.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "requests/ActivityLog.h"
#include "requests/EntryRules.h"
#include "requests/ErrorsList.h"
#include "settings/Settings.h"
#include "settings/SettingsCatalog.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

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
               "  settings list             every setting name with its stored text\n"
               "  add ADDRESS [--category C] [--name N]\n"
               "                            add an entry through the list rules; prints the log line\n"
               "  remove ADDRESS [--category C]\n"
               "                            remove the address (every category when C is empty, ALL or ME)\n"
               "  bounce ADDRESS            count one delivery failure against the address\n"
               "  change OLD NEW            replace an address in every entry that holds it\n"
               "  errors                    print the errors list\n"
               "  log                       print the activity log\n") +
           CliImportCommands::usage() + CliHarvestCommand::usage() + CliExportCommands::usage() +
           CliMaintenanceCommands::usage() + CliStatsCommands::usage() + CliMailCommands::usage() +
           CliSmtpTestCommand::usage() + CliImapCommand::usage() + CliScanCommand::usage() + CliSendCommand::usage() +
           CliErrorsCommand::usage() +
           QStringLiteral("\nadd, remove, bounce and change exit with 1 when the request was refused or failed.\n");
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
    static const QStringList known = {
        QStringLiteral("info"),      QStringLiteral("list"),          QStringLiteral("settings"),
        QStringLiteral("add"),       QStringLiteral("remove"),        QStringLiteral("bounce"),
        QStringLiteral("change"),    QStringLiteral("errors"),        QStringLiteral("log"),
        QStringLiteral("merge"),     QStringLiteral("reset-bounces"), QStringLiteral("stats"),
        QStringLiteral("export"),    QStringLiteral("backup"),        QStringLiteral("folders"),
        QStringLiteral("smtp-test"), QStringLiteral("import"),        QStringLiteral("enter"),
        QStringLiteral("harvest"),   QStringLiteral("imap-test")};
    if (!known.contains(command.first()) && command.first() != QLatin1String("scan") &&
        command.first() != QLatin1String("send")) {
        fail(QStringLiteral("unknown command ") + command.first() + QStringLiteral(" (see --help)"));
        return 2;
    }

    ConsolePrompt prompt(answer, m_in, m_err);
    // A damaged database is repaired only when the person agrees (--yes or an answer on the console).
    TdmML::setRepairConsentByDefault(true);
    Tfrmmain main(prompt);
    main.FormCreate({});
    main.createDataModule();
    int status = 1;
    // Every command works on the settings and rule lists as stored. When they cannot all be read the command
    // does not run, so that nothing acts on defaults or saves them over the person's settings.
    if (main.dataModule()->openFailed() || prompt.gaveUp()) {
        fail(QStringLiteral("the mailing list database in ") + main.dataModule()->databaseDirectory() +
             QStringLiteral(" could not be opened; nothing was done"));
    } else if (!main.settingsStore()->Loadentries(main.settings())) {
        fail(QStringLiteral("the settings could not be read; nothing was changed"));
    } else {
        try {
            status = runCommand(main, prompt, command);
        } catch (const CorvaneError &e) {
            fail(e.message());
            status = 1;
        }
        if (prompt.gaveUp()) {
            status = 1;
        }
    }
    // End as the program's shutdown does for what the command touched; a write that fails fails the command.
    if (m_errorsChanged && !main.errorsList().SaveToFile()) {
        fail(QStringLiteral("cannot write ") + ErrorsList::fileName());
        status = 1;
    }
    if (m_settingsChanged) {
        if (!main.settingsStore()->SaveEntries(main.settings())) {
            fail(QStringLiteral("the settings could not be saved"));
            status = 1;
        }
    } else {
        if (m_rulesChanged && !main.settingsStore()->saveFiles(main.settings())) {
            fail(QStringLiteral("the rule files could not be saved"));
            status = 1;
        }
        if (main.dataModule()->DatabaseLoaded()) {
            try {
                main.dataModule()->SaveDatabase();
            } catch (const CorvaneError &e) {
                fail(e.message());
                status = 1;
            }
        }
    }
    main.FormDestroy();
    return status;
}

int CliApplication::runCommand(Tfrmmain &main, UserPrompt &prompt, const QStringList &command) {
    const QString &name = command.first();
    const QStringList rest = command.mid(1);
    CliContext context{main,
                       prompt,
                       [this](const QString &line) { print(line); },
                       [this](const QString &text) { fail(text); },
                       m_settingsChanged,
                       m_errorsChanged};
    if (name == QLatin1String("merge")) {
        return CliMaintenanceCommands::merge(context, rest);
    }
    if (name == QLatin1String("reset-bounces")) {
        return CliMaintenanceCommands::resetBounces(context, rest);
    }
    if (name == QLatin1String("smtp-test")) {
        return CliSmtpTestCommand::run(context, rest);
    }
    if (name == QLatin1String("scan")) {
        return CliScanCommand::scan(context, rest);
    }
    if (name == QLatin1String("imap-test")) {
        return CliImapCommand::imapTest(context, rest);
    }
    if (name == QLatin1String("send")) {
        return CliSendCommand::send(context, rest);
    }
    if (name == QLatin1String("folders")) {
        return CliMailCommands::folders(context, rest);
    }
    if (name == QLatin1String("import")) {
        return CliImportCommands::import(context, rest);
    }
    if (name == QLatin1String("enter")) {
        return CliImportCommands::enter(context, rest);
    }
    if (name == QLatin1String("harvest")) {
        return CliHarvestCommand::harvest(context, rest);
    }
    if (name == QLatin1String("export")) {
        return CliExportCommands::exportList(context, rest);
    }
    if (name == QLatin1String("backup")) {
        return CliExportCommands::backUp(context, rest);
    }
    if (name == QLatin1String("stats")) {
        return CliStatsCommands::stats(context, rest);
    }
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
    if (name == QLatin1String("settings")) {
        return settings(main, rest);
    }
    if (name == QLatin1String("errors") && !rest.isEmpty()) {
        return CliErrorsCommand::reprocess(context, rest);
    }
    if (name == QLatin1String("errors") || name == QLatin1String("log")) {
        if (!rest.isEmpty()) {
            fail(name + QStringLiteral(" takes no arguments"));
            return 2;
        }
        return name == QLatin1String("errors") ? errors(main) : log();
    }
    return request(main, name, rest);
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

int CliApplication::request(Tfrmmain &main, const QString &name, const QStringList &arguments) {
    QStringList words;
    QString category;
    QString fullName;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        const bool takesOption = name == QLatin1String("add") || name == QLatin1String("remove");
        if (takesOption && arg == QLatin1String("--category") && i + 1 < arguments.size()) {
            category = arguments.at(++i);
        } else if (name == QLatin1String("add") && arg == QLatin1String("--name") && i + 1 < arguments.size()) {
            fullName = arguments.at(++i);
        } else if (arg.startsWith(QLatin1String("--"))) {
            fail(name + QStringLiteral(": unexpected option ") + arg);
            return 2;
        } else {
            words.append(arg);
        }
    }
    const int wanted = name == QLatin1String("change") ? 2 : 1;
    if (words.size() != wanted) {
        fail(name + (wanted == 2 ? QStringLiteral(" needs the old and the new address")
                                 : QStringLiteral(" needs one address")));
        return 2;
    }
    if (!requireDatabase(main)) {
        return 1;
    }
    // New failures join the list kept in errors.txt, merged into the file at the end.
    if (QFileInfo::exists(ErrorsList::fileName()) && !main.errorsList().LoadFromFile()) {
        fail(QStringLiteral("cannot read ") + ErrorsList::fileName());
        return 1;
    }
    QStringList lines;
    main.activityLog().setObserver([this, &lines](const QString &line) {
        lines.append(line);
        print(line);
    });
    EntryRules &rules = main.rules();
    if (name == QLatin1String("add") || name == QLatin1String("remove")) {
        rules.insertentry(name == QLatin1String("add"), words.at(0), category, fullName, QString(), QString(), 0, false,
                          false);
    } else if (name == QLatin1String("bounce")) {
        rules.processbounce(words.at(0));
    } else {
        rules.ChangeEmailAddress(words.at(0), words.at(1), true, false);
    }
    main.activityLog().setObserver(nullptr);
    // The rules may have added to the errors list and to the blocked addresses; the values are left alone.
    m_errorsChanged = true;
    m_rulesChanged = true;
    if (lines.isEmpty()) {
        fail(words.at(0) + QStringLiteral(" is not an e-mail address"));
        return 1;
    }
    return requestSucceeded(lines) ? 0 : 1;
}

bool CliApplication::requestSucceeded(const QStringList &lines) {
    static const QStringList successes = {
        QStringLiteral(" -> Entered Successfully"), QStringLiteral(" -> Entry already exists!"),
        QStringLiteral(" -> Entry successfully deleted!"), QStringLiteral(" -> Bounce count incremented!")};
    for (const QString &line : lines) {
        const bool changed =
            line.startsWith(QLatin1String("Changed Email Address ")) && !line.contains(QLatin1String(" -> "));
        bool success = changed;
        for (const QString &ending : successes) {
            success = success || line.endsWith(ending);
        }
        if (!success) {
            return false;
        }
    }
    return true;
}

int CliApplication::errors(Tfrmmain &main) {
    ErrorsList &list = main.errorsList();
    if (QFileInfo::exists(ErrorsList::fileName()) && !list.LoadFromFile()) {
        fail(QStringLiteral("cannot read ") + ErrorsList::fileName());
        return 1;
    }
    for (const QString &line : list.lines()) {
        print(line);
    }
    return 0;
}

int CliApplication::log() {
    if (!QFileInfo::exists(ActivityLog::fileName())) {
        return 0;
    }
    try {
        for (const QString &line : TextFile::readLines(ActivityLog::fileName())) {
            print(line);
        }
    } catch (const CorvaneError &e) {
        fail(e.message());
        return 1;
    }
    return 0;
}

int CliApplication::settings(Tfrmmain &main, const QStringList &arguments) {
    SettingsStore &store = *main.settingsStore();
    Settings &values = main.settings();
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
        const QString refused = SettingsCatalog::refusal(arguments.at(1), arguments.at(2));
        if (!refused.isEmpty()) {
            fail(refused);
            return 1;
        }
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

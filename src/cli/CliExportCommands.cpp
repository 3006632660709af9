// The export and back-up commands of corvane-cli.
#include "cli/CliExportCommands.h"

#include "app/Tfrmmain.h"
#include "cli/CliContext.h"
#include "db/SqliteTable.h"
#include "db/TdmML.h"
#include "listio/BackUpFile.h"
#include "listio/ListExport.h"

#include <QFileInfo>

namespace corvane {

QString CliExportCommands::usage() {
    return QStringLiteral(
        "  export FILE [--fields LIST] [--separator C]\n"
        "                            write every entry to FILE, one line each; LIST is a comma-separated choice\n"
        "                            of email,category,fullname,firstname,comments,bounces (default all);\n"
        "                            C is the one-character field separator (default \",\")\n"
        "  backup                    write the back-up file and print its name\n");
}

int CliExportCommands::exportList(CliContext &context, const QStringList &arguments) {
    QString file;
    ExportFields fields;
    QString separator = QStringLiteral(",");
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--fields") || argument == QLatin1String("--separator")) {
            if (i + 1 >= arguments.size()) {
                context.fail(QStringLiteral("export: ") + argument + QStringLiteral(" needs a value"));
                return 2;
            }
            const QString &value = arguments.at(++i);
            if (argument == QLatin1String("--fields")) {
                if (!ExportFields::parse(value, fields)) {
                    context.fail(QStringLiteral("export: unknown field list ") + value +
                                 QStringLiteral(" (choose from email,category,fullname,firstname,comments,bounces)"));
                    return 2;
                }
            } else if (value.size() > 1) {
                context.fail(QStringLiteral("export: the separator must be one character"));
                return 2;
            } else {
                separator = value;
            }
        } else if (file.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            file = argument;
        } else {
            context.fail(QStringLiteral("export: unexpected argument ") + argument);
            return 2;
        }
    }
    if (file.isEmpty()) {
        context.fail(QStringLiteral("usage: export FILE [--fields LIST] [--separator C]"));
        return 2;
    }
    if (!context.requireDatabase()) {
        return 1;
    }
    ListExport run(context.prompt, context.main.dataModule()->tblML());
    if (!run.exportlist(QFileInfo(file).absoluteFilePath(), QString(), fields, false, separator)) {
        context.fail(QStringLiteral("export did not complete"));
        return 1;
    }
    return 0;
}

int CliExportCommands::backUp(CliContext &context, const QStringList &arguments) {
    if (!arguments.isEmpty()) {
        context.fail(QStringLiteral("backup takes no arguments"));
        return 2;
    }
    if (!context.requireDatabase()) {
        return 1;
    }
    QString name;
    if (!BackUpFile::SaveBackUpFile(context.prompt, context.main.dataModule()->tblML(), context.main.settings(),
                                    context.main.applicationDirectory(), false, &name)) {
        context.fail(QStringLiteral("the back-up file could not be written: ") + name);
        return 1;
    }
    context.print(name);
    return 0;
}

} // namespace corvane

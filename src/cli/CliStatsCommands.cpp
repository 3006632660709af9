// The statistics command of corvane-cli.
#include "cli/CliStatsCommands.h"

#include "app/Tfrmmain.h"
#include "base/CorvaneError.h"
#include "cli/CliContext.h"
#include "db/StatisticsModel.h"
#include "db/TdmML.h"

namespace corvane {

namespace {
QString escapedNotes(const QString &notes) {
    QString text;
    text.reserve(notes.size());
    for (const QChar c : notes) {
        switch (c.unicode()) {
        case '\\':
            text += QLatin1String("\\\\");
            break;
        case '\t':
            text += QLatin1String("\\t");
            break;
        case '\r':
            text += QLatin1String("\\r");
            break;
        case '\n':
            text += QLatin1String("\\n");
            break;
        default:
            text += c;
        }
    }
    return text;
}
} // namespace

QString CliStatsCommands::usage() {
    return QStringLiteral("  stats                     the daily statistics, one day per line: date, subscribes,\n"
                          "                            unsubscribes, bounces and notes separated by tabs; then the\n"
                          "                            line \"Total\" with the three sums\n");
}

int CliStatsCommands::stats(CliContext &context, const QStringList &arguments) {
    if (!arguments.isEmpty()) {
        context.fail(QStringLiteral("stats takes no arguments"));
        return 2;
    }
    TdmML *dm = context.main.dataModule();
    if (dm == nullptr || !dm->DatabaseLoaded()) {
        context.fail(QStringLiteral("no mailing list database is open"));
        return 1;
    }
    StatisticsModel model(context.prompt, dm->tblStats());
    try {
        model.reload();
    } catch (const CorvaneError &e) {
        context.fail(e.message());
        return 1;
    }
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList fields{model.dateAt(row).toString(Qt::ISODate)};
        for (int column = StatisticsModel::SubscribesColumn; column <= StatisticsModel::BouncesColumn; ++column) {
            fields.append(QString::number(model.data(model.index(row, column)).toInt()));
        }
        fields.append(escapedNotes(model.data(model.index(row, StatisticsModel::NotesColumn)).toString()));
        context.print(fields.join(QLatin1Char('\t')));
    }
    const StatisticsModel::Totals sums = model.totals();
    context.print(QStringList{QStringLiteral("Total"), QString::number(sums.subscribes),
                              QString::number(sums.unsubscribes), QString::number(sums.bounces)}
                      .join(QLatin1Char('\t')));
    return 0;
}

} // namespace corvane

// Printing the list to a PDF file (QPrinter's PDF output, offscreen): time and peak resident memory of
// "Print Mailing List" (the lines handed to the printer as the table is read), against the export of the same
// list to a text file in the same run (the reference for the time), and against printing the same lines
// gathered in memory first and printed afterwards (how printing worked before it read the list page by page:
// the reference for the memory). Each side runs as a process of its own, so that each peak is its own; the
// sides alternate over the rounds. Run at two list sizes, the peaks show whether memory grows with the list.
// Prints min / median / max of each side's seconds and peak, and of the ratio print / export.
//
// Usage: bench_ui_print [entries] [rounds] [directory]   (defaults 1000000, 3 and a temporary directory)
#include "BenchList.h"
#include "BenchPrompt.h"
#include "BenchRounds.h"
#include "db/SqliteTable.h"
#include "listio/ListExport.h"
#include "listio/ui/ListExportPrinter.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

using namespace corvane;
using namespace corvane::bench;

namespace {

// Takes every line into one list, as printing did before it streamed.
class GatheringTarget : public ListPrintTarget {
public:
    bool choose(const QString &) override { return true; }
    int copies() const override { return 1; }
    void beginCopy(const QString &) override {}
    bool addLine(const QString &line) override {
        lines.append(line);
        return true;
    }
    void endCopy() override {}
    void abortCopy() noexcept override {}
    QStringList lines;
};

// One side in this process: "print", "gathered" or "export" of `listFile` to `outFile`. Prints its seconds
// and peak resident megabytes on one line.
int runSide(const QString &side, const QString &listFile, const QString &outFile) {
    SqliteTable table(TableSchema::listTable());
    table.open(listFile, SqliteDatabase::Access::Exclusive);
    table.setIndexFieldNames(QStringLiteral("Item"));
    BenchPrompt prompt;
    ListExport run(prompt, table);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(outFile);
    ui::ListExportPrinter target(printer);
    const QString heading = ListExport::printHeading();
    bool ok = false;
    const double took = seconds([&] {
        if (side == QLatin1String("export")) {
            ok = run.exportlist(outFile, QString(), ExportFields{}, false, QStringLiteral(","));
        } else if (side == QLatin1String("print")) {
            run.printTarget = &target;
            ok = run.exportlist(QString(), heading, ExportFields{}, false, QStringLiteral(",")) && run.printed();
        } else {
            GatheringTarget gathered;
            run.printTarget = &gathered;
            ok = run.exportlist(QString(), heading, ExportFields{}, false, QStringLiteral(","));
            ok = ok && target.choose(heading);
            target.beginCopy(heading);
            for (const QString &line : std::as_const(gathered.lines)) {
                target.addLine(line);
            }
            target.endCopy();
        }
    });
    std::printf("%f %f %lld\n", took, peakResidentMb(), static_cast<long long>(QFile(outFile).size()));
    return ok ? 0 : 1;
}

struct SideRun {
    double seconds = 0;
    double peakMb = 0;
    qint64 bytes = 0;
};

SideRun runChild(const QString &side, const QString &listFile, const QString &outFile) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--side"), side, listFile, outFile});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        std::printf("the %s side failed: %s\n", qPrintable(side), child.readAllStandardError().constData());
        return {};
    }
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    QFile::remove(outFile);
    return {fields.value(0).toDouble(), fields.value(1).toDouble(), fields.value(2).toLongLong()};
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 5 && QByteArray(argv[1]) == "--side") {
        QApplication app(argc, argv);
        return runSide(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                       QString::fromLocal8Bit(argv[4]));
    }
    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 1000000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir scratch;
    const QString dir = argc > 3 ? QString::fromLocal8Bit(argv[3]) : scratch.path();
    const QString listFile = dir + QStringLiteral("/bench_print.DAT");
    if (!freshList(listFile, entries)) {
        return 1;
    }
    const QStringList sides{QStringLiteral("print"), QStringLiteral("gathered"), QStringLiteral("export")};
    std::vector<std::vector<double>> times(3);
    std::vector<std::vector<double>> peaks(3);
    qint64 pdfBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int side = 0; side < 3; ++side) {
            const SideRun run = runChild(sides[side], listFile,
                                         dir + (side == 2 ? QStringLiteral("/out.csv") : QStringLiteral("/out.pdf")));
            times[side].push_back(run.seconds);
            peaks[side].push_back(run.peakMb);
            pdfBytes = side == 0 ? run.bytes : pdfBytes;
        }
    }
    std::printf("%d entries, every field, %d rounds (PDF of %lld bytes)\n", entries, rounds,
                static_cast<long long>(pdfBytes));
    printSpread("print, page by page: seconds", times[0]);
    printSpread("print, lines gathered first: seconds", times[1]);
    printSpread("export to a text file: seconds", times[2]);
    printSpread("print page by page / export", ratios(times[0], times[2]), "");
    printSpread("print page by page: peak", peaks[0], "MB");
    printSpread("print, lines gathered first: peak", peaks[1], "MB");
    printSpread("export to a text file: peak", peaks[2], "MB");
    QFile::remove(listFile);
    return 0;
}

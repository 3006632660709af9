// Benchmark of the main window on a list of 1,000,000 entries (offscreen). Start-up as a whole process: a
// process that starts as the desktop program does (application, main window, data module, first showing) up
// to the first screen of rows painted and then quits, against a minimal Qt widgets program showing a window
// with a table of a few rows and quitting; both are this program started again, so they load the same
// libraries. The two alternate over the rounds; prints min / median / max of each and of their ratio. Then,
// once, inside one process: the time to the first screen, Ctrl+End to the last row, re-applying a category
// filter, and the memory afterwards (resident size and its peak).
// Usage: bench_ui_mainwindow [directory for the 150 MB test file] [rounds]
#include "BenchRounds.h"
#include "app/ui/Tfrmmain.h"
#include "base/AppPaths.h"
#include "db/SqliteDatabase.h"
#include "db/TdmML.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace corvane;

namespace {
constexpr int Entries = 1000000;

// Answers every question with Yes or OK, and shows nothing.
class AnsweringPrompt : public UserPrompt {
public:
    Button message(Kind, const QString &, Buttons buttons) override { return buttons.testFlag(Yes) ? Yes : Ok; }
    bool inputText(const QString &, const QString &, QString &) override { return false; }
    void showProgress(int, const QString &, bool) override {}
    void hideProgress() override {}
    bool cancelRequested() const override { return false; }
    void setCancelRequested(bool) override {}
    void processEvents() override {}
    void setBusy(bool) override {}
    void beep() override {}
    bool chooseDatabaseDirectory(QString &) override { return false; }
};

// Resident memory and its peak, in MB, from /proc/self/status.
void printMemory(const char *when) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return;
    }
    QString rss;
    QString peak;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            rss = QString::fromLatin1(line.mid(6)).simplified();
        } else if (line.startsWith("VmHWM:")) {
            peak = QString::fromLatin1(line.mid(6)).simplified();
        }
    }
    std::printf("memory %s: resident %s, peak %s\n", when, qPrintable(rss), qPrintable(peak));
}

// Creates the database through the data module, then fills it with plain SQL in one transaction.
void generate(const QString &appDir) {
    {
        AnsweringPrompt prompt;
        TdmML dm(prompt);
        dm.dmMLCreate();
        dm.CloseDatabase();
    }
    SqliteDatabase db;
    db.open(appDir + QStringLiteral("mailist.DAT"), SqliteDatabase::Access::Exclusive, false);
    db.exec(QStringLiteral(
                "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < %1) "
                "INSERT INTO tblML (Item, Category, Bounces, Comments, Name, Salutation, SendRights) "
                "SELECT 'member' || i || '@example' || (i % 97) || '.org', "
                "CASE i % 4 WHEN 0 THEN 'News' WHEN 1 THEN 'Sports' WHEN 2 THEN 'newsletter' ELSE 'Friends' END, "
                "i % 11, 'imported', 'Member ' || i, 'Member', i % 2 FROM c")
                .arg(Entries));
    db.close();
}

double msSince(const QElapsedTimer &timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}
} // namespace

// The start-up of one child process: "window" starts as the desktop program does and quits after the first
// screen of rows is painted; "minimal" shows a plain window with a small table and quits.
int startChild(const QString &side, int argc, char *argv[]) {
    QApplication app(argc, argv);
    if (side == QLatin1String("minimal")) {
        QMainWindow window;
        QStandardItemModel model(30, 6);
        for (int row = 0; row < 30; ++row) {
            model.setItem(row, 0, new QStandardItem(QStringLiteral("member%1@example.org").arg(row)));
        }
        auto *grid = new QTableView(&window);
        grid->setModel(&model);
        window.setCentralWidget(grid);
        window.resize(1000, 700);
        window.show();
        QApplication::processEvents();
        grid->viewport()->repaint();
        return grid->model()->rowCount() == 30 ? 0 : 1;
    }
    AnsweringPrompt prompt;
    ui::Tfrmmain window(prompt);
    window.setWindowTitle(corvane::Tfrmmain::applicationTitle());
    window.core().FormCreate({});
    window.core().createDataModule();
    window.resize(1000, 700);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        window.firstShow();
        QApplication::processEvents();
        window.dxDBGrid1->viewport()->repaint();
        QApplication::quit();
    });
    QApplication::exec();
    return window.dxDBGrid1->model()->rowCount() > 0 ? 0 : 1;
}

// Seconds of one whole child process of `side`, or -1 when it failed.
double timedChild(const QString &side, const QString &tmpPath) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double took = bench::seconds([&] {
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start"), side, tmpPath});
        child.waitForFinished(-1);
    });
    return child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 ? took : -1;
}

int main(int argc, char *argv[]) {
    std::vector<double> windowTimes;
    std::vector<double> minimalTimes;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const auto useDirectory = [](const QString &path) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path + QStringLiteral("/config"));
        AppPaths::setApplicationDirectory(path + QStringLiteral("/app/"));
    };
    if (argc == 4 && QByteArray(argv[1]) == "--start") {
        useDirectory(QString::fromLocal8Bit(argv[3]));
        return startChild(QString::fromLocal8Bit(argv[2]), argc, argv);
    }
    QTemporaryDir tmp(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/corvane-bench-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/corvane-bench-XXXXXX"));
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const QString appDir = tmp.path() + QStringLiteral("/app/");
    useDirectory(tmp.path());
    {
        QCoreApplication setup(argc, argv);
        QElapsedTimer timer;
        timer.start();
        generate(appDir);
        std::printf("generating %d entries: %.1f s\n", Entries, msSince(timer) / 1000.0);
        // The first start of each side warms the system's file cache; it is not counted.
        timedChild(QStringLiteral("window"), tmp.path());
        timedChild(QStringLiteral("minimal"), tmp.path());
        bench::alternate(rounds, {[&] { windowTimes.push_back(timedChild(QStringLiteral("window"), tmp.path())); },
                                  [&] { minimalTimes.push_back(timedChild(QStringLiteral("minimal"), tmp.path())); }});
        const bool failed = std::count(windowTimes.begin(), windowTimes.end(), -1.0) +
                                std::count(minimalTimes.begin(), minimalTimes.end(), -1.0) >
                            0;
        std::printf("start-up as a whole process, %d rounds%s:\n", rounds, failed ? " (SOME RUNS FAILED)" : "");
        bench::printSpread("main window, first rows painted", windowTimes);
        bench::printSpread("minimal Qt widgets window", minimalTimes);
        bench::printSpread("main window / minimal window", bench::ratios(windowTimes, minimalTimes), "");
    }

    std::printf("inside one process:\n");
    QElapsedTimer timer;
    timer.start();
    QApplication app(argc, argv);
    AnsweringPrompt prompt;
    ui::Tfrmmain window(prompt);
    window.core().FormCreate({});
    window.core().createDataModule();
    window.resize(1000, 700);
    window.show();
    window.firstShow();
    QApplication::processEvents();
    window.dxDBGrid1->viewport()->repaint();
    std::printf("start to first screen of rows: %.0f ms (%s)\n", msSince(timer),
                qPrintable(window.lblcount->text().trimmed()));
    printMemory("after start");

    timer.restart();
    window.action(QStringLiteral("pukLast"))->trigger();
    window.dxDBGrid1->viewport()->repaint();
    std::printf("Ctrl+End to the last row: %.0f ms (row %d: %s)\n", msSince(timer),
                window.dxDBGrid1->currentIndex().row() + 1,
                qPrintable(window.dxDBGrid1->currentIndex().data().toString()));

    for (const QString &filter : {QStringLiteral("news"), QStringLiteral("sports, friends")}) {
        timer.restart();
        window.core().listView().edtfilterChange(filter);
        window.core().listView().DoIdle();
        window.dxDBGrid1->viewport()->repaint();
        std::printf("re-applying the category filter \"%s\": %.0f ms (%s)\n", qPrintable(filter), msSince(timer),
                    qPrintable(window.lblcount->text().trimmed()));
    }
    timer.restart();
    window.action(QStringLiteral("pukLast"))->trigger();
    window.dxDBGrid1->viewport()->repaint();
    std::printf("Ctrl+End in the filtered view: %.0f ms\n", msSince(timer));
    printMemory("after filtering and scrolling");
    return 0;
}

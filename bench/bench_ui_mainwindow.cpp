// Benchmark of the main window on a list of 1,000,000 entries (offscreen): the time from creating the
// application to the first screen of rows painted, Ctrl+End to the last row, re-applying a category filter,
// and the program's memory afterwards (resident size and its peak).
// Usage: bench_ui_mainwindow [directory for the 150 MB test file]
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
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
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

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir tmp(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/corvane-bench-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/corvane-bench-XXXXXX"));
    const QString appDir = tmp.path() + QStringLiteral("/app/");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, tmp.path() + QStringLiteral("/config"));
    AppPaths::setApplicationDirectory(appDir);
    {
        QCoreApplication setup(argc, argv);
        QElapsedTimer timer;
        timer.start();
        generate(appDir);
        std::printf("generating %d entries: %.1f s\n", Entries, msSince(timer) / 1000.0);
    }

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

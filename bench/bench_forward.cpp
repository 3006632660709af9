// Forwarding one member's post to a large list category in hidden batches: the time to build the recipient
// set alone and the time of the whole forward (recipient set, composing the copies and handing each to a
// submission program that only reads its input), against a raw ordered SELECT of the same addresses on the
// same connection. The three take turns over several rounds; prints min / median / max of each and of the
// ratios to the raw SELECT.
//
// Usage: bench_forward [members] [per copy] [rounds]   (defaults 100000, 500 and 5)
#include "BenchPrompt.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"
#include "mailstore/MailStoreApplication.h"
#include "requests/EntryRules.h"
#include "requests/ForwardingRecipientSet.h"
#include "requests/UserMessageForwarder.h"
#include "send/MailStoreSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

using namespace corvane;

namespace {

bool writeFile(const QString &path, const QByteArray &content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The raw side: the addresses of `category` in address order, read with one prepared statement. -1 on failure.
qint64 rawSelect(sqlite3 *db) {
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT Item FROM tblML WHERE Category = ?1 ORDER BY Item", -1, &stmt, nullptr) !=
        SQLITE_OK)
        return -1;
    sqlite3_bind_text(stmt, 1, "News", 4, SQLITE_STATIC);
    qint64 rows = 0;
    qint64 bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        bytes += sqlite3_column_bytes(stmt, 0);
        ++rows;
    }
    sqlite3_finalize(stmt);
    return bytes > 0 ? rows : -1;
}

struct Figures {
    std::vector<double> values;
    void print(const char *what, const char *unit) {
        std::sort(values.begin(), values.end());
        std::printf("%-34s min %9.3f  median %9.3f  max %9.3f %s\n", what, values.front(), values[values.size() / 2],
                    values.back(), unit);
    }
};

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const int members = argc > 1 ? QByteArray(argv[1]).toInt() : 100'000;
    const int perCopy = argc > 2 ? QByteArray(argv[2]).toInt() : 500;
    const int rounds = argc > 3 ? QByteArray(argv[3]).toInt() : 5;

    QTemporaryDir work(QDir::currentPath() + QStringLiteral("/bench_forward-XXXXXX"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.path() + QStringLiteral("/settings"));
    AppPaths::setApplicationDirectory(work.path() + QStringLiteral("/home"));
    const QString root = work.path() + QStringLiteral("/Mail");
    for (const char *sub : {"/new", "/cur", "/tmp", "/.Posts/new", "/.Posts/cur", "/.Posts/tmp"})
        QDir().mkpath(root + QLatin1String(sub));
    const QString sink = work.path() + QStringLiteral("/sink");
    if (!writeFile(root + QStringLiteral("/.Posts/maildirfolder"), QByteArray()) ||
        !writeFile(sink, "#!/bin/sh\nexec cat >/dev/null\n") ||
        !writeFile(root + QStringLiteral("/.Posts/new/1765000000.M1P1.bench"),
                   "From: member@example.org\nTo: news@lists.example\nSubject: [News] Meeting on Friday\n"
                   "Date: Tue, 1 Dec 2026 10:00:00 +0000\nMessage-ID: <post@example.org>\n\n"
                   "The meeting moves to Friday at ten.\n")) {
        std::printf("the mail store could not be set up\n");
        return 1;
    }
    QFile::setPermissions(sink, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir().mkpath(work.path() + QStringLiteral("/db"));

    BenchPrompt prompt;
    TdmML dm(prompt);
    dm.OpenDatabase(work.path() + QStringLiteral("/db"));
    if (!dm.DatabaseLoaded()) {
        std::printf("the list database could not be created\n");
        return 1;
    }
    SqliteTable &table = dm.tblML();
    // The members of "News" and as many again spread over other categories, so that the category counts.
    table.database().exec(
        QStringLiteral("BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                       "INSERT INTO tblML (Item, Category, Bounces, Comments, Name, Salutation, SendRights) "
                       "SELECT 'member' || (i / 2) || '@list.example.com', CASE WHEN i % 2 = 0 THEN 'News' "
                       "ELSE 'Cat' || (i % 7) END, 0, '', '', '', 1 FROM n; COMMIT;")
            .arg(2 * members + 1));
    table.first();

    Settings settings;
    settings.MaintainLog = false;
    settings.MailStore = root;
    settings.SubmitCommand = QLatin1Char('"') + sink + QLatin1Char('"');
    settings.SMTPEmail = QStringLiteral("list@lists.example");
    settings.SendCount = perCopy;
    ActivityLog log(settings);
    ErrorsList errors;
    Acknowledger acknowledger;
    EntryRules rules(table, settings, log, errors, prompt, acknowledger);
    UserMessageForwarder forwarder(table, rules, settings, log, prompt);

    const MailStoreApplication store = MailStoreSettings::application(settings);
    const std::shared_ptr<MailItem> item =
        store.GetNameSpace(QStringLiteral("MAPI")).Folders(1).Folders(QStringLiteral("Posts")).Items().Item(1);
    CurrentMessage message;
    message.subject = item->subject();
    message.sender = item->SenderEmailAddress();

    const qint64 expected = ForwardingRecipientSet::build(table, QStringLiteral("News")).size();
    std::printf("%lld members of News in a list of %lld entries, %d per copy, %d rounds\n",
                static_cast<long long>(expected), static_cast<long long>(table.recordCount()), perCopy, rounds);

    Figures raw, set, whole, setRatio, wholeRatio;
    QElapsedTimer timer;
    for (int round = 0; round < rounds; ++round) {
        timer.start();
        const qint64 rows = rawSelect(table.database().handle());
        const double rawMs = double(timer.nsecsElapsed()) / 1e6;

        timer.start();
        const qint64 built = ForwardingRecipientSet::build(table, QStringLiteral("News")).size();
        const double setMs = double(timer.nsecsElapsed()) / 1e6;

        const QString sent = root + QStringLiteral("/.Sent Items/cur");
        const qint64 before = QDir(sent).entryList(QDir::Files).size();
        timer.start();
        const bool forwarded = forwarder.forwardmailmessage(*item, message);
        const double wholeMs = double(timer.nsecsElapsed()) / 1e6;
        const qint64 copies = QDir(sent).entryList(QDir::Files).size() - before;

        if (rows != expected || built != expected || !forwarded || copies != (expected + perCopy - 1) / perCopy) {
            std::printf("round %d went wrong: %lld rows, %lld recipients, forwarded %d, %lld copies\n", round,
                        static_cast<long long>(rows), static_cast<long long>(built), forwarded,
                        static_cast<long long>(copies));
            return 1;
        }
        raw.values.push_back(rawMs);
        set.values.push_back(setMs);
        whole.values.push_back(wholeMs);
        setRatio.values.push_back(setMs / rawMs);
        wholeRatio.values.push_back(wholeMs / rawMs);
    }
    std::printf("copies per forward: %lld\n", static_cast<long long>((expected + perCopy - 1) / perCopy));
    raw.print("raw ordered SELECT", "ms");
    set.print("recipient set", "ms");
    whole.print("whole forward (set + copies)", "ms");
    setRatio.print("recipient set / raw SELECT", "");
    wholeRatio.print("whole forward / raw SELECT", "");
    return 0;
}
